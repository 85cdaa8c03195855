// The window menu's own items: the kept files to put back, the game folder and the version.
// Below a separator, one item per kept file listed, in the list's order; then, greyed, the
// game folder in use (or that none was found) and the program's name and version. Built anew
// each time the menu opens, so that they are always current.
#pragma once

#include "game_folder_search.h"
#include "kept_files.h"

#include <windows.h>

namespace zvk {

class WindowMenu {
public:
    // Builds the items anew at the end of `windowMenu`: one for each file of `kept`, and
    // where the game is by `where`.
    void Rebuild(HMENU windowMenu, const KeptFileList& kept, const GameFolderLookup& where);
    // The file of the list the items were built from (its index) that a window menu command
    // stands for, or -1.
    int ItemOf(WPARAM command) const;

private:
    unsigned kept_ = 0;
    int itemsBefore_ = -1;  // the menu's own items, which ours follow; -1 before the first build
};

}  // namespace zvk
