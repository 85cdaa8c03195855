// What the player reads after an install: which file, and on a failure why, and what to do.
#pragma once

#include "game_folder_search.h"
#include "install_preset.h"
#include "message_text.h"

#include <windows.h>

namespace zvk {

// What an install puts in place: a preset, or else the file of the player's own kept earlier
// as backup `keptFile` (see BackupIn).
struct InstallSource {
    const CameraPreset* preset = nullptr;
    unsigned keptFile = 0;
};

// In this order: what went wrong, in the player's words, naming the file as it is named in
// the game folder; on the next line, what to do; what was not done, and what became of the
// game folder; and the details: the file that failed by its full path (or the folders looked
// in, where no game folder was found), the system's words for the error (or its number where
// it has none), the error code and the step. Paths break only between folders.
// Where `anotherCopyMayWrite` (the window holds no claim on the game folder, or it lies on a
// network share), a file that changed meanwhile may be another copy's doing; elsewhere it is
// another program's.
MessageText InstallErrorText(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where,
                             bool anotherCopyMayWrite);

// The confirmation: the preset's own, or which kept file is back; where the player's own
// camera file was kept, if it was kept just now, and how to put it back; and, where the game
// is `elevatedGame`, an exe set to run as administrator that reads another file than this
// program wrote, what to do.
MessageText ConfirmationText(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where,
                             const PathText& elevatedGame = PathText());

// That the program is open for `gameFolder` in a copy that this one may not reach (one run as
// administrator, or by another user: which, it cannot tell), and what to do.
MessageText AlreadyOpenText(const PathText& gameFolder);

}  // namespace zvk
