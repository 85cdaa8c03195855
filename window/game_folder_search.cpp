#include "game_folder_search.h"

#include "filled_path.h"

#include <windows.h>

namespace zvk {

GameFolderLookup LookForGameFolder() {
    GameFolderLookup lookup;
    GameFolderSearch& search = lookup.searched;
    search.workingFolder =
        InPlainForm(FilledBy([](wchar_t* buffer, DWORD size) { return GetCurrentDirectoryW(size, buffer); }));
    search.workingFolder.trimSeparator();
    search.programFolder =
        InPlainForm(FilledBy([](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); }));
    search.programFolder.removeLastName();
    // The temp folder may be given in its short 8.3 form, the program's path never is.
    const PathText temp = FilledBy([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
    search.tempFolder =
        FilledBy([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(temp.c_str(), buffer, size); });
    if (search.tempFolder.empty()) search.tempFolder = temp;
    search.tempFolder.trimSeparator();
    lookup.found = ChooseGameFolder(search, &GameSignsIn);
    return lookup;
}

bool IsOnANetworkShare(const PathText& folder) {
    const PathView path = folder.view();
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
    if (path.size() < 2 || path[1] != L':') return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace zvk
