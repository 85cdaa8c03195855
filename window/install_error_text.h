// What the player reads when an install fails: which file, why, and what to do about it.
#pragma once

#include "game_folder_search.h"
#include "install_preset.h"
#include "message_text.h"

#include <windows.h>

namespace zvk {

// The camera file by its full path (or the folders looked in, where no game folder was
// found), the operating system's reason in its own words (or the error number where it has
// none) and the failed step, the player's way out, and what became of the game folder.
MessageText InstallErrorText(const CameraPreset& preset, const InstallResult& result,
                             const GameFolderLookup& where);

// The confirmation: the preset's own, and where the player's own camera file was kept, if it
// was kept just now.
MessageText ConfirmationText(const CameraPreset& preset, const InstallResult& result,
                             const GameFolderLookup& where);

}  // namespace zvk
