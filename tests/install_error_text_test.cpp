// What a player reads after a failed install: the file, the system's reason in words, and a
// way out that fits the failure.
#include "install_error_text.h"
#include "layout.h"

#include <gtest/gtest.h>

#include <string>

namespace zvk {
namespace {

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

// The game found in the program's folder, the player having started it from elsewhere.
GameFolderLookup GameBesideTheProgram(const wchar_t* folder = L"D:\\Games\\ZVK DM2") {
    GameFolderLookup where;
    where.found.place = GameFolder::ProgramFolder;
    where.found.path = PathText(folder);
    return where;
}

// What the look for the game folder found.
enum class Lookup { Found, ProgramPathTooLong, CarsIsAFile, CarsFolderGone };

// Each box reads in the same order: the problem in the player's words on the first line, the
// fix on the second, what was not done and what became of the game folder, then the details:
// the file that failed by its full path, broken only between folders, and the system's words.
TEST(InstallErrorText, NamesTheFileTheReasonAndTheWayOut) {
    struct Case {
        InstallStep step;
        DWORD osError;
        const wchar_t* problem;  // the first line
        const wchar_t* fixPart;  // of the second
        const wchar_t* gameFolder = L"D:\\Games\\ZVK DM2";
        const wchar_t* failedFile = L"D:\\Games\\ZVK DM2\\Cars\\Cameras.ini";
        StepFile file = FileOfStep(step);  // as the core reports it
        Lookup lookup = Lookup::Found;
        bool anotherCopyMayWrite = false;  // the window holds no claim, or the game is on a share
        const wchar_t* code = nullptr;     // where not " (error <osError>)"
    };
    const wchar_t* const inUse = L"The camera file Cars\\Cameras.ini is in use by another program.";
    const wchar_t* const denied = L"Windows does not let this program change files in the game's Cars folder.";
    const wchar_t* const games = L"D:\\Games\\ZVK DM2";
    const wchar_t* const temporary = L"D:\\Games\\ZVK DM2\\Cars\\Cameras.ini.tmp";
    const wchar_t* const takenByAnotherProgram =
        L"A file in the Cars folder was created or removed by another program at the same moment.";
    const wchar_t* const takenByAnotherCopy =
        L"A file in the Cars folder was created or removed by another program, or another copy of this one, at "
        L"the same moment.";
    const Case cases[] = {
        {InstallStep::CreateTemporary, ERROR_PATH_NOT_FOUND, L"The game's Cars folder could not be found.",
         L"Copy this program into the ZVK DM2 game folder", games, temporary},
        {InstallStep::CheckTarget, ERROR_ACCESS_DENIED, L"The camera file Cars\\Cameras.ini is marked read-only.",
         L"Remove the read-only mark"},
        // Where a press cut short left its temporary file, a folder of that name is no press's.
        {InstallStep::CheckTarget, kIsAFolder,
         L"There is a folder named Cars\\Cameras.ini.tmp where this program writes its temporary file.",
         L"Move or rename that folder", games, temporary, StepFile::TemporaryFile},
        {InstallStep::Replace, ERROR_SHARING_VIOLATION, inUse, L"Close the game"},
        {InstallStep::WriteInPlace, ERROR_SHARING_VIOLATION, inUse, L"Close the game"},
        // Denied, but not for the read-only mark: the folder's permissions.
        {InstallStep::Replace, ERROR_ACCESS_DENIED, denied, L"permissions of the game folder"},
        // Controlled folder access refuses so too, whatever the permissions.
        {InstallStep::WriteInPlace, ERROR_ACCESS_DENIED, denied,
         L"Manage ransomware protection, \"Allow an app through Controlled folder access\"."},
        {InstallStep::Write, ERROR_DISK_FULL, L"The game's disk is full.", L"Free some space", games, temporary},
        {InstallStep::Replace, ERROR_INVALID_FUNCTION, L"The camera file Cars\\Cameras.ini could not be written.",
         L"can be written to"},
        {InstallStep::KeepOwnFile, ERROR_FILE_EXISTS,
         L"Your own camera file could not be kept: Cameras.ini.bak to Cameras.ini.bak99 are all taken.",
         L"Move some of the backups", games, L"D:\\Games\\ZVK DM2\\Cars\\Cameras.ini", StepFile::CameraFile},
        // The core refuses a folder too deep for its longest name before it changes anything.
        {InstallStep::CheckTarget, ERROR_FILENAME_EXCED_RANGE, L"The game folder's path is too long for Windows.",
         L"Move the game to a folder with a shorter path"},
        // Controlled folder access refuses to let a file be created as "not found".
        {InstallStep::CreateTemporary, ERROR_FILE_NOT_FOUND,
         L"Windows did not let this program create a file in the game's Cars folder.",
         L"Manage ransomware protection, \"Allow an app through Controlled folder access\", then", games, temporary},
        {InstallStep::FindGameFolder, ERROR_FILENAME_EXCED_RANGE, L"The game folder's path is too long for Windows.",
         L"Move the game to a folder with a shorter path", games,
         L"Looked in:\r\nC:\\Users\\Player\\Desktop\r\nand in:\r\n(a folder whose path is longer than Windows takes)",
         StepFile::CameraFile, Lookup::ProgramPathTooLong},
        {InstallStep::FindGameFolder, ERROR_PATH_NOT_FOUND,
         L"There is a file named Cars where the game's Cars folder should be.", L"Move or rename that file", games,
         L"D:\\Games\\ZVK DM2\\Cars", StepFile::CameraFile, Lookup::CarsIsAFile},
        {InstallStep::FindGameFolder, ERROR_PATH_NOT_FOUND,
         L"The game's Cars folder is no longer in the game folder this window works in.", L"Put it back, or close",
         games, L"D:\\Games\\ZVK DM2\\Cars", StepFile::CameraFile, Lookup::CarsFolderGone},
        // Names taken a moment before this press: a backup's, by another program, or by another
        // copy where one may be writing; a temporary file written moments ago, where one may.
        {InstallStep::KeepOwnFile, ERROR_FILE_EXISTS, takenByAnotherProgram, L"Wait a moment", games, temporary},
        {InstallStep::KeepOwnFile, ERROR_ALREADY_EXISTS, takenByAnotherCopy, L"Wait a moment", games, temporary,
         StepFile::TemporaryFile, Lookup::Found, true},
        {InstallStep::CreateTemporary, ERROR_FILE_EXISTS,
         L"Cars\\Cameras.ini.tmp is less than half a minute old: another copy of this program may be changing the "
         L"camera file, or a press was cut short.",
         L"Wait half a minute", games, temporary, StepFile::TemporaryFile, Lookup::Found, true},
        // A code Windows has no words for: said so, and its number in both the forms it is looked up by.
        {InstallStep::Write, 0x2FFFFFFF, L"The temporary file Cars\\Cameras.ini.tmp could not be written.",
         L"can be written to", games, temporary, StepFile::TemporaryFile, Lookup::Found, false,
         L"\r\nWindows has no description of this error (error 805306367, 0x2FFFFFFF)\r\nStep: "},
        // Online only, in a OneDrive folder, with OneDrive not running.
        {InstallStep::ReadCameraFile, 362,
         L"The camera file Cars\\Cameras.ini is in a OneDrive folder (or another cloud-sync app's) and is not on this "
         L"PC now.",
         L"\"Always keep on this device\" for the game folder"},
        // The temporary file, held by a scanner, in a deep folder.
        {InstallStep::Close, ERROR_SHARING_VIOLATION,
         L"The temporary file Cars\\Cameras.ini.tmp is in use by another program.",
         L"Close the program that holds it open",
         L"D:\\SteamLibrary\\steamapps\\common\\Zevrakon Duskmarr 2 Complete Edition",
         L"D:\\SteamLibrary\\steamapps\\common\\\r\nZevrakon Duskmarr 2 Complete Edition\\Cars\\\r\nCameras.ini.tmp"},
    };
    const CameraPreset& carMode = ThePresetTable()[1];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osError);
        GameFolderLookup where = GameBesideTheProgram(c.gameFolder);
        if (c.lookup == Lookup::ProgramPathTooLong) {
            where = {};
            where.searched.workingFolder = PathText(L"C:\\Users\\Player\\Desktop");
            where.searched.programFolder = PathText(std::wstring(PathText::kMostChars + 1, L'x'));
            where.found = ChooseGameFolder(where.searched, [](const PathText&) { return GameSigns::None; });
        } else if (c.lookup == Lookup::CarsIsAFile) {
            where.searched.workingFolder = where.searched.programFolder = where.found.path;
            where.found = ChooseGameFolder(where.searched, [](const PathText&) { return GameSigns::CarsIsAFile; });
        } else if (c.lookup == Lookup::CarsFolderGone) {
            LookAgain(where.found, [](const PathText&) { return GameSigns::None; });
        }
        const MessageText text =
            InstallErrorText({&carMode}, ReplaceResult(c.step, c.osError, c.file), where, c.anotherCopyMayWrite);
        const std::wstring shown(text.view());
        const std::wstring problem = shown.substr(0, shown.find(L"\r\n"));
        const std::wstring fix =
            shown.substr(problem.size() + 2, shown.find(L"\r\n", problem.size() + 2) - problem.size() - 2);
        EXPECT_EQ(problem, c.problem) << ::testing::PrintToString(shown);
        EXPECT_TRUE(Contains(fix, c.fixPart)) << ::testing::PrintToString(shown);
        const std::size_t outcome =
            shown.find(L"\r\n\r\nCar Mode was not installed. Nothing in the game folder was changed.\r\n\r\n");
        const std::size_t details = shown.find(std::wstring(L"\r\n\r\nDetails:\r\n") + c.failedFile + L"\r\n");
        const std::size_t code =
            shown.find(c.code != nullptr ? c.code : L" (error " + std::to_wstring(c.osError) + L")\r\nStep: ");
        EXPECT_TRUE(problem.size() + fix.size() + 2 == outcome && outcome < details && details < code &&
                    code != std::wstring::npos)
            << ::testing::PrintToString(shown);
        // The system's words for it (they differ between Windows versions and Wine).
        EXPECT_FALSE(Contains(shown, L"Windows error")) << ::testing::PrintToString(shown);
        EXPECT_FALSE(Contains(shown, L"Done!"));
        // Elevated, the program would write past the VirtualStore the game reads.
        EXPECT_FALSE(Contains(shown, L"administrator")) << ::testing::PrintToString(shown);
        EXPECT_FALSE(Contains(shown, L"\r\n)")) << "the system's line end left inside the text";
    }
}

// "Nothing in the game folder was changed" only where it holds: not where the file could not
// be put back, nor where a backup was made or the temporary file stayed, nor where another
// program changed the camera file meanwhile. Each is named.
TEST(InstallErrorText, SaysWhatBecameOfTheGameFolder) {
    InstallResult result;
    result.failedStep = InstallStep::WriteInPlace;
    result.osError = ERROR_CRC;
    result.targetDamaged = true;
    const MessageText damaged = InstallErrorText({&ThePresetTable()[2]}, result, GameBesideTheProgram(), false);
    result.targetDamaged = false;
    result.keptAs = 2;
    result.temporaryLeft = true;
    const MessageText keptAndLeft = InstallErrorText({&ThePresetTable()[2]}, result, GameBesideTheProgram(), false);
    for (const MessageText* text : {&damaged, &keptAndLeft})
        EXPECT_FALSE(Contains(text->view(), L"Nothing in the game folder was changed."));
    EXPECT_TRUE(
        Contains(damaged.view(), L"could not be put back as it was. Once the problem is solved, press ZVK Mode"));
    EXPECT_TRUE(Contains(keptAndLeft.view(),
                         L"Cars\\Cameras.ini itself was not changed. The temporary file "
                         L"Cars\\Cameras.ini.tmp could not be deleted"));
    EXPECT_TRUE(Contains(keptAndLeft.view(), L"kept as:\r\nD:\\Games\\ZVK DM2\\Cars\\Cameras.ini.bak2"));
    // Changed meanwhile by another program: not said to be unchanged.
    result.osError = kChangedMeanwhile;
    result.temporaryLeft = false;
    const MessageText changed = InstallErrorText({&ThePresetTable()[2]}, result, GameBesideTheProgram(), true);
    EXPECT_EQ(changed.view().substr(0, changed.view().find(L"\r\n")),
              L"The camera file Cars\\Cameras.ini was changed by another program, or another copy of this one, at "
              L"the same moment.");
    EXPECT_TRUE(Contains(changed.view(), L"left Cars\\Cameras.ini as the other program made it.\r\n\r\nYour own"));
}

TEST(Form1Layout, PresetButtonsCarryThePresetCaptions) {
    for (std::size_t i = 0; i < ThePresetTable().size(); ++i) {
        const std::string_view caption = ThePresetTable()[i].caption;
        const ControlRow* button = nullptr;
        for (const ControlRow& row : kForm1Controls) {
            if (row.id == kPresetButtonIds[i]) button = &row;
        }
        ASSERT_NE(button, nullptr) << "no row for preset " << i;
        EXPECT_EQ(std::wstring(button->caption), std::wstring(caption.begin(), caption.end()));
    }
}

TEST(MessageText, StaysWithinItsLimitWhenOverfilled) {
    MessageText text;
    const std::wstring line(300, L'x');
    for (std::size_t i = 0; i <= MessageText::kMostChars / line.size(); ++i) text << line;
    EXPECT_EQ(text.view().size(), MessageText::kMostChars);
    EXPECT_EQ(text.c_str()[MessageText::kMostChars], L'\0');
}

}  // namespace
}  // namespace zvk
