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

TEST(InstallErrorText, NamesTheFileTheReasonAndTheWayOut) {
    struct Case {
        ReplaceStep step;
        DWORD osError;
        const wchar_t* advicePart;
    };
    const Case cases[] = {
        {ReplaceStep::CreateTemporary, ERROR_PATH_NOT_FOUND, L"game folder"},
        {ReplaceStep::CheckTarget, ERROR_ACCESS_DENIED, L"read-only mark"},
        {ReplaceStep::Replace, ERROR_SHARING_VIOLATION, L"Close the game"},
        {ReplaceStep::WriteInPlace, ERROR_SHARING_VIOLATION, L"Close the game"},
        // Denied, but not for the read-only mark: the folder's permissions.
        {ReplaceStep::Replace, ERROR_ACCESS_DENIED, L"permissions of the game folder"},
        {ReplaceStep::WriteInPlace, ERROR_ACCESS_DENIED, L"permissions of the game folder"},
        {ReplaceStep::Write, ERROR_DISK_FULL, L"Free some space"},
        {ReplaceStep::Replace, ERROR_INVALID_FUNCTION, L"can be written to"},
    };
    const CameraPreset& carMode = ThePresetTable()[1];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osError);
        const MessageText text = InstallErrorText(carMode, {c.step, c.osError});
        const std::wstring_view shown = text.view();
        EXPECT_TRUE(Contains(shown, L"Car Mode was not installed")) << ::testing::PrintToString(std::wstring(shown));
        EXPECT_TRUE(Contains(shown, L"Cars\\Cameras.ini")) << ::testing::PrintToString(std::wstring(shown));
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

// Only a failed write in place whose undo failed too can leave the file changed: then the
// box must not say otherwise, and says how to get a good file back.
TEST(InstallErrorText, ADamagedFileIsNotCalledUnchanged) {
    InstallResult damaged{ReplaceStep::WriteInPlace, ERROR_CRC};
    damaged.targetDamaged = true;
    const MessageText text = InstallErrorText(ThePresetTable()[2], damaged);
    EXPECT_FALSE(Contains(text.view(), L"Nothing in the game folder was changed."));
    EXPECT_TRUE(Contains(text.view(), L"press ZVK Mode")) << ::testing::PrintToString(std::wstring(text.view()));
}

TEST(InstallErrorText, AnErrorWithoutASystemMessageStillReadsWell) {
    const MessageText text = InstallErrorText(ThePresetTable()[0], {ReplaceStep::Write, 0x2FFFFFFF});
    EXPECT_TRUE(Contains(text.view(), L"Reason: Windows error 805306367.")) << ::testing::PrintToString(std::wstring(text.view()));
}

TEST(Form1Layout, PresetButtonsCarryThePresetCaptions) {
    const int buttons[] = {IDC_COMMAND1, IDC_COMMAND2, IDC_COMMAND3};
    for (std::size_t i = 0; i < ThePresetTable().size(); ++i) {
        const std::string_view caption = ThePresetTable()[i].caption;
        for (const ControlRow& row : kForm1Controls) {
            if (row.id == buttons[i]) {
                EXPECT_EQ(std::wstring(row.caption), std::wstring(caption.begin(), caption.end()));
            }
        }
    }
}

TEST(MessageText, StaysWithinItsBufferWhenOverfilled) {
    MessageText text;
    const std::wstring line(300, L'x');
    for (int i = 0; i < 10; ++i) text << line;
    EXPECT_EQ(text.view().size(), 1023u);
    EXPECT_EQ(text.c_str()[1023], L'\0');
}

}  // namespace
}  // namespace zvk
