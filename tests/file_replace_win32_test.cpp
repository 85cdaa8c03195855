// The Windows replace, call by call: the order that makes it durable, growing pauses that
// wait out a file held a moment, the redirected copy that keeps the move atomic under Program
// Files, the write in place as the last resort, and no open of the camera file that Windows'
// file virtualization refuses. The calls go to the real file system, seen and steered on the way.
#include "install_preset.h"
#include "recorded_calls.h"

#include "game_folder.h"

#include <string>
#include <vector>

namespace zvk {
namespace {

using test_support::Call;
using test_support::gCallLog;
using test_support::HoldsBytes;
using test_support::InstalledBytes;
using test_support::kForGood;
using test_support::Refuse;
using test_support::Tree;
using test_support::WriteBytes;
namespace fs = std::filesystem;

const std::string kOldContent = "[master]\r\n; the player's own\r\n";

std::string Hex(DWORD value) {
    char text[16];
    wsprintfA(text, "%lx", value);
    return text;
}

std::string Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    return "CreateFile " + name + " access " + Hex(access) + " share " + Hex(share) + " disposition " +
           Hex(disposition);
}
const std::string kMove =
    "MoveFileEx Cameras.ini.tmp to Cameras.ini flags " + Hex(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
const std::string kRedirectedCopy = Open("Cameras.ini", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);

// The first or the last `count` calls, or all of them where fewer were made.
std::vector<std::string> FirstCalls(std::size_t count) {
    return {gCallLog.begin(), gCallLog.begin() + std::ptrdiff_t(std::min(count, gCallLog.size()))};
}
std::vector<std::string> LastCalls(std::size_t count) {
    return {gCallLog.end() - std::ptrdiff_t(std::min(count, gCallLog.size())), gCallLog.end()};
}

// Under Program Files, a standard user's open that asks to change a file which exists only in
// the real folder is redirected to the VirtualStore only if it asks for one of these...
constexpr DWORD kRedirectedAccess = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                    FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | WRITE_DAC | WRITE_OWNER;
// ...and is refused as access denied otherwise.
constexpr DWORD kChangingAccess = kRedirectedAccess | DELETE;

class WindowsReplaceTest : public test_support::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        std::filesystem::create_directory("Cars");
        test_support::ResetRecordedCalls();
    }
    // Whatever a test made the system do, no open was one the file virtualization would
    // refuse: the camera file and the backups may exist only in the real folder.
    void TearDown() override {
        for (const std::string& line : gCallLog) {
            const std::size_t at = line.find(" access ");
            if (line.compare(0, 11, "CreateFile ") != 0 || at == std::string::npos) continue;
            const DWORD access = std::stoul(line.substr(at + 8), nullptr, 16);
            EXPECT_FALSE((access & kChangingAccess) != 0 && (access & kRedirectedAccess) == 0)
                << "refused under Program Files: " << line;
        }
        GameFolderTest::TearDown();
    }

    ReplaceResult install(std::size_t preset) const {
        const PathText folder(root().native());
        return ReplaceFileContents(test_support::kRecordedCalls, CameraFileIn(folder).c_str(),
                                   CameraFileIn(folder, ".tmp").c_str(),
                                   {ThePresetTable()[preset].fileText, kCameraFileTrailer});
    }
};

// Each byte on the disk before the file is closed, and closed before it is moved, with the
// move itself written through: a power cut at any point leaves the old file or the new one.
// The player's own file goes the same way first, to a backup name that is never replaced.
// In a game folder so deep that the temporary file's and the backup's paths pass MAX_PATH,
// as deep library folders and long mod-pack names do, those calls take their long form; and
// in one that is itself deeper than that, every call.
TEST_F(WindowsReplaceTest, WritesFlushesClosesThenMovesWithWriteThrough) {
    struct Case {
        const char* name;
        std::size_t cameraFileLength;  // 0: as the test's own folder gives it
        std::string longForm;          // how the calls name the temporary file's folder
    };
    const Case cases[] = {
        {"in a short path", 0, ""},
        {"where the camera file's path is 258 characters long", 258, "\\\\?\\...\\"},
        {"in a game folder of 300 characters", 300 + 17, "\\\\?\\...\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path folder = root();
        if (c.cameraFileLength != 0) folder /= std::string(c.cameraFileLength - root().native().size() - 18, 'd');
        fs::create_directories(test_support::AnyDepth(folder / "Cars"));
        if (c.cameraFileLength != 0) {
            ASSERT_EQ((folder / "Cars" / "Cameras.ini").native().size(), c.cameraFileLength);
        }
        const fs::path cameraFile = test_support::AnyDepth(folder / "Cars" / "Cameras.ini");
        WriteBytes(cameraFile, kOldContent);
        test_support::ResetRecordedCalls();

        ASSERT_TRUE(
            InstallPreset(test_support::kRecordedCalls, ThePresetTable()[0], PathText(folder.native())).succeeded());

        const std::string temporary = c.longForm + "Cameras.ini.tmp";
        const std::string create = Open(temporary, GENERIC_WRITE, 0, CREATE_NEW),
                          flush = "FlushFileBuffers " + temporary, close = "CloseHandle " + temporary;
        const std::vector<std::string> expected = {
            create,
            "WriteFile " + temporary + " " + std::to_string(kOldContent.size()),
            flush,
            close,
            "MoveFileEx " + temporary + " to " + c.longForm + "Cameras.ini.bak flags " + Hex(MOVEFILE_WRITE_THROUGH),
            create,
            "WriteFile " + temporary + " " + std::to_string(ThePresetTable()[0].fileText.size()),
            "WriteFile " + temporary + " 4",
            flush,
            close,
            "MoveFileEx " + temporary + " to " + (c.cameraFileLength >= MAX_PATH ? c.longForm : "") +
                "Cameras.ini flags " + Hex(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
        };
        std::vector<std::string> writes;  // every call that names the temporary file
        for (const std::string& line : gCallLog) {
            if (line.find("Cameras.ini.tmp") != std::string::npos) writes.push_back(line);
        }
        EXPECT_EQ(writes, expected);
        EXPECT_TRUE(HoldsBytes(cameraFile, InstalledBytes(0)));
        EXPECT_TRUE(HoldsBytes(test_support::AnyDepth(folder / "Cars" / "Cameras.ini.bak"), kOldContent));
    }
}

// All the pauses of one install, in milliseconds.
DWORD Paused() {
    DWORD paused = 0;
    for (const std::string& line : gCallLog) {
        if (line.compare(0, 6, "Sleep ") == 0) paused += std::stoul(line.substr(6));
    }
    return paused;
}

// A scanner's or indexer's brief hold is waited out, with pauses that grow, on every step: the
// read of the camera file as much as the move; one that outlasts them stands, and the install
// fails within the budget. A move refused as access denied by the file virtualization gets
// the redirected copy at once, and then moves within the VirtualStore. Only where every move
// is refused is the file written in place: open without sharing, every byte from the start,
// the end set, flushed and closed, and only then the temporary deleted. A temporary file that
// another copy of the program made meanwhile is not written: that install fails. Nor is a
// camera file that another copy replaced after it was read: the player's own file, as read, is
// kept, and the other copy's file stays. Each way ends with the new bytes alone, or the old ones.
TEST_F(WindowsReplaceTest, WaitsOutHoldsMakesTheRedirectedCopyAndWritesInPlaceOnlyAsTheLastResort) {
    struct Case {
        const char* name;
        Call refusedCall;
        const char* refusedFile;
        DWORD refusal;
        int refusals;
        DWORD error;  // the install's; ERROR_SUCCESS where it succeeds
        std::vector<std::string> expectedEnd;
        std::vector<std::string> expectedStart = {};
        void (*meanwhile)() = nullptr;  // just before the refused call, over the player's own file
    };
    const std::string close = "CloseHandle Cameras.ini";
    const std::string read =
        Open("Cameras.ini", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    const Case cases[] = {
        {"held for a moment",
         Call::Move,
         "Cameras.ini",
         ERROR_SHARING_VIOLATION,
         2,
         ERROR_SUCCESS,
         {kMove, "Sleep 10", kMove, "Sleep 20", kMove}},
        {"held for good",
         Call::Move,
         "Cameras.ini",
         ERROR_SHARING_VIOLATION,
         kForGood,
         ERROR_SHARING_VIOLATION,
         {kMove, "Sleep 640", kMove, "DeleteFile Cameras.ini.tmp"}},
        {"held, sharing nothing, while it is read, then released",
         Call::Open,
         "Cameras.ini",
         ERROR_SHARING_VIOLATION,
         2,
         ERROR_SUCCESS,
         {kMove},
         {read, "Sleep 10", read, "Sleep 20", read, "ReadFile Cameras.ini"}},
        // The camera file checked against what was read, as late as can be: then the moves.
        {"redirected",
         Call::Move,
         "Cameras.ini",
         ERROR_ACCESS_DENIED,
         1,
         ERROR_SUCCESS,
         {"FlushFileBuffers Cameras.ini.tmp", "CloseHandle Cameras.ini.tmp", read, "ReadFile Cameras.ini",
          "ReadFile Cameras.ini", close, kMove, kRedirectedCopy, close, kMove}},
        {"redirected, then held a moment",
         Call::Move,
         "Cameras.ini",
         ERROR_ACCESS_DENIED,
         2,
         ERROR_SUCCESS,
         {kMove, kRedirectedCopy, close, kMove, "Sleep 10", kMove}},
        {"every move refused",
         Call::Move,
         "Cameras.ini",
         ERROR_ACCESS_DENIED,
         kForGood,
         ERROR_SUCCESS,
         {kMove, kRedirectedCopy, "ReadFile Cameras.ini",
          "WriteFile Cameras.ini " + std::to_string(ThePresetTable()[2].fileText.size()), "WriteFile Cameras.ini 4",
          "SetEndOfFile Cameras.ini", "FlushFileBuffers Cameras.ini", close, "DeleteFile Cameras.ini.tmp"}},
        {"the temporary file made by another copy meanwhile",
         Call::Open,
         "Cameras.ini.tmp",
         ERROR_FILE_EXISTS,
         1,
         ERROR_FILE_EXISTS,
         {Open("Cameras.ini.tmp", GENERIC_WRITE, 0, CREATE_NEW)}},
        {"the camera file replaced by another copy between the read and the keep",
         Call::Open,
         "Cameras.ini.tmp",
         ERROR_SUCCESS,
         0,
         kChangedMeanwhile,
         {close, "DeleteFile Cameras.ini.tmp"},
         {},
         [] { WriteBytes("Cars/Cameras.ini", InstalledBytes(1)); }},
        // Another copy that read the same file kept it under the same name a moment before: kept once.
        {"the player's own file kept by another copy under the same name a moment before",
         Call::Move,
         "Cameras.ini.bak",
         ERROR_SUCCESS,
         0,
         ERROR_SUCCESS,
         {kMove},
         {},
         [] { WriteBytes("Cars/Cameras.ini.bak", kOldContent); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("Cars");
        fs::create_directory("Cars");
        const std::string old = c.meanwhile != nullptr ? kOldContent : InstalledBytes(0);
        WriteBytes("Cars/Cameras.ini", old);
        test_support::ResetRecordedCalls();
        if (c.refusals > 0) Refuse(c.refusedCall, c.refusedFile, c.refusal, c.refusals);
        if (c.meanwhile != nullptr) test_support::Meanwhile(c.refusedCall, c.refusedFile, c.meanwhile);

        const InstallResult result =
            InstallPreset(test_support::kRecordedCalls, ThePresetTable()[2], PathText(root().native()));

        EXPECT_EQ(result.osError, c.error);
        EXPECT_EQ(LastCalls(c.expectedEnd.size()), c.expectedEnd);
        EXPECT_EQ(FirstCalls(c.expectedStart.size()), c.expectedStart);
        std::set<std::string> expectedTree = {"Cars", "Cars/Cameras.ini"};
        if (c.meanwhile != nullptr) {
            const bool installed = c.error == ERROR_SUCCESS;
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", InstalledBytes(installed ? 2 : 1)))
                << (installed ? "not installed" : "the other copy's file was replaced");
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak", old)) << "not what was judged the player's own";
            EXPECT_EQ(result.keptAs, installed ? 0u : 1u);
            EXPECT_EQ(result.keptBeforeAs, installed ? 1u : 0u);
            expectedTree.insert("Cars/Cameras.ini.bak");
        } else {
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", c.error == ERROR_SUCCESS ? InstalledBytes(2) : old));
        }
        EXPECT_EQ(Tree("."), expectedTree);
        EXPECT_LE(Paused(), 2000u) << "the pauses outlast the budget";
    }
}

// In use when the redirected copy is made: nothing is written. A write in place that fails
// leaves the old bytes of any size, put back once a write was tried; only where they could
// not be put back does it say the file is damaged.
TEST_F(WindowsReplaceTest, AFailedWriteInPlaceLeavesTheOldFile) {
    const std::string large(100 * 1024, 'L');
    struct Case {
        const char* name;
        Call refusedCall;
        int refusals;
        std::size_t partBytes;
        const std::string& old;
        InstallStep step;
        DWORD error;
        bool damaged;
    };
    const Case cases[] = {
        {"in use", Call::Open, kForGood, 0, kOldContent, InstallStep::Replace, ERROR_SHARING_VIOLATION, false},
        {"the old bytes cannot be read", Call::Read, 1, 0, large, InstallStep::ReadOldFile, ERROR_CRC, false},
        // A failed write reports no byte written, whatever reached the disk.
        {"no byte said to land, and putting back fails", Call::Write, 2, 0, kOldContent, InstallStep::WriteInPlace,
         ERROR_CRC, true},
        {"some bytes land, the old ones go back", Call::Write, 1, 100, large, InstallStep::WriteInPlace, ERROR_CRC,
         false},
        {"some bytes land, and putting back fails", Call::Write, 2, 100, kOldContent, InstallStep::WriteInPlace,
         ERROR_CRC, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes("Cars/Cameras.ini", c.old);
        test_support::ResetRecordedCalls();
        Refuse(Call::Move, "Cameras.ini", ERROR_ACCESS_DENIED, kForGood);
        Refuse(c.refusedCall, "Cameras.ini", c.error, c.refusals, c.partBytes);

        const ReplaceResult result = install(1);

        EXPECT_EQ(result.failedStep, c.step);
        EXPECT_EQ(result.osError, c.error);
        EXPECT_EQ(result.targetDamaged, c.damaged);
        if (!c.damaged) {
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", c.old));
        }
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    }
}

}  // namespace
}  // namespace zvk
