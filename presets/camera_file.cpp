#include "camera_file.h"

#include <cstring>

#ifndef _WIN32
#include <cerrno>
#endif

namespace zvk {
namespace {

#ifdef _WIN32
constexpr OsError kNameTaken = ERROR_FILE_EXISTS;
#else
constexpr OsError kNameTaken = EEXIST;
#endif

// Whether `bytes` are exactly what the program writes for `preset`.
bool IsFileOf(const CameraPreset& preset, std::string_view bytes) {
    // No substr(): its range check would bring exceptions into a program built without them.
    const std::string_view text = preset.fileText;
    return bytes.size() == text.size() + kCameraFileTrailer.size() &&
           std::memcmp(bytes.data(), text.data(), text.size()) == 0 &&
           std::memcmp(bytes.data() + text.size(), kCameraFileTrailer.data(), kCameraFileTrailer.size()) == 0;
}

// The index in ThePresetTable() of the preset whose file `bytes` are exactly, or -1.
int PresetWrittenAs(std::string_view bytes) {
    const PresetTable& presets = ThePresetTable();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        if (IsFileOf(presets[i], bytes)) return int(i);
    }
    return -1;
}

// Whether the file at `path` holds exactly `bytes`; false where it cannot be read.
bool Holds(const FileCalls& calls, const PathChar* path, std::string_view bytes) {
    const WholeFile file(calls, path);
    return file.isRead() && file.bytes() == bytes;
}

}  // namespace

PathText CameraFileIn(const PathText& gameFolder, std::string_view suffix) {
    PathText path = gameFolder;
    path.join(CameraFilePath).appendAscii(suffix);
    return path;
}

PathText BackupIn(const PathText& gameFolder, unsigned number) {
    PathText path = CameraFileIn(gameFolder, ".bak");
    if (number > 1) path.appendNumber(number);
    return path;
}

CameraFileContent ReadCameraFile(const FileCalls& calls, const PathChar* cameraFile) {
    CameraFileContent content;
    switch (KindOf(calls, cameraFile)) {
        case PathKind::Missing:
            return content;
        case PathKind::Folder:
            content.kind = CameraFileContent::NotAFile;
            return content;
        case PathKind::File:
        case PathKind::Unknown:
            break;
    }
    content.bytes = WholeFile(calls, cameraFile);
    if (!content.bytes.isRead() && IsMissing(content.bytes.error())) return CameraFileContent();  // gone meanwhile
    if (!content.bytes.isRead()) {
        content.kind = CameraFileContent::Unreadable;
        content.osError = content.bytes.error();
        return content;
    }
    const int preset = PresetWrittenAs(content.bytes.bytes());
    content.kind = preset >= 0 ? CameraFileContent::Preset : CameraFileContent::PlayersOwn;
    content.preset = preset >= 0 ? std::size_t(preset) : 0;
    return content;
}

KeepResult KeepPlayersFile(const FileCalls& calls, const PathText& gameFolder, std::string_view ownBytes) {
    unsigned firstFree = 0;
    for (unsigned number = 1; number <= kMostBackups; ++number) {
        const PathText backup = BackupIn(gameFolder, number);
        const PathKind kind = KindOf(calls, backup.c_str());
        if (kind == PathKind::Missing && firstFree == 0) firstFree = number;
        if (kind == PathKind::File && Holds(calls, backup.c_str(), ownBytes)) return {{}, 0, number};
    }
    if (firstFree == 0) return {ReplaceResult(InstallStep::KeepOwnFile, kNameTaken, StepFile::CameraFile)};
    const PathText backup = BackupIn(gameFolder, firstFree);
    const ReplaceResult kept = KeepCopy(calls, ownBytes, CameraFileIn(gameFolder, ".tmp").c_str(), backup.c_str());
    // Another copy that read the same file a moment ago may have kept it under this very name.
    if (!kept.succeeded() && IsNameTaken(kept.osError) && Holds(calls, backup.c_str(), ownBytes))
        return {{}, 0, firstFree};
    return {kept, kept.succeeded() ? firstFree : 0};
}

}  // namespace zvk
