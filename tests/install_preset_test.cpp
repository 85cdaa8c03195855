// Installing presets into a real folder: the exact bytes when it works, the player's own file
// kept before it is replaced, and everything untouched, with nothing left behind, when it fails.
#include "install_preset.h"

#include "game_folder.h"

#include <chrono>
#include <vector>

#ifdef _WIN32
#include "recorded_calls.h"
#endif

namespace zvk {

// Readable failures: "step Replace" rather than "1-byte object <05>".
void PrintTo(InstallStep step, std::ostream* out) {
    static const char* const kNames[] = {"None",        "FindGameFolder", "ReadKeptFile",    "ReadCameraFile",
                                         "KeepOwnFile", "CheckTarget",    "CreateTemporary", "Write",
                                         "Flush",       "Close",          "Replace",         "ReadOldFile",
                                         "WriteInPlace"};
    *out << kNames[static_cast<int>(step)];
}

namespace {

using test_support::GameFolderTest;
using test_support::HoldsBytes;
using test_support::InstalledBytes;
using test_support::ReadBytes;
using test_support::Tree;
using test_support::WriteBytes;
namespace fs = std::filesystem;

const fs::path kCameraFile = fs::path("Cars") / "Cameras.ini";
const std::string kOldContent = "[master]\r\nJumpCamera = 0\r\n; the player's own file\r\n";

class InstallPresetTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        fs::create_directory("Cars");
    }
    // Installs into the test's folder, named by its absolute path as the program names it.
    InstallResult install(std::size_t preset, const FileCalls& calls = kSystemFileCalls) const {
        return InstallPreset(calls, ThePresetTable()[preset], PathText(root().native()));
    }
};

TEST_F(InstallPresetTest, WritesEachPresetExactlyIntoAnEmptyCarsFolder) {
    const std::size_t expectedSizes[] = {2739, 2715, 2738};
    for (std::size_t i = 0; i < ThePresetTable().size(); ++i) {
        const CameraPreset& preset = ThePresetTable()[i];
        SCOPED_TRACE(std::string(preset.caption));
        fs::remove(kCameraFile);

        const InstallResult result = install(i);

        ASSERT_TRUE(result.succeeded()) << ::testing::PrintToString(result.failedStep) << " failed, error "
                                        << result.osError;
        const std::string written = ReadBytes(kCameraFile);
        EXPECT_EQ(written.size(), expectedSizes[i]);
        EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(i)));
        EXPECT_EQ(written.substr(written.size() - 6), "\r\n\r\n\r\n");
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    }
}

// Whatever was there before, only the last preset's bytes remain; a file that is not one of
// the presets byte for byte is the player's own, and is kept once, as Cameras.ini.bak.
TEST_F(InstallPresetTest, ReplacesWhatWasThereKeepingThePlayersOwnFileOnce) {
    const PresetTable& presets = ThePresetTable();
    const std::string carMode = InstalledBytes(1);
    std::string withLfOnly;
    for (char c : carMode) {
        if (c != '\r') withLfOnly += c;
    }
    struct Case {
        const char* name;
        std::string before;
        std::vector<int> installs;
        bool kept;
    };
    const Case cases[] = {
        {"over a longer file", std::string(10000, 'x'), {0}, true},
        {"over an empty file", "", {2}, true},
        {"the same own file pressed over twice", kOldContent, {1, 1}, true},
        {"Car Mode, then ZVK Mode", kOldContent, {1, 0}, true},
        {"over Car Mode", carMode, {0}, false},
        {"all three, over Zoom Mode", InstalledBytes(2), {0, 1, 2, 1}, false},
        {"Car Mode's text without the closing line ends", std::string(presets[1].fileText), {0}, true},
        {"Car Mode with LF line ends", withLfOnly, {0}, true},
        {"Car Mode and one more line", carMode + "FOV=90\r\n", {1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("Cars");
        fs::create_directory("Cars");
        WriteBytes(kCameraFile, c.before);
        std::vector<unsigned> keptAs;
        for (int index : c.installs) {
            const InstallResult result = install(std::size_t(index));
            ASSERT_TRUE(result.succeeded()) << ::testing::PrintToString(result.failedStep);
            keptAs.push_back(result.keptAs);
        }
        EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(c.installs.back())));
        if (c.kept) {
            EXPECT_EQ(keptAs.front(), 1u) << "the first install did not say where it kept the file";
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak", c.before));
            EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini", "Cars/Cameras.ini.bak"}));
        } else {
            EXPECT_EQ(keptAs.front(), 0u);
            EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
        }
    }
}

// A backup is never overwritten: the first free number takes the file, unless some backup
// already holds its bytes, also where a kept file is put back; with every number taken
// nothing is kept, and nothing replaced.
TEST_F(InstallPresetTest, KeepsTheOwnFileUnderTheFirstFreeNumber) {
    WriteBytes("Cars/Cameras.ini.bak", "kept before");
    WriteBytes("Cars/Cameras.ini.bak3", kOldContent);
    WriteBytes(kCameraFile, "a third file");
    EXPECT_EQ(install(1).keptAs, 2u);
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak2", "a third file"));
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak", "kept before"));
    WriteBytes(kCameraFile, kOldContent);
    const InstallResult again = install(2);
    EXPECT_EQ(again.keptAs, 0u) << "kept again, though .bak3 holds it";
    EXPECT_EQ(again.keptBeforeAs, 3u);
    // Putting a kept file back over another file of the player's own keeps that one first.
    WriteBytes(kCameraFile, "a fourth file");
    EXPECT_EQ(PutBackKeptFile(kSystemFileCalls, PathText(root().native()), 1).keptAs, 4u);
    EXPECT_TRUE(HoldsBytes(kCameraFile, "kept before"));
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak", "kept before"));
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak4", "a fourth file"));

    for (unsigned number = 4; number <= kMostBackups; ++number)
        WriteBytes(BackupIn(PathText(root().native()), number).c_str(), std::to_string(number));
    WriteBytes(kCameraFile, "one file too many");
    EXPECT_EQ(install(0).failedStep, InstallStep::KeepOwnFile);
    EXPECT_TRUE(HoldsBytes(kCameraFile, "one file too many"));
    EXPECT_EQ(Tree("Cars").size(), 1u + kMostBackups);
}

// A run killed half-way leaves its temporary file; the next install must not trip over it.
// One written moments ago is another copy's, which may be about to move it into place: it is
// left alone, and the install says that the name is taken.
TEST_F(InstallPresetTest, ReusesATemporaryFileLeftByAnEarlierRunButNotAnotherCopys) {
    const auto leftAnHourAgo = [](const fs::path& file) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
    };
    WriteBytes(kCameraFile, InstalledBytes(0));
    WriteBytes("Cars/Cameras.ini.tmp", std::string(5000, 'z'));
    const InstallResult anotherCopys = install(2);
    EXPECT_EQ(anotherCopys.failedStep, InstallStep::CreateTemporary);
    EXPECT_TRUE(IsNameTaken(anotherCopys.osError)) << anotherCopys.osError;
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.tmp", std::string(5000, 'z')));
    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(0)));

    leftAnHourAgo("Cars/Cameras.ini.tmp");
    ASSERT_TRUE(install(2).succeeded());

    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(2)));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    // Where the caller knows that no other copy writes there, even one written moments ago was
    // left by an attempt that ended, and goes first; so does nothing, where there is none.
    WriteBytes("Cars/Cameras.ini.tmp", std::string(5000, 'z'));
    for (int press = 0; press < 2; ++press) {
        ASSERT_TRUE(RemoveLeftTemporaryFile(kSystemFileCalls, PathText(root().native())).succeeded());
        ASSERT_TRUE(install(press).succeeded());
    }
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    // But not a folder of that name, which no press made.
    fs::create_directory("Cars/Cameras.ini.tmp");
    const ReplaceResult folder = RemoveLeftTemporaryFile(kSystemFileCalls, PathText(root().native()));
    EXPECT_EQ(folder.failedStep, InstallStep::CheckTarget);
    EXPECT_TRUE(folder.failedFile == StepFile::TemporaryFile && fs::is_directory("Cars/Cameras.ini.tmp"));
    fs::remove("Cars/Cameras.ini.tmp");
#ifndef _WIN32
    // Nor write through it where it is still a second name of the backup being made: POSIX
    // links the backup into place, then drops the temporary name.
    WriteBytes(kCameraFile, kOldContent);
    WriteBytes("Cars/Cameras.ini.bak", kOldContent);
    fs::create_hard_link("Cars/Cameras.ini.bak", "Cars/Cameras.ini.tmp");
    leftAnHourAgo("Cars/Cameras.ini.tmp");
    ASSERT_TRUE(install(2).succeeded());
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini.bak", kOldContent));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini", "Cars/Cameras.ini.bak"}));
#endif
}

#ifdef _WIN32
using test_support::Call;
using test_support::kForGood;
using test_support::Refuse;
// The camera file holding a preset, or the player's own file, and the next `call` on `file` refused.
void PresetRefused(Call call, const char* file, OsError error, int count = 1) {
    WriteBytes(kCameraFile, InstalledBytes(0));
    Refuse(call, file, error, count);
}
void OwnFileRefused(Call call, const char* file, OsError error, int count = 1) {
    WriteBytes(kCameraFile, kOldContent);
    Refuse(call, file, error, count);
}
constexpr OsError kDiskFull = ERROR_DISK_FULL, kInUse = ERROR_SHARING_VIOLATION;
const FileCalls& kCalls = test_support::kRecordedCalls;  // the fault cases below inject through it
#else
const FileCalls& kCalls = kSystemFileCalls;
#endif

// Every way an install can fail leaves the game folder exactly as it found it: no partial
// backup, no temporary file. Where even the temporary file cannot be deleted, it says so.
// Windows' system calls are steered to fail at every step.
TEST_F(InstallPresetTest, AFailureLeavesEverythingAsItWas) {
    struct Case {
        const char* name;
        void (*arrange)();
        InstallStep expectedStep;
        bool temporaryLeft = false;
    };
    const Case cases[] = {
        {"no Cars folder: started outside the game folder", [] { fs::remove("Cars"); }, InstallStep::CreateTemporary},
        {"Cars is a file",
         [] {
             fs::remove("Cars");
             WriteBytes("Cars", kOldContent);
         },
         InstallStep::CreateTemporary},
        {"Cameras.ini is a folder", [] { fs::create_directories(kCameraFile / "inner"); }, InstallStep::CheckTarget},
        {"Cameras.ini is the player's own, and read-only: not even kept",
         [] {
             WriteBytes(kCameraFile, kOldContent);
             fs::permissions(kCameraFile, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
         },
         InstallStep::CheckTarget},
#ifdef _WIN32
        {"disk full while writing", [] { PresetRefused(Call::Write, "Cameras.ini.tmp", kDiskFull); },
         InstallStep::Write},
        {"flush fails", [] { PresetRefused(Call::Flush, "Cameras.ini.tmp", kDiskFull); }, InstallStep::Flush},
        {"close fails", [] { PresetRefused(Call::Close, "Cameras.ini.tmp", kDiskFull); }, InstallStep::Close},
        {"replace refused after the temporary file was written",
         [] { PresetRefused(Call::Move, "Cameras.ini", ERROR_NOT_SAME_DEVICE); }, InstallStep::Replace},
        // Keeping the player's own file, step by step.
        {"own file unreadable", [] { OwnFileRefused(Call::Read, "Cameras.ini", kInUse); }, InstallStep::ReadCameraFile},
        {"backup not created", [] { OwnFileRefused(Call::Open, "Cameras.ini.tmp", kDiskFull); },
         InstallStep::CreateTemporary},
        {"backup write fails", [] { OwnFileRefused(Call::Write, "Cameras.ini.tmp", kDiskFull); },
         InstallStep::KeepOwnFile},
        {"backup flush fails", [] { OwnFileRefused(Call::Flush, "Cameras.ini.tmp", kDiskFull); },
         InstallStep::KeepOwnFile},
        {"backup move refused", [] { OwnFileRefused(Call::Move, "Cameras.ini.bak", kInUse, kForGood); },
         InstallStep::KeepOwnFile},
        {"write fails and the temporary file cannot be deleted",
         [] {
             PresetRefused(Call::Write, "Cameras.ini.tmp", kDiskFull);
             Refuse(Call::Delete, "Cameras.ini.tmp", kInUse, kForGood);
         },
         InstallStep::Write, true},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : fs::directory_iterator(".")) fs::remove_all(entry.path());
        fs::create_directory("Cars");
#ifdef _WIN32
        test_support::ResetRecordedCalls();
#endif
        c.arrange();
        std::set<std::string> expectedTree = Tree(".");
        if (c.temporaryLeft) expectedTree.insert("Cars/Cameras.ini.tmp");
        const std::string oldBytes = fs::is_regular_file(kCameraFile) ? ReadBytes(kCameraFile) : "";
        const fs::file_status oldStatus = fs::status(kCameraFile);

        const InstallResult result = install(1, kCalls);

        EXPECT_EQ(result.failedStep, c.expectedStep);
        EXPECT_NE(result.osError, 0u);
        EXPECT_FALSE(result.targetDamaged);
        EXPECT_EQ(result.temporaryLeft, c.temporaryLeft);
        EXPECT_EQ(Tree("."), expectedTree);
        if (fs::is_regular_file(kCameraFile)) {
            EXPECT_TRUE(HoldsBytes(kCameraFile, oldBytes));
        }
        EXPECT_EQ(fs::status(kCameraFile).permissions(), oldStatus.permissions());
        if (fs::exists(kCameraFile)) fs::permissions(kCameraFile, fs::perms::owner_write, fs::perm_options::add);
    }
}

#ifdef _WIN32
// The game, an editor or a virus scanner may hold the file open without sharing it. Windows
// refuses the move with a sharing violation; Wine calls it access denied, and then the open
// that makes the redirected copy meets the sharing violation. Either way: refused as in use,
// nothing changed.
TEST_F(InstallPresetTest, AFileHeldOpenByAnotherProgramIsLeftAlone) {
    WriteBytes(kCameraFile, InstalledBytes(2));
    HANDLE holder =
        CreateFileW(kCameraFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const InstallResult whileHeld = install(0);
    CloseHandle(holder);

    EXPECT_FALSE(whileHeld.succeeded());
    EXPECT_EQ(whileHeld.osError, OsError(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(2)));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));

    ASSERT_TRUE(install(0).succeeded());
    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(0)));
}
#endif

}  // namespace
}  // namespace zvk
