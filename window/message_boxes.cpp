#include "message_boxes.h"

#include "install_error_text.h"
#include "layout.h"

namespace zvk {

void ShowInfoMessage(HWND owner, const wchar_t* prompt) {
    MessageBoxW(owner, prompt, L"Message", MB_OK | MB_ICONINFORMATION);
}

void ShowInstallError(HWND owner, const InstallSource& source, const InstallResult& result,
                      const GameFolderLookup& where, bool anotherCopyMayWrite) {
    const MessageText text = InstallErrorText(source, result, where, anotherCopyMayWrite);
    MessageBoxW(owner, text.c_str(), kForm1Title, MB_OK | MB_ICONERROR);
}

void ShowAlreadyOpenOutOfReach(HWND owner, const PathText& gameFolder) {
    MessageBoxW(owner, AlreadyOpenText(gameFolder).c_str(), kForm1Title, MB_OK | MB_ICONINFORMATION);
}

}  // namespace zvk
