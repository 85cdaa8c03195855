#include "message_boxes.h"

#include "install_error_text.h"
#include "layout.h"

namespace zvk {

void ShowInfoMessage(HWND owner, const wchar_t* prompt) {
    MessageBoxW(owner, prompt, L"Message", MB_OK | MB_ICONINFORMATION);
}

void ShowInstallError(HWND owner, const InstallSource& source, const InstallResult& result,
                      const GameFolderLookup& where) {
    const MessageText text = InstallErrorText(source, result, where);
    MessageBoxW(owner, text.c_str(), kForm1Title, MB_OK | MB_ICONERROR);
}

}  // namespace zvk
