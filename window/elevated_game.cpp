// Looking for a game exe set to run as administrator, and for this program's virtualization.
#include "elevated_game.h"

#include "camera_file.h"
#include "filled_path.h"
#include "game_location.h"

#include <iterator>

namespace zvk {
namespace {

constexpr wchar_t kLayers[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr DWORD kWow64View64 = 0x0100;  // KEY_WOW64_64KEY: ignored where Windows has one view only
// Of TOKEN_INFORMATION_CLASS, Windows Vista and later.
constexpr int kTokenElevation = 20;
constexpr int kTokenVirtualizationEnabled = 24;

// What this program's own token says to a yes-or-no question of `informationClass`; no where
// Windows does not answer it (Windows XP knows neither elevation nor virtualization).
bool TokenSays(int informationClass) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD yes = 0, size = 0;
    const BOOL asked = GetTokenInformation(token, TOKEN_INFORMATION_CLASS(informationClass), &yes, sizeof yes, &size);
    CloseHandle(token);
    return asked && yes != 0;
}

bool SameLetters(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c; };
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

// The settings are words between spaces, such as "~ RUNASADMIN WINXPSP3". (No substr(): its
// range check would bring exceptions into a program built without them.)
bool AsksForAdministrator(std::wstring_view settings) {
    while (!settings.empty()) {
        const std::size_t end = settings.find(L' ');
        if (SameLetters({settings.data(), end == std::wstring_view::npos ? settings.size() : end}, L"RUNASADMIN"))
            return true;
        if (end == std::wstring_view::npos) break;
        settings.remove_prefix(end + 1);
    }
    return false;
}

bool IsAnExe(PathView path) { return path.size() > 4 && SameLetters({path.data() + path.size() - 4, 4}, L".exe"); }

// The game is an exe in the game folder itself: one in a folder below it is a tool or a
// launcher's helper, which reads no camera file.
bool InTheFolderItself(PathView exe, const PathText& folder) {
    PathText exeFolder{exe};
    exeFolder.removeLastName();
    return IsInsideFolder(exeFolder.view(), folder.view()) && IsInsideFolder(folder.view(), exeFolder.view());
}

// The first exe of `gameFolder` itself that the values of `layers` set to run as administrator.
PathText ExeAskingForAdministrator(HKEY layers, const PathText& gameFolder) {
    wchar_t name[16384];  // the longest value name the registry has
    wchar_t settings[256];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = DWORD(std::size(name)), settingsSize = sizeof settings - sizeof *settings, type = 0;
        const LONG status = RegEnumValueW(layers, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(settings), &settingsSize);
        if (status == ERROR_NO_MORE_ITEMS) return {};
        // Longer settings than these belong to no exe this program could tell.
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        settings[settingsSize / sizeof *settings] = L'\0';
        const PathView exe(name, nameLength);
        if (IsAnExe(exe) && InTheFolderItself(exe, gameFolder) && AsksForAdministrator(settings)) return PathText(exe);
    }
}

// The VirtualStore's copy of the camera file of `gameFolder`: the folder's path on its drive,
// below `virtualStore`. Empty where the folder lies on no drive, where nothing is virtualized.
PathText VirtualStoreCopyOf(const PathText& gameFolder, const PathText& virtualStore) {
    const PathView folder = gameFolder.view();
    if (virtualStore.empty() || folder.size() < 3 || folder[1] != L':' || folder[2] != L'\\') return {};
    PathText copy = virtualStore;
    copy.join(PathView(folder.data() + 3, folder.size() - 3)).join(CameraFilePath);
    return copy;
}

}  // namespace

const RegistryKey kCompatibilitySettings[kCompatibilitySettingsKeys] = {
    {HKEY_CURRENT_USER, kLayers, 0},
    {HKEY_LOCAL_MACHINE, kLayers, kWow64View64},
    {HKEY_LOCAL_MACHINE, kLayers, 0},
};

bool RunsElevated() { return TokenSays(kTokenElevation); }

bool IsVirtualized() { return TokenSays(kTokenVirtualizationEnabled); }

PathText TheVirtualStore() {
    PathText store =
        FilledBy([](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, size); });
    if (!store.empty()) store.join(L"VirtualStore");
    return store;
}

PathText ElevatedGameReadingAnotherFile(const PathText& gameFolder, const PathText& virtualStore,
                                        const RegistryKey* keys, std::size_t count) {
    const PathText copy = VirtualStoreCopyOf(gameFolder, virtualStore);
    if (copy.empty() || KindOf(kSystemFileCalls, copy.c_str()) != PathKind::File) return {};
    for (const RegistryKey* key = keys; key != keys + count; ++key) {
        HKEY layers = nullptr;
        if (RegOpenKeyExW(key->root, key->path, 0, KEY_QUERY_VALUE | key->view, &layers) != ERROR_SUCCESS) continue;
        const PathText exe = ExeAskingForAdministrator(layers, gameFolder);
        RegCloseKey(layers);
        if (!exe.empty()) return exe;
    }
    return {};
}

}  // namespace zvk
