#include "install_preset.h"

namespace zvk {

InstallResult InstallPreset(const CameraPreset& preset, const PathText& gameFolder) {
    return InstallPreset(kSystemFileCalls, preset, gameFolder);
}

namespace {

// Replaces the camera file in `gameFolder` with `chunks`, keeping the player's own file first,
// exactly as it was read and judged, and only where it still is so.
InstallResult Install(const FileCalls& calls, std::initializer_list<std::string_view> chunks,
                      const PathText& gameFolder) {
    // The longest name the install may use: a folder too deep for it is refused now, not half-way.
    if (!SystemTakes(BackupIn(gameFolder, kMostBackups))) return {InstallStep::CheckTarget, kPathTooLong};
    const PathText cameraFile = CameraFileIn(gameFolder);
    const CameraFileContent content = ReadCameraFile(calls, cameraFile.c_str());
    if (content.kind == CameraFileContent::Unreadable) return {InstallStep::ReadCameraFile, content.osError};
    // A file that cannot be replaced anyway is not kept either: nothing changes.
    const ReplaceResult replaceable = CheckReplaceable(calls, cameraFile.c_str());
    if (!replaceable.succeeded()) return replaceable;
    KeepResult kept;
    if (content.kind == CameraFileContent::PlayersOwn) {
        kept = KeepPlayersFile(calls, gameFolder, content.bytes.bytes());
        if (!kept.result.succeeded()) return kept.result;
    }
    const AsRead asRead = content.asRead();
    return {ReplaceFileContents(calls, cameraFile.c_str(), CameraFileIn(gameFolder, ".tmp").c_str(), chunks, &asRead),
            kept.madeNow, kept.madeBefore};
}

}  // namespace

InstallResult InstallPreset(const FileCalls& calls, const CameraPreset& preset, const PathText& gameFolder) {
    return Install(calls, {preset.fileText, kCameraFileTrailer}, gameFolder);
}

ReplaceResult RemoveLeftTemporaryFile(const FileCalls& calls, const PathText& gameFolder) {
    const PathText temporary = CameraFileIn(gameFolder, ".tmp");
    // A folder of that name, or a read-only file, is no press's: it is named, and left.
    ReplaceResult removable = CheckReplaceable(calls, temporary.c_str());
    if (!removable.succeeded()) {
        removable.failedFile = StepFile::TemporaryFile;
        return removable;
    }
    const OsError error = RemoveFileIfThere(calls, temporary.c_str());
    if (error == 0) return {};
    return {InstallStep::CreateTemporary, error, StepFile::TemporaryFile};
}

InstallResult PutBackKeptFile(const FileCalls& calls, const PathText& gameFolder, unsigned keptFile) {
    const WholeFile kept(calls, BackupIn(gameFolder, keptFile).c_str());
    if (!kept.isRead()) return {InstallStep::ReadKeptFile, kept.error()};
    return Install(calls, {kept.bytes()}, gameFolder);
}

}  // namespace zvk
