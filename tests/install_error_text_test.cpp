// What a player reads after a failed install: the file, the system's reason in words, and a
// way out that fits the failure.
#include "install_error_text.h"
#include "layout.h"

#include <gtest/gtest.h>

#include <string>

namespace zvk {
namespace {

bool Contains(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

// The game found in the program's folder, the player having started it from elsewhere.
GameFolderLookup GameBesideTheProgram() {
    GameFolderLookup where;
    where.found.place = GameFolder::ProgramFolder;
    where.found.path = PathText(L"D:\\Games\\ZVK DM2");
    return where;
}

TEST(InstallErrorText, NamesTheFileTheReasonAndTheWayOut) {
    struct Case {
        InstallStep step;
        DWORD osError;
        const wchar_t* advicePart;
    };
    const Case cases[] = {
        {InstallStep::CreateTemporary, ERROR_PATH_NOT_FOUND, L"game folder"},
        {InstallStep::CheckTarget, ERROR_ACCESS_DENIED, L"read-only mark"},
        {InstallStep::Replace, ERROR_SHARING_VIOLATION, L"Close the game"},
        {InstallStep::WriteInPlace, ERROR_SHARING_VIOLATION, L"Close the game"},
        // Denied, but not for the read-only mark: the folder's permissions.
        {InstallStep::Replace, ERROR_ACCESS_DENIED, L"permissions of the game folder"},
        {InstallStep::WriteInPlace, ERROR_ACCESS_DENIED, L"permissions of the game folder"},
        {InstallStep::Write, ERROR_DISK_FULL, L"Free some space"},
        {InstallStep::Replace, ERROR_INVALID_FUNCTION, L"can be written to"},
        {InstallStep::KeepOwnFile, ERROR_FILE_EXISTS, L"Move some of the backups"},
        {InstallStep::CreateTemporary, ERROR_FILENAME_EXCED_RANGE, L"path is too long for Windows. Move the game"},
    };
    const CameraPreset& carMode = ThePresetTable()[1];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osError);
        InstallResult result;
        result.failedStep = c.step;
        result.osError = c.osError;
        const MessageText text = InstallErrorText({&carMode}, result, GameBesideTheProgram());
        const std::wstring_view shown = text.view();
        EXPECT_TRUE(Contains(shown, L"Car Mode was not installed")) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_TRUE(Contains(shown, L"File: D:\\Games\\ZVK DM2\\Cars\\Cameras.ini\r\n"))
            << ::testing::PrintToString(std::wstring(shown));
        // The system's words for it (they differ between Windows versions and Wine).
        EXPECT_FALSE(Contains(shown, L"Reason: Windows error")) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_TRUE(Contains(shown, c.advicePart)) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_TRUE(Contains(shown, L"(error " + std::to_wstring(c.osError))) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_FALSE(Contains(shown, L"Done!"));
        // Elevated, the program would write past the VirtualStore the game reads.
        EXPECT_FALSE(Contains(shown, L"administrator")) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_TRUE(Contains(shown, L"Nothing in the game folder was changed."));
        EXPECT_FALSE(Contains(shown, L"\r\n)")) << "the system's line end left inside the text";
    }
}

// "Nothing in the game folder was changed" only where it holds: not where the file could not
// be put back, nor where a backup was made or the temporary file stayed. Each is named.
TEST(InstallErrorText, SaysWhatBecameOfTheGameFolder) {
    InstallResult result;
    result.failedStep = InstallStep::WriteInPlace;
    result.osError = ERROR_CRC;
    result.targetDamaged = true;
    const MessageText damaged = InstallErrorText({&ThePresetTable()[2]}, result, GameBesideTheProgram());
    result.targetDamaged = false;
    result.keptAs = 2;
    result.temporaryLeft = true;
    const MessageText keptAndLeft = InstallErrorText({&ThePresetTable()[2]}, result, GameBesideTheProgram());
    for (const MessageText* text : {&damaged, &keptAndLeft})
        EXPECT_FALSE(Contains(text->view(), L"Nothing in the game folder was changed."));
    EXPECT_TRUE(Contains(damaged.view(), L"could not be put back as it was. Once the problem is solved, press ZVK Mode"));
    EXPECT_TRUE(Contains(keptAndLeft.view(), L"Cameras.ini itself was not changed. The temporary file D:\\Games\\ZVK "
                                             L"DM2\\Cars\\Cameras.ini.tmp could not be deleted"));
    EXPECT_TRUE(Contains(keptAndLeft.view(), L"kept as:\r\nD:\\Games\\ZVK DM2\\Cars\\Cameras.ini.bak2"));
}

TEST(InstallErrorText, AnErrorWithoutASystemMessageStillReadsWell) {
    InstallResult result;
    result.failedStep = InstallStep::Write;
    result.osError = 0x2FFFFFFF;
    const MessageText text = InstallErrorText({&ThePresetTable()[0]}, result, GameBesideTheProgram());
    EXPECT_TRUE(Contains(text.view(), L"Reason: Windows error 805306367.")) << ::testing::PrintToString(std::wstring(text.view()));
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

TEST(MessageText, StaysWithinItsBufferWhenOverfilled) {
    MessageText text;
    const std::wstring line(300, L'x');
    for (int i = 0; i < 10; ++i) text << line;
    EXPECT_EQ(text.view().size(), 2047u);
    EXPECT_EQ(text.c_str()[2047], L'\0');
}

}  // namespace
}  // namespace zvk
