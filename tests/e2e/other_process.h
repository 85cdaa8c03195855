// Looking at another process from outside: its windows, and the paths it is handed. Shared by
// the end-to-end driver and the start-up benchmark.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace zvk::e2e {

// The first visible top-level window of `processId` that `accept(HWND)` takes, or null.
template <class Accept>
HWND FindTopLevelWindow(DWORD processId, Accept accept) {
    struct Search {
        DWORD processId;
        Accept& accept;
        HWND found;
        static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
            auto* search = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != search->processId || !IsWindowVisible(window) || !search->accept(window)) return TRUE;
            search->found = window;
            return FALSE;
        }
    } search{processId, accept, nullptr};
    EnumWindows(&Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A path from the command line: CTest and the scripts pass host paths, which Wine shows as
// drive Z:.
inline std::filesystem::path PathFromCommandLine(const char* argument) {
    std::string path = argument;
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    return std::filesystem::path(path).make_preferred();
}

}  // namespace zvk::e2e
