// Which DLLs this program loads, and from where: only Windows' own. Mod loaders and graphics
// injectors put stand-ins under Windows' names (version.dll, winmm.dll, dinput8.dll, d3d9.dll
// ...) into the game folder, where this program lives too. Windows looks in a program's own
// folder before System32 for any name that is not a Known DLL, and such a stand-in would bring
// every plugin beside it, written for the game's memory, into this program.
#pragma once

#include <windows.h>

namespace zvk {

// From now on, DLLs loaded by name, by this program or by Windows' own DLLs for it, come from
// System32 alone where the system allows it (Windows 8 and later; Vista and 7 with update
// KB2533623), and never from the current folder. Elsewhere, the DLLs that Windows' own load
// for this program and that are no Known DLLs are loaded from System32 first, by their full
// paths. The program's first step: what loads before it is the program's imports, Known DLLs
// all (see tests/check_exe.py).
void LoadDllsFromSystem32Only();

// `name` from the System32 folder by its full path, or null.
HMODULE LoadSystemDll(const wchar_t* name);

// Loads the common controls of version 6, which the manifest names and which draw the
// controls with visual styles, and registers them. Loaded here, after the step above, rather
// than imported: what they load in turn (uxtheme.dll among others, no Known DLL) then comes
// from System32 too.
void LoadCommonControls();

}  // namespace zvk
