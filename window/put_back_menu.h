// The window menu's items that put a camera file of the player's own back: one per file kept
// in the game folder, newest first, at most nine, after a separator; no items and no separator
// where none is kept. Built each time the menu opens, so that they are always current.
#pragma once

#include "game_folder_search.h"

#include <windows.h>

namespace zvk {

class PutBackMenu {
public:
    // Builds the items anew at the end of `windowMenu`, for the files kept where the game is.
    void Rebuild(HMENU windowMenu, const GameFolderLookup& where);
    // The kept file (its number, see BackupIn) that a window menu command stands for, or 0.
    unsigned KeptFileOf(WPARAM command) const;
    // Where the game was when the items were built: the folder of their kept files.
    const GameFolderLookup& where() const { return where_; }

private:
    static constexpr unsigned kMostItems = 9;

    GameFolderLookup where_;
    unsigned keptFiles_[kMostItems] = {};
    unsigned count_ = 0;
    int itemsBefore_ = 0;  // the menu's own items, which ours follow
};

}  // namespace zvk
