#include "dll_loading.h"

#include "path_text.h"
#include "system_function.h"

#include <commctrl.h>

namespace zvk {
namespace {

// What Windows' own DLLs load for this program by name, none of them a Known DLL: the visual
// styles, and what they draw with. A DLL already loaded is found by its name before any
// folder is searched, so loading these first from System32 covers the systems without
// LOAD_LIBRARY_SEARCH_SYSTEM32, and Wine, which searches the program's folder for what a
// DLL delay-loads whatever the program asked for.
constexpr const wchar_t* kLoadedForUs[] = {L"uxtheme.dll", L"msimg32.dll"};

}  // namespace

HMODULE LoadSystemDll(const wchar_t* name) {
    wchar_t system[MAX_PATH + 1];  // the system folder is never deeper
    const UINT length = GetSystemDirectoryW(system, UINT(MAX_PATH + 1));
    if (length == 0 || length > MAX_PATH) return nullptr;
    PathText path{PathView(system, length)};
    path.join(name);
    return LoadLibraryW(path.c_str());
}

void LoadDllsFromSystem32Only() {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (auto setDefault = LookUpFunction<SetDefaultDllDirectoriesFn>(kernel32, "SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
    // Windows XP SP1 and later, which the Windows SDK declares only from Server 2003 on: the
    // current folder leaves the search.
    using SetDllDirectoryWFn = BOOL(WINAPI*)(const wchar_t*);
    if (auto setDllDirectory = LookUpFunction<SetDllDirectoryWFn>(kernel32, "SetDllDirectoryW")) setDllDirectory(L"");
    for (const wchar_t* name : kLoadedForUs) LoadSystemDll(name);
}

void LoadCommonControls() {
    // By name, not by path: the manifest's side-by-side assembly turns the name into version 6.
    // Loaded for the program's whole life.
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = LookUpFunction<InitCommonControlsExFn>(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    if (init != nullptr) init(&controls);
}

}  // namespace zvk
