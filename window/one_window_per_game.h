// One window per game folder: a second start for the same game brings the first one forward.
// A double-click too many would otherwise give two windows that install into one folder.
#pragma once

#include "path_text.h"

#include <windows.h>

namespace zvk {

// The name of the claim on `gameFolder`: the folder's identity where the system gives one (the
// same for every spelling of it: a mapped or subst drive, a link or junction, an 8.3 name), its
// full path where it gives none, and whether the claimant runs `elevated`: a copy started as
// administrator writes past the VirtualStore, another file than one that is not, and so gets a
// window of its own. Empty where no game folder was found.
PathText GameFolderClaimName(const PathText& gameFolder, bool elevated);

class GameFolderClaim {
public:
    // Claims `gameFolder` for this start, unless an earlier start that is still running has
    // it. No claim where no game folder was found: each such start gets its own window.
    explicit GameFolderClaim(const PathText& gameFolder);
    ~GameFolderClaim();
    GameFolderClaim(const GameFolderClaim&) = delete;
    GameFolderClaim& operator=(const GameFolderClaim&) = delete;

    // Whether an earlier start has the game folder.
    bool heldByAnother() const { return heldByAnother_; }
    // Tells later starts which window has the game folder.
    void Publish(HWND window) const;
    // Brings the earlier start's window forward, restored if minimised, with its message box
    // on top if one is up; waits a few seconds for that window where it is not made yet.
    void BringTheOtherWindowForward() const;

private:
    HANDLE shared_ = nullptr;  // a few bytes of memory named for the game folder: the window's handle
    bool heldByAnother_ = false;
};

}  // namespace zvk
