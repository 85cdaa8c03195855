// The program's two kinds of message box, both modal and owned by the window.
#pragma once

#include "game_folder_search.h"
#include "install_error_text.h"
#include "install_preset.h"

#include <windows.h>

namespace zvk {

// The information box of the confirmations and the about text: title "Message", one OK.
void ShowInfoMessage(HWND owner, const wchar_t* prompt);

// The error box of a failed install; the program goes on running after it.
void ShowInstallError(HWND owner, const InstallSource& source, const InstallResult& result,
                      const GameFolderLookup& where, bool anotherCopyMayWrite);

// That a copy of the program out of this one's reach has `gameFolder`.
void ShowAlreadyOpenOutOfReach(HWND owner, const PathText& gameFolder);

}  // namespace zvk
