#include "install_preset.h"

namespace zvk {

InstallResult InstallPreset(const CameraPreset& preset, const PathText& gameFolder) {
    return InstallPreset(kSystemFileCalls, preset, gameFolder);
}

InstallResult InstallPreset(const FileCalls& calls, const CameraPreset& preset, const PathText& gameFolder) {
    const PathText cameraFile = CameraFileIn(gameFolder);
    const CameraFileContent content = ReadCameraFile(calls, cameraFile.c_str());
    if (content.kind == CameraFileContent::Unreadable) return {{ReplaceStep::ReadCameraFile, content.osError}};
    // A file that cannot be replaced anyway is not kept either: nothing changes.
    const ReplaceResult replaceable = CheckReplaceable(calls, cameraFile.c_str());
    if (!replaceable.succeeded()) return {replaceable};
    KeepResult kept;
    if (content.kind == CameraFileContent::PlayersOwn) {
        kept = KeepPlayersFile(calls, gameFolder);
        if (!kept.result.succeeded()) return {kept.result};
    }
    return {ReplaceFileContents(calls, cameraFile.c_str(), CameraFileIn(gameFolder, ".tmp").c_str(),
                                {preset.fileText, kCameraFileTrailer}),
            kept.madeNow};
}

int ActivePreset(const PathText& gameFolder) {
    if (gameFolder.empty()) return -1;
    const CameraFileContent content = ReadCameraFile(kSystemFileCalls, CameraFileIn(gameFolder).c_str());
    return content.kind == CameraFileContent::Preset ? int(content.preset) : -1;
}

}  // namespace zvk
