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

// What the camera file holds, read once: nothing yet, one of the presets byte for byte as the
// program writes them, something else (the player's own), or what could not be read. The bytes
// as read go with it: what is kept of the player's file is what was judged to be theirs.
struct CameraFileContent {
    enum Kind : std::uint8_t { Missing, Preset, PlayersOwn, NotAFile, Unreadable } kind = Missing;
    std::size_t preset = 0;  // for Preset: its index in ThePresetTable()
    OsError osError = 0;     // for Unreadable
    WholeFile bytes;         // for Preset and PlayersOwn

    // What to check the camera file against just before it is replaced.
    AsRead asRead() const { return {kind == Preset || kind == PlayersOwn, bytes.bytes()}; }
};
CameraFileContent ReadCameraFile(const FileCalls& calls, const PathChar* cameraFile);

// Where the player's own file is kept: in a backup made just now, in one made earlier, or
// nowhere, with the reason. Numbers as in BackupIn.
struct KeepResult {
    ReplaceResult result;
    unsigned madeNow = 0;
    unsigned madeBefore = 0;
};

// Keeps `ownBytes`, the camera file as read, under the first free backup name, unless a backup
// already holds exactly them. No backup is ever overwritten. Past the last number nothing is
// kept: a KeepOwnFile failure of the camera file. A name taken meanwhile by another copy of the
// program is a KeepOwnFile failure of the temporary file, unless it now holds these very bytes:
// then they are kept, once.
KeepResult KeepPlayersFile(const FileCalls& calls, const PathText& gameFolder, std::string_view ownBytes);

}  // namespace zvk
