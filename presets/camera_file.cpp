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

// Whether both files hold the same bytes; false where either cannot be read to the end.
bool SameBytes(const FileCalls& calls, const PathChar* first, const PathChar* second) {
    FileReader a(calls, first), b(calls, second);
    if (!a.noErrorYet() || !b.noErrorYet()) return false;
    char bytesA[4096], bytesB[4096];
    for (;;) {
        std::size_t gotA = 0, gotB = 0;
        if (!a.read(bytesA, sizeof bytesA, gotA) || !b.read(bytesB, sizeof bytesB, gotB)) return false;
        if (gotA != gotB || std::memcmp(bytesA, bytesB, gotA) != 0) return false;
        if (gotA < sizeof bytesA) return true;
    }
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
    switch (KindOf(calls, cameraFile)) {
        case PathKind::Missing: return {CameraFileContent::Missing};
        case PathKind::Folder: return {CameraFileContent::NotAFile};
        case PathKind::File:
        case PathKind::Unknown: break;
    }
    FileReader reader(calls, cameraFile);
    // One byte more than the longest preset file: a file that fills it is none of them.
    char bytes[kLongestPresetText + kCameraFileTrailer.size() + 1];
    std::size_t got = 0;
    if (!reader.noErrorYet() || !reader.read(bytes, sizeof bytes, got))
        return {CameraFileContent::Unreadable, 0, reader.error()};
    const PresetTable& presets = ThePresetTable();
    for (std::size_t i = 0; i < presets.size(); ++i) {
        if (IsFileOf(presets[i], std::string_view(bytes, got))) return {CameraFileContent::Preset, i};
    }
    return {CameraFileContent::PlayersOwn};
}

KeepResult KeepPlayersFile(const FileCalls& calls, const PathText& gameFolder) {
    const PathText cameraFile = CameraFileIn(gameFolder);
    unsigned firstFree = 0;
    for (unsigned number = 1; number <= kMostBackups; ++number) {
        const PathText backup = BackupIn(gameFolder, number);
        const PathKind kind = KindOf(calls, backup.c_str());
        if (kind == PathKind::Missing && firstFree == 0) firstFree = number;
        if (kind == PathKind::File && SameBytes(calls, cameraFile.c_str(), backup.c_str())) return {{}, 0, number};
    }
    if (firstFree == 0) return {ReplaceResult(InstallStep::KeepOwnFile, kNameTaken, StepFile::CameraFile)};
    const PathText backup = BackupIn(gameFolder, firstFree);
    const ReplaceResult kept =
        KeepCopy(calls, cameraFile.c_str(), CameraFileIn(gameFolder, ".tmp").c_str(), backup.c_str());
    return {kept, kept.succeeded() ? firstFree : 0};
}

}  // namespace zvk
