#include "install_error_text.h"

namespace zvk {
namespace {

// What the program was doing when the step failed.
void AppendStep(MessageText& text, ReplaceStep step) {
    switch (step) {
        case ReplaceStep::CheckTarget: text << L"checking the camera file"; return;
        case ReplaceStep::CreateTemporary: text << L"creating " << CameraTemporaryPath; return;
        case ReplaceStep::Write: text << L"writing the new camera file"; return;
        case ReplaceStep::Flush: text << L"saving the new camera file to disk"; return;
        case ReplaceStep::Close: text << L"closing the new camera file"; return;
        case ReplaceStep::Replace: text << L"putting the new camera file in place"; return;
        case ReplaceStep::None: break;
    }
    text << L"installing";
}

// The operating system's own words for `osError`, without the trailing line end.
void AppendSystemReason(MessageText& text, DWORD osError) {
    wchar_t reason[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, osError, 0, reason, DWORD(sizeof reason / sizeof *reason),
                                  nullptr);
    while (length > 0 && (reason[length - 1] == L'\r' || reason[length - 1] == L'\n' ||
                          reason[length - 1] == L' '))
        --length;
    if (length == 0) {
        text << L"Windows error " << static_cast<unsigned long>(osError) << L".";
        return;
    }
    text << std::wstring_view(reason, length);
}

// The player's way out for that error.
std::wstring_view AdviceFor(DWORD osError) {
    switch (osError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            return L"Copy this program into the ZVK DM2 game folder, the one that holds the "
                   L"Cars folder, and start it from there.";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return L"Close the game, or whatever program has Cameras.ini open, then try again.";
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return L"Remove the read-only mark from Cars\\Cameras.ini (Properties in Explorer), "
                   L"or start this program as administrator, then try again.";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return L"Free some space on the game's disk, then try again.";
        default:
            return L"Check that the game folder can be written to, then try again.";
    }
}

}  // namespace

MessageText InstallErrorText(const CameraPreset& preset, const InstallResult& result) {
    MessageText text;
    text << preset.caption << L" was not installed.\r\n\r\n"
         << L"File: " << CameraFilePath << L"\r\n"
         << L"Reason: ";
    AppendSystemReason(text, result.osError);
    text << L" (error " << static_cast<unsigned long>(result.osError) << L", while ";
    AppendStep(text, result.failedStep);
    text << L")\r\n\r\n"
         << AdviceFor(result.osError) << L"\r\n\r\n"
         << L"Nothing in the game folder was changed.";
    return text;
}

}  // namespace zvk
