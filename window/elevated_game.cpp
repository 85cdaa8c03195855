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
// Empty at the end of the values, and at any failure to read them: a key deleted meanwhile
// fails every read after, and the answer is then no better than none.
PathText ExeAskingForAdministrator(HKEY layers, const PathText& gameFolder) {
    wchar_t name[16384];  // the longest value name the registry has
    wchar_t settings[256];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = DWORD(std::size(name)), settingsSize = sizeof settings - sizeof *settings, type = 0;
        const LONG status = RegEnumValueW(layers, index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(settings), &settingsSize);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return {};
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

PathText EnvironmentVariable(const wchar_t* name) {
    return FilledBy([&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(name, buffer, size); });
}

}  // namespace

const RegistryKey kCompatibilitySettings[kCompatibilitySettingsKeys] = {
    {HKEY_CURRENT_USER, kLayers, 0},
    {HKEY_LOCAL_MACHINE, kLayers, kWow64View64},
    {HKEY_LOCAL_MACHINE, kLayers, 0},
};

bool RunsElevated() { return TokenSays(kTokenElevation); }

namespace {

constexpr int kTokenLinkedToken = 19;  // of TOKEN_INFORMATION_CLASS, Windows Vista and later
constexpr int kTokenVirtualizationAllowed = 23;

// The token of the player that a copy run as administrator is linked to: the one a normal
// copy runs with. Null where there is none: Windows XP, User Account Control off, or a copy
// that is not run as administrator.
HANDLE LinkedToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    HANDLE linked = nullptr;
    DWORD size = 0;
    if (!GetTokenInformation(token, TOKEN_INFORMATION_CLASS(kTokenLinkedToken), &linked, sizeof linked, &size))
        linked = nullptr;
    CloseHandle(token);
    return linked;
}

// Whether the linked token may have `access` to the file or folder at `path`, as its security
// says; yes where that cannot be told.
bool LinkedTokenMay(const HANDLE player, const PathText& path, DWORD access) {
    alignas(void*) BYTE security[4096];  // an owner, a group and an access list: a few hundred bytes
    DWORD needed = 0, privilegesSize = sizeof(PRIVILEGE_SET), granted = 0;
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    BOOL allowed = TRUE;
    if (!GetFileSecurityW(InSystemForm(path).c_str(),
                          OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, security,
                          sizeof security, &needed) ||
        !AccessCheck(security, player, access, &mapping, &privileges, &privilegesSize, &granted, &allowed))
        allowed = TRUE;
    return allowed != FALSE;
}

// A normal copy replaces the camera file by creating its new file in Cars and moving it over
// the old one, which takes the right to delete it, or that of deleting in Cars; Windows
// virtualizes what is refused. Once it has, the VirtualStore copy is the one it reads and writes.
bool NormalCopyChangesTheRealFileIn(const PathText& gameFolder) {
    const PathText copy = VirtualStoreCopyOf(gameFolder, TheVirtualStore());
    if (!copy.empty() && KindOf(kSystemFileCalls, copy.c_str()) != PathKind::Missing) return false;
    const HANDLE player = LinkedToken();
    if (player == nullptr) return true;
    PathText cars = gameFolder;
    cars.join(PathView()).appendAscii("Cars");
    const PathText cameraFile = CameraFileIn(gameFolder);
    const bool changes =
        LinkedTokenMay(player, cars, FILE_ADD_FILE) &&
        (KindOf(kSystemFileCalls, cameraFile.c_str()) == PathKind::Missing ||
         LinkedTokenMay(player, cameraFile, DELETE) || LinkedTokenMay(player, cars, FILE_DELETE_CHILD));
    CloseHandle(player);
    return changes;
}

// The folders Windows virtualizes, named by the system's own variables.
bool VirtualizedHere(const PathText& folder) {
    for (const wchar_t* variable :
         {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData", L"SystemRoot"}) {
        if (IsInsideFolder(folder.view(), EnvironmentVariable(variable).trimSeparator().view())) return true;
    }
    return false;
}

}  // namespace

NormalCopies NormalCopiesOfThisSystem() {
    NormalCopies normal;
#ifndef _WIN64  // Windows never virtualizes a 64-bit program
    if (const HANDLE player = LinkedToken()) {
        DWORD allowed = 0, size = 0;
        normal.virtualized = GetTokenInformation(player, TOKEN_INFORMATION_CLASS(kTokenVirtualizationAllowed), &allowed,
                                                 sizeof allowed, &size) &&
                             allowed != 0;
        CloseHandle(player);
    }
#endif
    normal.virtualizesIn = &VirtualizedHere;
    normal.changeTheRealFileIn = &NormalCopyChangesTheRealFileIn;
    return normal;
}

bool NormalCopiesWriteTheVirtualStoreIn(const PathText& gameFolder, const NormalCopies& normal) {
    if (!normal.virtualized || normal.virtualizesIn == nullptr || !normal.virtualizesIn(gameFolder)) return false;
    return normal.changeTheRealFileIn != nullptr && !normal.changeTheRealFileIn(gameFolder);
}

bool IsVirtualized() { return TokenSays(kTokenVirtualizationEnabled); }

PathText TheVirtualStore() {
    PathText store = EnvironmentVariable(L"LOCALAPPDATA");
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
