#include "install_error_text.h"

#include "resource.h"

namespace zvk {
namespace {

// What the program was doing when the step failed.
void AppendStep(MessageText& text, InstallStep step) {
    switch (step) {
        case InstallStep::FindGameFolder: text << L"looking for the game's Cars folder"; return;
        case InstallStep::ReadKeptFile: text << L"reading your kept camera file"; return;
        case InstallStep::ReadCameraFile: text << L"reading the camera file"; return;
        case InstallStep::KeepOwnFile: text << L"keeping your own camera file"; return;
        case InstallStep::CheckTarget: text << L"checking the camera file"; return;
        case InstallStep::CreateTemporary: text << L"creating the new camera file beside it"; return;
        case InstallStep::Write: text << L"writing the new camera file"; return;
        case InstallStep::Flush: text << L"saving the new camera file to disk"; return;
        case InstallStep::Close: text << L"closing the new camera file"; return;
        case InstallStep::Replace: text << L"putting the new camera file in place"; return;
        case InstallStep::ReadOldFile: text << L"reading the camera file before writing over it"; return;
        case InstallStep::WriteInPlace: text << L"writing over the camera file in place"; return;
        case InstallStep::None: break;
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
    if (length == 0 && osError == kIsAFolder) {  // a code older systems have no words for
        text << L"There is a folder where the file should be.";
        return;
    }
    if (length == 0) {
        text << L"Windows error " << static_cast<unsigned long>(osError) << L".";
        return;
    }
    text << std::wstring_view(reason, length);
}

constexpr wchar_t kStartFromGameFolder[] =
    L", the one that holds the Cars folder, and start it from there.";

// The file that failed, by its own name: the camera file, the kept file or the temporary one.
PathText NameOfFailedFile(const InstallSource& source, const InstallResult& result) {
    switch (result.failedFile) {
        case StepFile::KeptFile: return PathText(BackupIn(PathText(), source.keptFile).lastName());
        case StepFile::TemporaryFile: return PathText(CameraFileIn(PathText(), ".tmp").lastName());
        case StepFile::CameraFile: break;
    }
    return PathText(CameraFileIn(PathText()).lastName());
}

// The player's way out, chosen by the step that failed and the file it failed on. Never "run
// as administrator": an elevated program is not redirected to the VirtualStore, so under
// Program Files it would change a file the game does not read.
void AppendAdvice(MessageText& text, const InstallSource& source, const InstallResult& result,
                  const GameFolderLookup& where) {
    const PathText file = NameOfFailedFile(source, result);
    if (result.failedStep == InstallStep::ReadKeptFile &&
        (result.osError == ERROR_FILE_NOT_FOUND || result.osError == ERROR_PATH_NOT_FOUND)) {
        text << L"It was moved or deleted since the window menu opened. Open the window menu again "
                L"(Alt+Space) to see the files kept now.";
        return;
    }
    if (result.failedStep == InstallStep::FindGameFolder && where.found.programInTemp) {
        text << L"This program seems to be running from inside the zip. Extract "
             << std::string_view(ZVK_EXE_NAME) << L" into the game's folder" << kStartFromGameFolder;
        return;
    }
    if (result.failedStep == InstallStep::CheckTarget && result.osError == kIsAFolder) {
        text << file.view() << L" is a folder here, not a file. Move or rename that folder, then try again.";
        return;
    }
    if (result.failedStep == InstallStep::CheckTarget) {
        text << L"Remove the read-only mark from " << file.view() << L" (Properties in Explorer), then try again.";
        return;
    }
    // Another copy's temporary file stood in the way of this one's, or that copy removed it.
    if ((result.failedStep == InstallStep::CreateTemporary && result.osError == ERROR_FILE_EXISTS) ||
        (result.failedStep == InstallStep::Replace && result.osError == ERROR_FILE_NOT_FOUND)) {
        text << L"Another copy of this program may be changing the camera file at the same moment. Wait "
                L"a moment, then try again.";
        return;
    }
    switch (result.osError) {
        case ERROR_FILENAME_EXCED_RANGE:
            text << L"The game folder's path is too long for Windows. Move the game to a folder with a "
                    L"shorter path, then try again.";
            return;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            text << L"Copy this program into the ZVK DM2 game folder" << kStartFromGameFolder;
            return;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            text << L"Move some of the backups (Cameras.ini.bak to Cameras.ini.bak"
                 << static_cast<unsigned long>(kMostBackups) << L") out of the Cars folder, then try again.";
            return;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            // The game holds only its camera file; a scanner or a sync client may hold any.
            text << (result.failedFile == StepFile::CameraFile ? L"Close the game, or the program" : L"Close the program")
                 << L" that holds " << file.view() << L" open, then try again.";
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

// A kept file by the name the player knows: relative where the program runs in the game
// folder, full where it found the game elsewhere.
PathText KeptFileAsNamed(const GameFolderLookup& where, unsigned number) {
    const bool relative = where.found.place == GameFolder::WorkingFolder;
    return BackupIn(relative ? PathText() : where.found.path, number);
}

// Where the player's own file was kept. The name on a line of its own: a message box may
// break a long line anywhere in a path.
void AppendKept(MessageText& text, const wchar_t* before, const GameFolderLookup& where, unsigned number) {
    text << before << L"Your own camera file was kept as:\r\n" << KeptFileAsNamed(where, number).view();
}

// What became of the game folder. Each sentence holds for every failure it is said of.
void AppendOutcome(MessageText& text, const InstallResult& result, const GameFolderLookup& where) {
    const PathText cameraFile = CameraFileIn(where.found.path);
    if (result.targetDamaged) {
        text << cameraFile.view() << L" could not be put back as it was. Once the problem is solved, press "
             << ThePresetTable()[0].caption << L" to give the game its own camera settings again.";
    } else if (result.keptAs != 0 || result.temporaryLeft) {
        text << cameraFile.view() << L" itself was not changed.";
    } else {
        text << L"Nothing in the game folder was changed.";
    }
    if (result.temporaryLeft) {
        text << L" The temporary file " << CameraFileIn(where.found.path, ".tmp").view()
             << L" could not be deleted: delete it once the problem is solved.";
    }
    if (result.keptAs != 0) AppendKept(text, L" ", where, result.keptAs);
}

}  // namespace

MessageText InstallErrorText(const InstallSource& source, const InstallResult& result,
                             const GameFolderLookup& where) {
    MessageText text;
    if (source.preset != nullptr) {
        text << source.preset->caption << L" was not installed.\r\n\r\n";
    } else {
        text << L"Your own camera file was not put back.\r\n\r\n";
    }
    if (where.found.place == GameFolder::NotFound) {
        text << L"Looked in: " << where.searched.workingFolder.view();
        if (where.searched.programFolder.view() != where.searched.workingFolder.view())
            text << L"\r\nand in: " << where.searched.programFolder.view();
    } else if (result.failedStep == InstallStep::ReadKeptFile) {
        text << L"File: " << BackupIn(where.found.path, source.keptFile).view();
    } else {
        text << L"File: " << CameraFileIn(where.found.path).view();
    }
    text << L"\r\nReason: ";
    AppendSystemReason(text, result.osError);
    text << L" (error " << static_cast<unsigned long>(result.osError) << L", while ";
    AppendStep(text, result.failedStep);
    text << L")\r\n\r\n";
    AppendAdvice(text, source, result, where);
    text << L"\r\n\r\n";
    AppendOutcome(text, result, where);
    return text;
}

MessageText ConfirmationText(const InstallSource& source, const InstallResult& result,
                             const GameFolderLookup& where, const PathText& elevatedGame) {
    MessageText text;
    if (source.preset != nullptr) {
        text << source.preset->confirmation;
    } else {
        text << L"Your own camera file is back, from:\r\n" << KeptFileAsNamed(where, source.keptFile).view();
    }
    if (result.keptAs != 0) {
        AppendKept(text, L"\r\n\r\n", where, result.keptAs);
        text << L"\r\nTo put it back: the window menu (Alt+Space).";
    }
    // Said where it is, since the window menu lists only the newest nine.
    if (source.preset == nullptr && result.keptBeforeAs != 0 && result.keptBeforeAs != source.keptFile)
        text << L"\r\n\r\nThe camera file it replaced was kept before, as:\r\n"
             << KeptFileAsNamed(where, result.keptBeforeAs).view();
    if (!elevatedGame.empty())
        text << L"\r\n\r\nBut " << elevatedGame.lastName()
             << L" is set to run as administrator, so the game reads the camera file in Program Files, not this "
                L"one. Start this program as administrator too, then do this again.";
    return text;
}

}  // namespace zvk
