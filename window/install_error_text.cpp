#include "install_error_text.h"

#include "resource.h"

#include <iterator>

namespace zvk {
namespace {

// A path line in a message box holds this many characters at most, which every message box
// shows unbroken at any DPI: the box breaks a longer line at a space, inside a name.
constexpr std::size_t kPathLineLength = 44;

// `path` on lines of kPathLineLength at most, broken only after a separator, so that no name
// is cut; a name longer than a line keeps a line of its own.
void AppendPathInLines(MessageText& text, PathView path) {
    std::size_t onLine = 0;
    while (!path.empty()) {
        const std::size_t separator = path.find(kPathSeparator);
        const std::size_t name = separator == PathView::npos ? path.size() : separator + 1;
        if (onLine > 0 && onLine + name > kPathLineLength) {
            text << L"\r\n";
            onLine = 0;
        }
        text << PathView(path.data(), name);
        onLine += name;
        path.remove_prefix(name);
    }
}

// What the program was doing when each step failed, in the order of InstallStep.
constexpr const wchar_t* kStepWords[] = {
    L"installing",
    L"looking for the game's Cars folder",
    L"reading your kept camera file",
    L"reading the camera file",
    L"keeping your own camera file",
    L"checking the camera file",
    L"creating a new file in the Cars folder",
    L"writing the new camera file",
    L"saving the new camera file to disk",
    L"closing the new camera file",
    L"putting the new camera file in place",
    L"reading the camera file before writing over it",
    L"writing over the camera file in place",
};
static_assert(std::size(kStepWords) == std::size_t(InstallStep::WriteInPlace) + 1, "words for every step");

// The errors of a file that a cloud-sync client (OneDrive, say) keeps online only and cannot
// bring to this PC now: its provider not running or ended, no network, a request that failed,
// was cancelled or timed out. ERROR_CLOUD_FILE_... codes of Windows 10 and later, which XP's
// headers do not have.
bool IsAnOnlineOnlyFileError(OsError error) {
    static constexpr OsError kNotOnThisPc[] = {362, 386, 388, 389, 393, 398, 404, 426, 475};
    for (OsError code : kNotOnThisPc) {
        if (error == code) return true;
    }
    return false;
}
// ERROR_CLOUD_FILE_IN_USE and ERROR_CLOUD_FILE_PROPERTY_LOCK_CONFLICT: in use, as a sharing violation is.
constexpr OsError kCloudFileInUse = 391, kCloudFileLockConflict = 397;

// The operating system's own words for `osError`, without the trailing line end.
// Whether it had words of the system's or of the program's own (false: none).
bool AppendSystemReason(MessageText& text, DWORD osError) {
    wchar_t reason[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, osError, 0,
                                  reason, DWORD(sizeof reason / sizeof *reason), nullptr);
    while (length > 0 && (reason[length - 1] == L'\r' || reason[length - 1] == L'\n' || reason[length - 1] == L' '))
        --length;
    if (length == 0 && osError == kIsAFolder) {  // a code older systems have no words for
        text << L"There is a folder where the file should be.";
        return true;
    }
    if (length == 0 && IsAnOnlineOnlyFileError(osError)) {  // codes of Windows 10 and later
        text << L"The cloud file provider could not provide the file.";
        return true;
    }
    if (osError == kChangedMeanwhile) {  // the program's own code
        text << L"The file changed between the moment it was read and the moment it was to be replaced.";
        return true;
    }
    if (length == 0) {
        text << L"Windows has no description of this error";
        return false;
    }
    text << std::wstring_view(reason, length);
    return true;
}

// " (error 5)", or, where Windows has no words for it, " (error 805306367, 0x2FFFFFFF)": the hex
// form is the one such codes are looked up by.
void AppendErrorCode(MessageText& text, DWORD osError, bool withoutWords) {
    text << L" (error " << static_cast<unsigned long>(osError);
    if (withoutWords) {
        text << L", 0x";
        for (int shift = 28; shift >= 0; shift -= 4)
            text << std::wstring_view(&L"0123456789ABCDEF"[(osError >> shift) & 0xF], 1);
    }
    text << L")";
}

// The file that failed, under `gameFolder`: the camera file, the kept file or the temporary one.
PathText FailedFileIn(const PathText& gameFolder, const InstallSource& source, const InstallResult& result) {
    switch (result.failedFile) {
        case StepFile::KeptFile:
            return BackupIn(gameFolder, source.keptFile);
        case StepFile::TemporaryFile:
            return CameraFileIn(gameFolder, ".tmp");
        case StepFile::CameraFile:
            break;
    }
    return CameraFileIn(gameFolder);
}

// "The camera file Cars\Cameras.ini": the failed file as the player knows it in the game folder.
void AppendFailedFile(MessageText& text, const InstallSource& source, const InstallResult& result) {
    static const wchar_t* const kWhat[] = {L"The camera file ", L"Your kept file ", L"The temporary file "};
    text << kWhat[static_cast<int>(result.failedFile)] << FailedFileIn(PathText(), source, result).view();
}

bool IsARead(const InstallResult& result) {
    switch (result.failedStep) {
        case InstallStep::ReadKeptFile:
        case InstallStep::ReadCameraFile:
        case InstallStep::ReadOldFile:
            return true;
        case InstallStep::KeepOwnFile:
            return result.failedFile == StepFile::CameraFile;
        default:
            return false;
    }
}

constexpr wchar_t kStartFromGameFolder[] = L", the one that holds the Cars folder, and start it from there.";
constexpr wchar_t kPathTooLong[] =
    L"The game folder's path is too long for Windows.\r\nMove the game to a folder with a shorter path, then try "
    L"again.";
constexpr wchar_t kAllowThroughCfa[] =
    L"If Windows Security just said that it blocked a change, allow this program: Windows Security, Virus & "
    L"threat protection, Manage ransomware protection, \"Allow an app through Controlled folder access\"";
constexpr wchar_t kOrAnotherCopy[] = L", or another copy of this one,";
constexpr wchar_t kWaitAMoment[] = L" at the same moment.\r\nWait a moment, then try again.";

// What went wrong and what to do, where the step that failed tells it; false elsewhere.
bool AppendStepsProblemAndFix(MessageText& text, const InstallSource& source, const InstallResult& result,
                              const GameFolderLookup& where, bool anotherCopyMayWrite) {
    const InstallStep step = result.failedStep;
    const OsError error = result.osError;
    if (step == InstallStep::FindGameFolder && !where.found.carsIsAFileIn.empty()) {
        text << L"There is a file named Cars where the game's Cars folder should be.\r\n"
                L"Move or rename that file, give the game its Cars folder back (verify or reinstall the game), "
                L"then try again.";
    } else if (step == InstallStep::FindGameFolder && where.found.gone) {
        text << L"The game's Cars folder is no longer in the game folder this window works in.\r\n"
                L"Put it back, or close this window and start this program in the game's folder again.";
    } else if (step == InstallStep::FindGameFolder && where.found.pathTooLong) {
        text << kPathTooLong;
    } else if (step == InstallStep::FindGameFolder && where.found.programInTemp) {
        text << L"This program is running from inside the zip, where it cannot find the game.\r\nExtract "
             << std::string_view(ZVK_EXE_NAME) << L" into the game's folder" << kStartFromGameFolder;
    } else if (step == InstallStep::FindGameFolder) {
        text << L"The game's Cars folder was not found beside this program.\r\n"
                L"Copy this program into the ZVK DM2 game folder"
             << kStartFromGameFolder;
    } else if (step == InstallStep::ReadKeptFile && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
        AppendFailedFile(text, source, result);
        text << L" was moved or deleted since the window menu opened.\r\n"
                L"Open the window menu again (Alt+Space) to see the files kept now.";
    } else if (step == InstallStep::CheckTarget && error == kIsAFolder) {
        // The camera file's name, or that of the temporary file a press cut short left.
        text << L"There is a folder named " << FailedFileIn(PathText(), source, result).view()
             << (result.failedFile == StepFile::CameraFile ? L" where the camera file should be."
                                                           : L" where this program writes its temporary file.")
             << L"\r\nMove or rename that folder, then try again.";
    } else if (step == InstallStep::CheckTarget && error == ERROR_ACCESS_DENIED) {
        AppendFailedFile(text, source, result);
        text << L" is marked read-only.\r\nRemove the read-only mark (Properties in Explorer), then try again.";
    } else if (step == InstallStep::KeepOwnFile && IsNameTaken(error) && result.failedFile == StepFile::CameraFile) {
        text << L"Your own camera file could not be kept: Cameras.ini.bak to Cameras.ini.bak"
             << static_cast<unsigned long>(kMostBackups) << L" are all taken.\r\n"
             << L"Move some of the backups out of the Cars folder, then try again.";
    } else if (step == InstallStep::CreateTemporary && error == ERROR_FILE_NOT_FOUND) {
        // Controlled folder access answers so where it refuses to let a file be created; a
        // Cars folder that is not there answers ERROR_PATH_NOT_FOUND.
        text << L"Windows did not let this program create a file in the game's Cars folder.\r\n"
             << kAllowThroughCfa << L", then try again.";
    } else if (step == InstallStep::CreateTemporary && IsNameTaken(error) && anotherCopyMayWrite) {
        // A temporary file written moments ago: another copy's, perhaps (on another PC, where
        // the game is on a network share), or one that a press cut short left. Either way it
        // is not this press's to remove yet.
        text << L"Cars\\Cameras.ini.tmp is less than half a minute old: another copy of this program may be changing "
                L"the camera file, or a press was cut short.\r\nWait half a minute, then try again.";
    } else if (IsNameTaken(error) ||
               ((step == InstallStep::Replace || step == InstallStep::KeepOwnFile) && error == ERROR_FILE_NOT_FOUND)) {
        // The temporary file's name or a backup's taken a moment before this press took it, or
        // this press's temporary file removed.
        text << L"A file in the Cars folder was created or removed by another program"
             << (anotherCopyMayWrite ? kOrAnotherCopy : L"") << kWaitAMoment;
    } else if (error == kChangedMeanwhile) {
        text << L"The camera file Cars\\Cameras.ini was changed by another program"
             << (anotherCopyMayWrite ? kOrAnotherCopy : L"") << kWaitAMoment;
    } else if (IsAnOnlineOnlyFileError(error)) {
        AppendFailedFile(text, source, result);
        text << L" is in a OneDrive folder (or another cloud-sync app's) and is not on this PC now.\r\n"
                L"Start OneDrive and connect to the internet, or choose \"Always keep on this device\" for the game "
                L"folder (right-click it in Explorer), then try again.";
    } else {
        return false;
    }
    return true;
}

// What went wrong and what to do, as the error tells it. Never "run as administrator": an
// elevated program is not redirected to the VirtualStore, so under Program Files it would
// change a file that a game not run so does not read.
void AppendErrorsProblemAndFix(MessageText& text, const InstallSource& source, const InstallResult& result) {
    switch (result.osError) {
        case ERROR_FILENAME_EXCED_RANGE:
            text << kPathTooLong;
            return;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            text << L"The game's Cars folder could not be found.\r\n"
                    L"Copy this program into the ZVK DM2 game folder"
                 << kStartFromGameFolder;
            return;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        case kCloudFileInUse:
        case kCloudFileLockConflict:
            AppendFailedFile(text, source, result);
            // The game holds only its camera file; a scanner or a sync client may hold any.
            text << L" is in use by another program.\r\n"
                 << (result.failedFile == StepFile::CameraFile ? L"Close the game, or the program"
                                                               : L"Close the program")
                 << L" that holds it open, then try again.";
            return;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            text << L"Windows does not let this program change files in the game's Cars folder.\r\n"
                    L"Check the permissions of the game folder and its Cars folder (Properties, Security), "
                    L"and start this program from the game folder, the same way as the game.";
            // Controlled folder access refuses an unknown program's writes in the Desktop, the
            // Documents and the other folders it guards as access denied, whatever the permissions.
            if (result.osError == ERROR_ACCESS_DENIED) text << L" " << kAllowThroughCfa << L".";
            return;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            text << L"The game's disk is full.\r\nFree some space on it, then try again.";
            return;
        default:
            AppendFailedFile(text, source, result);
            text << L" could not be " << (IsARead(result) ? L"read" : L"written")
                 << L".\r\nCheck that the game folder can be written to, then try again.";
            return;
    }
}

// A kept file by the name the player knows: relative where the program runs in the game
// folder, full where it found the game elsewhere, on lines that break only between folders.
void AppendKeptFile(MessageText& text, const GameFolderLookup& where, unsigned number) {
    const bool relative = where.found.place == GameFolder::WorkingFolder;
    AppendPathInLines(text, BackupIn(relative ? PathText() : where.found.path, number).view());
}

void AppendKept(MessageText& text, const wchar_t* before, const GameFolderLookup& where, unsigned number) {
    text << before << L"Your own camera file was kept as:\r\n";
    AppendKeptFile(text, where, number);
}

// What was not done, and what became of the game folder. Each sentence holds for every
// failure it is said of.
void AppendOutcome(MessageText& text, const InstallSource& source, const InstallResult& result,
                   const GameFolderLookup& where) {
    if (source.preset != nullptr) {
        text << source.preset->caption << L" was not installed. ";
    } else {
        text << L"Your own camera file was not put back. ";
    }
    if (result.targetDamaged) {
        text << L"Cars\\Cameras.ini could not be put back as it was. Once the problem is solved, press "
             << ThePresetTable()[0].caption << L" to give the game its own camera settings again.";
    } else if (result.osError == kChangedMeanwhile) {
        text << L"This program left Cars\\Cameras.ini as the other program made it.";
    } else if (result.keptAs != 0 || result.temporaryLeft) {
        text << L"Cars\\Cameras.ini itself was not changed.";
    } else {
        text << L"Nothing in the game folder was changed.";
    }
    if (result.temporaryLeft)
        text
            << L" The temporary file Cars\\Cameras.ini.tmp could not be deleted: delete it once the problem is solved.";
    if (result.keptAs != 0) AppendKept(text, L"\r\n\r\n", where, result.keptAs);
}

// A folder looked in for the game, by its full path where it has one.
void AppendFolderLookedIn(MessageText& text, const PathText& folder) {
    if (folder.tooLong()) {
        text << L"(a folder whose path is longer than Windows takes)";
        return;
    }
    AppendPathInLines(text, folder.view());
}

// The file by its full path (or the folders looked in), the system's words, the error code
// and the step: what someone helping the player asks for.
void AppendDetails(MessageText& text, const InstallSource& source, const InstallResult& result,
                   const GameFolderLookup& where) {
    text << L"Details:\r\n";
    const GameFolder& found = where.found;
    if (result.failedStep == InstallStep::FindGameFolder && (found.gone || !found.carsIsAFileIn.empty())) {
        PathText cars = found.carsIsAFileIn.empty() ? found.path : found.carsIsAFileIn;
        AppendPathInLines(text, cars.join(PathView()).appendAscii("Cars").view());
    } else if (found.place == GameFolder::NotFound) {
        const PathText& working = where.searched.workingFolder;
        const PathText& program = where.searched.programFolder;
        text << L"Looked in:\r\n";
        AppendFolderLookedIn(text, working);
        if (program.view() != working.view() || program.tooLong() != working.tooLong()) {
            text << L"\r\nand in:\r\n";
            AppendFolderLookedIn(text, program);
        }
    } else {
        AppendPathInLines(text, FailedFileIn(where.found.path, source, result).view());
    }
    // Short lines: a message box may clip a line that just fits.
    text << L"\r\n";
    const bool withWords = AppendSystemReason(text, result.osError);
    AppendErrorCode(text, result.osError, !withWords);
    text << L"\r\nStep: " << kStepWords[std::size_t(result.failedStep)];
}

}  // namespace

MessageText InstallErrorText(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where,
                             bool anotherCopyMayWrite) {
    MessageText text;
    if (!AppendStepsProblemAndFix(text, source, result, where, anotherCopyMayWrite))
        AppendErrorsProblemAndFix(text, source, result);
    text << L"\r\n\r\n";
    AppendOutcome(text, source, result, where);
    text << L"\r\n\r\n";
    AppendDetails(text, source, result, where);
    return text;
}

MessageText ConfirmationText(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where,
                             const PathText& elevatedGame) {
    MessageText text;
    if (source.preset != nullptr) {
        text << source.preset->confirmation;
    } else {
        text << L"Your own camera file is back, from:\r\n";
        AppendKeptFile(text, where, source.keptFile);
    }
    if (result.keptAs != 0) {
        AppendKept(text, L"\r\n\r\n", where, result.keptAs);
        text << L"\r\nTo put it back: the window menu (Alt+Space).";
    }
    // Said where it is, since the window menu lists only the newest nine; and said at all, since
    // the player is told of each own file that a press replaces.
    if (result.keptBeforeAs != 0 && result.keptBeforeAs != source.keptFile) {
        text << L"\r\n\r\nThe camera file it replaced was kept before, as:\r\n";
        AppendKeptFile(text, where, result.keptBeforeAs);
    }
    if (!elevatedGame.empty())
        text << L"\r\n\r\nBut " << elevatedGame.lastName()
             << L" is set to run as administrator, so the game reads the camera file in the game folder itself, "
                L"not the copy that Windows keeps for this program in your VirtualStore. To change the file the game "
                L"reads: right-click this program, choose \"Run as administrator\", and press the button again "
                L"there.";
    return text;
}

MessageText AlreadyOpenText(const PathText& gameFolder) {
    MessageText text;
    text << L"This program is already open for this game folder, run as administrator or by another user.\r\n"
            L"Use that window (on the taskbar), or close it and start this one again.\r\n\r\nGame folder:\r\n";
    AppendPathInLines(text, gameFolder.view());
    return text;
}

}  // namespace zvk
