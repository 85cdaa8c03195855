#include "install_preset.h"

namespace zvk {

InstallResult InstallPreset(const CameraPreset& preset, const PathText& gameFolder) {
    return InstallPreset(kSystemFileCalls, preset, gameFolder);
}

InstallResult InstallPreset(const FileCalls& calls, const CameraPreset& preset, const PathText& gameFolder) {
    const PathText cameraFile = CameraFileIn(gameFolder);
    const CameraFileContent content = ReadCameraFile(calls, cameraFile.c_str());
    InstallResult result;
    if (content.kind == CameraFileContent::Unreadable) {
        result.failedStep = ReplaceStep::KeepOwnFile;
        result.osError = content.osError;
        return result;
    }
    // A file that cannot be replaced anyway is not kept either: nothing changes.
    static_cast<ReplaceResult&>(result) = CheckReplaceable(calls, cameraFile.c_str());
    if (!result.succeeded()) return result;
    if (content.kind == CameraFileContent::PlayersOwn) {
        const KeepResult kept = KeepPlayersFile(calls, gameFolder);
        result.keptAs = kept.madeNow;
        if (!kept.result.succeeded()) {
            static_cast<ReplaceResult&>(result) = kept.result;
            return result;
        }
    }
    static_cast<ReplaceResult&>(result) = ReplaceFileContents(
        calls, cameraFile.c_str(), CameraFileIn(gameFolder, ".tmp").c_str(), {preset.fileText, kCameraFileTrailer});
    return result;
}

int ActivePreset(const PathText& gameFolder) {
    if (gameFolder.empty()) return -1;
    const CameraFileContent content = ReadCameraFile(kSystemFileCalls, CameraFileIn(gameFolder).c_str());
    return content.kind == CameraFileContent::Preset ? int(content.preset) : -1;
}

}  // namespace zvk
