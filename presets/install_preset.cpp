#include "install_preset.h"

namespace zvk {

InstallResult InstallPreset(const CameraPreset& preset, const InjectedFault* fault) {
    return ReplaceFileContents(CameraFilePath, CameraTemporaryPath,
                               {preset.fileText, kCameraFileTrailer}, fault);
}

}  // namespace zvk
