// Installing presets into a real folder: the exact bytes when it works, and the player's
// file untouched, with nothing left behind, when it does not.
#include "install_preset.h"

#include "game_folder.h"

#include <cerrno>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace zvk {

// Readable failures: "step Replace" rather than "1-byte object <05>".
void PrintTo(ReplaceStep step, std::ostream* out) {
    static const char* const kNames[] = {"None",  "CheckTarget", "CreateTemporary", "Write",
                                         "Flush", "Close",       "Replace",         "WriteInPlace"};
    *out << kNames[static_cast<int>(step)];
}

namespace {

using test_support::GameFolderTest;
using test_support::HoldsBytes;
using test_support::ReadBytes;
using test_support::Tree;
using test_support::WriteBytes;
namespace fs = std::filesystem;

const fs::path kCameraFile = fs::path("Cars") / "Cameras.ini";
const std::string kOldContent = "[master]\r\nJumpCamera = 0\r\n; the player's own file\r\n";

std::string InstalledBytes(const CameraPreset& preset) {
    return std::string(preset.fileText) + "\r\n\r\n";
}

class InstallPresetTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        fs::create_directory("Cars");
    }
};

TEST_F(InstallPresetTest, WritesEachPresetExactlyIntoAnEmptyCarsFolder) {
    const std::size_t expectedSizes[] = {2739, 2715, 2738};
    for (std::size_t i = 0; i < ThePresetTable().size(); ++i) {
        const CameraPreset& preset = ThePresetTable()[i];
        SCOPED_TRACE(std::string(preset.caption));
        fs::remove(kCameraFile);

        const InstallResult result = InstallPreset(preset);

        ASSERT_TRUE(result.succeeded()) << ::testing::PrintToString(result.failedStep) << " failed, error "
                                        << result.osError;
        const std::string written = ReadBytes(kCameraFile);
        EXPECT_EQ(written.size(), expectedSizes[i]);
        EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(preset)));
        EXPECT_EQ(written.substr(written.size() - 6), "\r\n\r\n\r\n");
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    }
}

// Whatever was there before, only the last preset's bytes remain.
TEST_F(InstallPresetTest, ReplacesWhatWasThereWithNothingLeftOver) {
    const PresetTable& presets = ThePresetTable();
    const std::string longer(10000, 'x');
    struct Case {
        const char* name;
        std::string before;
        std::vector<int> installs;
    };
    const Case cases[] = {
        {"over a longer file", longer, {0}},
        {"Car Mode over a longer file", longer, {1}},
        {"Zoom Mode over a longer file", longer, {2}},
        {"the same preset twice", kOldContent, {1, 1}},
        {"Car Mode, then ZVK Mode", kOldContent, {1, 0}},
        {"all three, then Car Mode", "", {0, 1, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(kCameraFile, c.before);
        for (int index : c.installs) ASSERT_TRUE(InstallPreset(presets[index]).succeeded());
        EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(presets[c.installs.back()])));
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    }
}

// A run killed half-way leaves its temporary file; the next install must not trip over it.
TEST_F(InstallPresetTest, ReusesATemporaryFileLeftByAnEarlierRun) {
    WriteBytes(kCameraFile, kOldContent);
    WriteBytes(CameraTemporaryPath, std::string(5000, 'z'));

    ASSERT_TRUE(InstallPreset(ThePresetTable()[2]).succeeded());

    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(ThePresetTable()[2])));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
}

#ifdef _WIN32
constexpr std::uint32_t kDiskFull = ERROR_DISK_FULL;
constexpr std::uint32_t kOtherDevice = ERROR_NOT_SAME_DEVICE;
#else
constexpr std::uint32_t kDiskFull = ENOSPC;
constexpr std::uint32_t kOtherDevice = EXDEV;
#endif

// Every way an install can fail leaves the working folder exactly as it found it.
TEST_F(InstallPresetTest, AFailureLeavesEverythingAsItWas) {
    struct Case {
        const char* name;
        void (*arrange)();
        ReplaceStep expectedStep;
        const InjectedFault* fault;
    };
    static const InjectedFault diskFullWhileWriting{ReplaceStep::Write, kDiskFull};
    static const InjectedFault flushFails{ReplaceStep::Flush, kDiskFull};
    static const InjectedFault closeFails{ReplaceStep::Close, kDiskFull};
    static const InjectedFault replaceRefused{ReplaceStep::Replace, kOtherDevice};
    const auto withOldFile = [] { WriteBytes(kCameraFile, kOldContent); };
    const Case cases[] = {
        {"no Cars folder: started outside the game folder", [] { fs::remove("Cars"); },
         ReplaceStep::CreateTemporary, nullptr},
        {"Cars is a file", [] { fs::remove("Cars"); WriteBytes("Cars", kOldContent); },
         ReplaceStep::CreateTemporary, nullptr},
        {"Cameras.ini is a folder", [] { fs::create_directories(kCameraFile / "inner"); },
         ReplaceStep::Replace, nullptr},
        {"Cameras.ini is read-only",
         [] {
             WriteBytes(kCameraFile, kOldContent);
             fs::permissions(kCameraFile, fs::perms::owner_write | fs::perms::group_write |
                                              fs::perms::others_write, fs::perm_options::remove);
         },
         ReplaceStep::CheckTarget, nullptr},
        {"disk full while writing", withOldFile, ReplaceStep::Write, &diskFullWhileWriting},
        {"flush fails", withOldFile, ReplaceStep::Flush, &flushFails},
        {"close fails", withOldFile, ReplaceStep::Close, &closeFails},
        {"replace refused after the temporary file was written", withOldFile,
         ReplaceStep::Replace, &replaceRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : fs::directory_iterator("."))
            fs::remove_all(entry.path());
        fs::create_directory("Cars");
        c.arrange();
        const std::set<std::string> before = Tree(".");
        const std::string oldBytes = fs::is_regular_file(kCameraFile) ? ReadBytes(kCameraFile) : "";
        const fs::file_status oldStatus = fs::status(kCameraFile);

        const InstallResult result = InstallPreset(ThePresetTable()[1], c.fault);

        EXPECT_FALSE(result.succeeded());
        EXPECT_EQ(result.failedStep, c.expectedStep);
        EXPECT_NE(result.osError, 0u);
        EXPECT_EQ(Tree("."), before);
        if (fs::is_regular_file(kCameraFile)) {
            EXPECT_TRUE(HoldsBytes(kCameraFile, oldBytes));
        }
        EXPECT_EQ(fs::status(kCameraFile).permissions(), oldStatus.permissions());
        if (fs::exists(kCameraFile))
            fs::permissions(kCameraFile, fs::perms::owner_write, fs::perm_options::add);
    }
}

#ifdef _WIN32
// The game, an editor or a virus scanner may hold the file open without sharing it. Windows
// refuses the move with a sharing violation; Wine calls it access denied, and then the write
// in place meets the sharing violation. Either way: refused as in use, nothing changed.
TEST_F(InstallPresetTest, AFileHeldOpenByAnotherProgramIsLeftAlone) {
    WriteBytes(kCameraFile, kOldContent);
    HANDLE holder = CreateFileW(CameraFilePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const InstallResult whileHeld = InstallPreset(ThePresetTable()[0]);
    CloseHandle(holder);

    EXPECT_FALSE(whileHeld.succeeded());
    EXPECT_EQ(whileHeld.osError, std::uint32_t(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(HoldsBytes(kCameraFile, kOldContent));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));

    ASSERT_TRUE(InstallPreset(ThePresetTable()[0]).succeeded());
    EXPECT_TRUE(HoldsBytes(kCameraFile, InstalledBytes(ThePresetTable()[0])));
}
#endif

}  // namespace
}  // namespace zvk
