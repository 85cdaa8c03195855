// The window menu's items that put a camera file of the player's own back: one per kept file
// listed, in the list's order, after a separator; no items and no separator where none is
// listed. Built anew each time the menu opens, so that they are always current.
#pragma once

#include "kept_files.h"

#include <windows.h>

namespace zvk {

class PutBackMenu {
public:
    // Builds the items anew at the end of `windowMenu`, one for each file of `kept`.
    void Rebuild(HMENU windowMenu, const KeptFileList& kept);
    // The file of the list the items were built from (its index) that a window menu command
    // stands for, or -1.
    int ItemOf(WPARAM command) const;

private:
    unsigned count_ = 0;
    int itemsBefore_ = 0;  // the menu's own items, which ours follow
};

}  // namespace zvk
