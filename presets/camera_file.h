// The game's camera file in a game folder: its paths, which preset it holds, and keeping the
// player's own file before a preset replaces it.
#pragma once

#include "camera_preset.h"
#include "file_replace.h"
#include "path_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zvk {

// The game's camera file, relative to the game folder.
#ifdef _WIN32
inline constexpr PathChar CameraFilePath[] = L"Cars\\Cameras.ini";
#else
inline constexpr PathChar CameraFilePath[] = "Cars/Cameras.ini";
#endif

// Two line ends follow the preset's text in the file, as in the files the game came with.
inline constexpr std::string_view kCameraFileTrailer = "\r\n\r\n";

// Backups are Cameras.ini.bak, then .bak2, .bak3 and on up to this.
inline constexpr unsigned kMostBackups = 99;

// `CameraFilePath` under `gameFolder`, with `suffix` after its name: ".tmp" for the
// temporary file, ".bak" and on for the backups.
PathText CameraFileIn(const PathText& gameFolder, std::string_view suffix = {});
// The name of backup `number` (1 is ".bak") under `gameFolder`.
PathText BackupIn(const PathText& gameFolder, unsigned number);

// What the camera file holds: nothing yet, one of the presets byte for byte as the program
// writes them, something else (the player's own), or what could not be read.
struct CameraFileContent {
    enum Kind : std::uint8_t { Missing, Preset, PlayersOwn, NotAFile, Unreadable } kind;
    std::size_t preset = 0;  // for Preset: its index in ThePresetTable()
    OsError osError = 0;     // for Unreadable
};
CameraFileContent ReadCameraFile(const FileCalls& calls, const PathChar* cameraFile);

// Where the player's own file is kept: in a backup made just now, in one made earlier, or
// nowhere, with the reason. Numbers as in BackupIn.
struct KeepResult {
    ReplaceResult result;
    unsigned madeNow = 0;
    unsigned madeBefore = 0;
};

// Keeps the camera file under the first free backup name, unless a backup already holds
// exactly its bytes. No backup is ever overwritten; past the last number, nothing is kept and
// that is a KeepOwnFile failure.
KeepResult KeepPlayersFile(const FileCalls& calls, const PathText& gameFolder);

}  // namespace zvk
