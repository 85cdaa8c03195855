// Where the game is, as this program was started: the Windows side of the search.
#pragma once

#include "game_location.h"

namespace zvk {

// The folders looked in, and the game folder found among them.
struct GameFolderLookup {
    GameFolderSearch searched;
    GameFolder found;
};

// Looks now: the player may have moved things since the last look.
GameFolderLookup LookForGameFolder();

}  // namespace zvk
