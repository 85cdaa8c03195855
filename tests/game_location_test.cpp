// Where the program finds the game however it was started: in real folders, as the player's.
#include "game_location.h"

#include "game_folder.h"

#ifdef _WIN32
#include "elevated_game.h"
#include "one_window_per_game.h"

#include <utility>
#endif

namespace zvk {
namespace {

using test_support::GameFolderTest;
namespace fs = std::filesystem;

#ifdef _WIN32
// Compatibility settings as Explorer's Compatibility tab writes them, in a key of the test's own.
struct CompatibilitySettings {
    explicit CompatibilitySettings(const fs::path& root) {
        RegCreateKeyExW(HKEY_CURRENT_USER, key.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &layers, nullptr);
        set(root / "elevated" / "bin" / "Game.exe", L"~ RUNASADMIN");  // a tool below the game folder
        set(root / "elevated-too" / "Game.exe", L"~ RUNASADMIN");      // a folder named alike is another
        set(root / "game" / "Game.exe", L"~ WINXPSP3 HIGHDPIAWARE");
        set(root / "elevated-game" / "Game.exe", L"~ RUNASADMIN");
        set(root / "elevated-no-copy" / "Game.exe", L"~ WINXPSP3 RUNASADMIN");
    }
    ~CompatibilitySettings() {
        RegCloseKey(layers);
        RegDeleteKeyW(HKEY_CURRENT_USER, key.path);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZvkCameraModeTests");
    }
    void set(const fs::path& exe, const std::wstring& settings) const {
        RegSetValueExW(layers, exe.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(settings.c_str()),
                       DWORD((settings.size() + 1) * sizeof(wchar_t)));
    }

    const RegistryKey key = {HKEY_CURRENT_USER, L"Software\\ZvkCameraModeTests\\Layers", 0};
    HKEY layers = nullptr;
};
#endif

// And, on Windows, whether the game found has an exe of its own set to run as administrator
// where the program's camera file is the VirtualStore's copy, which such a game does not read.
TEST_F(GameFolderTest, TheWorkingFolderFirstThenTheProgramsOwn) {
    for (const char* folder :
         {"game/Cars", "other-game/Cars", "temp/Temp1_ZvkCameraMode.zip", "elsewhere", "cars-is-a-file",
          "lower-case/cars", "elevated/Cars", "elevated-game/Cars", "elevated-no-copy/Cars"})
        fs::create_directories(folder);
    test_support::WriteBytes("cars-is-a-file/Cars", "not a folder");
    for (const char* game : {"game", "elevated", "elevated-game", "elevated-no-copy"})
        test_support::WriteBytes(fs::path(game) / "Cars" / "Cameras.ini", "[master]\r\n");
    struct Case {
        const char* working;
        const char* program;
        GameFolder::Place place;
        bool programInTemp;
        const char* exeRunAsAdministrator = "";
        const char* carsIsAFileIn = "";
    };
    const Case cases[] = {
        {"game", "other-game", GameFolder::WorkingFolder, false},
        {"other-game", "game", GameFolder::ProgramFolder, false},  // a Cars folder without the camera file
        {"elsewhere", "game", GameFolder::ProgramFolder, false},
        {"cars-is-a-file", "game", GameFolder::ProgramFolder, false},
        {"elsewhere", "cars-is-a-file", GameFolder::NotFound, false, "", "cars-is-a-file"},
        {"elsewhere", "temp/Temp1_ZvkCameraMode.zip", GameFolder::NotFound, true},
        {"elsewhere", "temp-not", GameFolder::NotFound, false},  // beside the temp folder, not in it
#ifdef _WIN32
        {"lower-case", "other-game", GameFolder::WorkingFolder, false},  // Windows matches names in any case
        {"elevated", "game", GameFolder::WorkingFolder, false, ""},
        {"elevated-game", "game", GameFolder::WorkingFolder, false, "elevated-game\\Game.exe"},
        {"elevated-no-copy", "game", GameFolder::WorkingFolder, false, ""},  // the program writes the real file
#endif
    };
    const auto absolute = [&](const char* name) { return PathText((root() / name).make_preferred().native()); };
#ifdef _WIN32
    const CompatibilitySettings settings(root());
    // The VirtualStore's copies: each below the path its folder has on its drive.
    const fs::path virtualStore = root() / "VirtualStore";
    for (const char* folder : {"elevated", "elevated-game"}) {
        const fs::path copy = virtualStore / absolute(folder).view().substr(3) / "Cars";
        fs::create_directories(copy);
        test_support::WriteBytes(copy / "Cameras.ini", "[master]\r\n");
    }
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.working) + ", " + c.program);
        const GameFolderSearch search{absolute(c.working), absolute(c.program), absolute("temp")};
        const GameFolder found = ChooseGameFolder(search, &GameSignsIn);
        EXPECT_EQ(found.place, c.place);
        EXPECT_EQ(found.programInTemp, c.programInTemp);
        EXPECT_TRUE(found.carsIsAFileIn.view() ==
                    (*c.carsIsAFileIn != '\0' ? absolute(c.carsIsAFileIn) : PathText()).view());
        EXPECT_TRUE(found.path.view() == (c.place == GameFolder::WorkingFolder   ? search.workingFolder.view()
                                          : c.place == GameFolder::ProgramFolder ? search.programFolder.view()
                                                                                 : PathView()));
#ifdef _WIN32
        const PathText elevated = *c.exeRunAsAdministrator != '\0' ? absolute(c.exeRunAsAdministrator) : PathText();
        EXPECT_TRUE(
            ElevatedGameReadingAnotherFile(found.path, PathText(virtualStore.native()), &settings.key, 1).view() ==
            elevated.view());
#endif
    }
}

#ifdef _WIN32
// The program's own path as Windows gives it, started by the long form, and as Wine gives it
// for a share; the working folder the same. The player knows each as the plain path.
TEST(GameLocation, PathsTheSystemGivesAreShownInTheFormThePlayerKnows) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\\\\server\\share\\ZVK DM2", L"\\\\server\\share\\ZVK DM2"},
        {L"\\\\?\\UNC\\server\\share\\ZVK DM2", L"\\\\server\\share\\ZVK DM2"},
        {L"UNC\\server\\share\\ZVK DM2", L"\\\\server\\share\\ZVK DM2"},
        {L"\\\\?\\unc\\server\\share", L"\\\\server\\share"},
        {L"\\\\?\\D:\\Games\\ZVK DM2", L"D:\\Games\\ZVK DM2"},
        {L"\\\\.\\D:\\Games", L"D:\\Games"},
        {L"D:\\Games\\UNC\\ZVK DM2", L"D:\\Games\\UNC\\ZVK DM2"},
        {L"\\\\?\\Volume{0b1c}\\Games", L"\\\\?\\Volume{0b1c}\\Games"},  // no plainer form to give
    };
    for (const auto& [given, shown] : cases)
        EXPECT_EQ(std::wstring(InPlainForm(PathText(given)).view()), shown) << std::wstring(given).c_str();
}

// One claim per game folder however the player reached it. A copy run as administrator shares
// it, as it changes the same file, except where a normal copy's writes go to its VirtualStore.
TEST_F(GameFolderTest, OneClaimPerGameFolderHoweverItIsSpelled) {
    for (const char* folder : {"game/Cars", "other/Cars", "Program Files/game/Cars", "Program Files/writable/Cars"})
        fs::create_directories(folder);
    const auto absolute = [&](const char* name) { return PathText((root() / name).make_preferred().native()); };
    const PathText game = absolute("game"), programFiles = absolute("Program Files/game");
    const PathText writable = absolute("Program Files/writable");
    std::wstring upperCase(game.view());
    CharUpperBuffW(upperCase.data(), DWORD(upperCase.size()));
    // Windows as a copy run as administrator sees it: a normal copy's writes virtualized in
    // Program Files, where the player may replace only the camera file of "writable".
    NormalCopies normal;
    normal.virtualizesIn = [](const PathText& folder) {
        return folder.view().find(L"Program Files") != PathView::npos;
    };
    normal.changeTheRealFileIn = [](const PathText& folder) {
        return folder.view().find(L"writable") != PathView::npos;
    };
    struct Case {
        const char* name;
        const PathText& normalCopys;  // the folder as a normal copy names it
        PathText spelling;            // as this copy does
        bool elevated;
        bool sameClaim;
        bool virtualized = true;
    };
    const Case cases[] = {
        {"under a second drive letter", game, PathText(test_support::SpelledAgain(game.c_str()).native()), false, true},
        {"in capitals", game, PathText(upperCase), false, true},
        {"another folder", game, absolute("other"), false, false},
        {"a folder that is gone: by its path", game, absolute("gone"), false, false},
        {"run as administrator, outside Program Files", game, game, true, true},
        {"run as administrator, in Program Files where the player may not write", programFiles, programFiles, true,
         false},
        {"run as administrator, in Program Files where the player may write", writable, writable, true, true},
        {"run as administrator, nothing virtualized", programFiles, programFiles, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        normal.virtualized = c.virtualized;
        const PathText claim = GameFolderClaimName(c.normalCopys, false);
        const PathText other =
            GameFolderClaimName(c.spelling, c.elevated && NormalCopiesWriteTheVirtualStoreIn(c.spelling, normal));
        ASSERT_FALSE(claim.empty());
        EXPECT_FALSE(other.empty());
        EXPECT_EQ(other.view() == claim.view(), c.sameClaim) << std::string(other.view().begin(), other.view().end());
    }
    // The first start holds the claim, the second finds it held; one that may not open the
    // claim, as a normal copy may not open a copy run as administrator's, finds it out of reach.
    GameFolderClaim third;
    {
        GameFolderClaim first, second;
        EXPECT_EQ(first.Claim(game), GameFolderClaim::Outcome::Held);
        EXPECT_EQ(second.Claim(game), GameFolderClaim::Outcome::HeldByAnother);
        EXPECT_TRUE(first.held() && !second.held());
        // Having brought the holder's window forward, the second lets go: once the first ends,
        // a later start holds the claim.
        const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        first.Publish(window);
        second.BringTheOtherWindowForward();
        second.LetGo();
        DestroyWindow(window);
    }
    EXPECT_EQ(third.Claim(game), GameFolderClaim::Outcome::Held);
    third.LetGo();
    ACL noAccess{};
    InitializeAcl(&noAccess, sizeof noAccess, ACL_REVISION);
    SECURITY_DESCRIPTOR administratorsOnly{};
    InitializeSecurityDescriptor(&administratorsOnly, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&administratorsOnly, TRUE, &noAccess, FALSE);
    SECURITY_ATTRIBUTES security = {sizeof security, &administratorsOnly, FALSE};
    const PathText other = absolute("other");
    const HANDLE elevated = CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0, sizeof(DWORD),
                                               GameFolderClaimName(other, false).c_str());
    GameFolderClaim fourth;
    EXPECT_EQ(fourth.Claim(other), GameFolderClaim::Outcome::OutOfReach);
    EXPECT_FALSE(fourth.held());
    CloseHandle(elevated);
}
#endif

}  // namespace
}  // namespace zvk
