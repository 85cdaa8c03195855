// One window per game folder: a second start for the same game brings the first one forward.
// A double-click too many would otherwise give two windows that install into one folder.
#pragma once

#include "path_text.h"

#include <cstdint>
#include <windows.h>

namespace zvk {

// The name of the claim on `gameFolder`: the folder's identity where the system gives one (the
// same for every spelling of it: a mapped or subst drive, a link or junction, an 8.3 name, a
// share's long form), its full path where it gives none. A copy run as administrator whose
// writes go `pastTheVirtualStore` changes another camera file than a normal copy, and so has a
// claim of its own; everywhere else the two change the same file and share one. Empty where
// no game folder was found.
PathText GameFolderClaimName(const PathText& gameFolder, bool pastTheVirtualStore);

class GameFolderClaim {
public:
    enum class Outcome : std::uint8_t {
        Held,           // this start has the game folder now
        HeldByAnother,  // a start still running has it, and its window can be brought forward
        OutOfReach,     // one has it that this start may not even ask: run as administrator, or by another user
        None,           // no game folder, or the system made no claim: nothing to share
    };

    GameFolderClaim() = default;
    ~GameFolderClaim();
    GameFolderClaim(const GameFolderClaim&) = delete;
    GameFolderClaim& operator=(const GameFolderClaim&) = delete;

    // Claims `gameFolder` for this start, unless another start that is still running has it.
    // A claim held already stays as it is.
    Outcome Claim(const PathText& gameFolder);
    // Whether this start has a game folder's claim: then no other copy of the program in this
    // Windows session changes the same camera file.
    bool held() const { return shared_ != nullptr && !heldByAnother_; }
    // Lets go of a claim that another start holds, which this one asked for: once that start
    // ends, a later one may hold it.
    void LetGo();
    // Tells later starts which window has the game folder.
    void Publish(HWND window) const;
    // Brings the window of the start that has the game folder forward, restored if minimised,
    // with its message box on top if one is up; waits a few seconds for that window where it
    // is not made yet.
    void BringTheOtherWindowForward() const;

private:
    HANDLE shared_ = nullptr;  // a few bytes of memory named for the game folder: the window's handle
    bool heldByAnother_ = false;
};

}  // namespace zvk
