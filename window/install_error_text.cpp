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
        case ReplaceStep::WriteInPlace: text << L"writing over the camera file in place"; return;
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

// The player's way out. Never "run as administrator": an elevated program is not redirected
// to the VirtualStore, so under Program Files it would change a file the game does not read.
void AppendAdvice(MessageText& text, const InstallResult& result) {
    if (result.failedStep == ReplaceStep::CheckTarget) {
        text << L"Remove the read-only mark from " << CameraFilePath
             << L" (Properties in Explorer), then try again.";
        return;
    }
    switch (result.osError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            text << L"Copy this program into the ZVK DM2 game folder, the one that holds the "
                    L"Cars folder, and start it from there.";
            return;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            text << L"Close the game, or the program that holds " << CameraFilePath
                 << L" open, then try again.";
            return;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            text << L"Windows does not let you change files in this game folder. Check the "
                    L"permissions of the game folder and its Cars folder (Properties, Security), "
                    L"and start this program from the game folder, the same way as the game.";
            return;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            text << L"Free some space on the game's disk, then try again.";
            return;
        default:
            text << L"Check that the game folder can be written to, then try again.";
            return;
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
    text << L")\r\n\r\n";
    AppendAdvice(text, result);
    text << L"\r\n\r\n";
    if (result.targetDamaged) {
        text << CameraFilePath << L" could not be put back as it was. Once the problem is "
                L"solved, press " << ThePresetTable()[0].caption
             << L" to give the game its own camera settings again.";
    } else {
        text << L"Nothing in the game folder was changed.";
    }
    return text;
}

}  // namespace zvk
