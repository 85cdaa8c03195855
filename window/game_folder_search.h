// Where the game is, as this program was started: the Windows side of the search.
#pragma once

#include "game_location.h"

namespace zvk {

// The folders looked in, and the game folder found among them.
struct GameFolderLookup {
    GameFolderSearch searched;
    GameFolder found;
};

// Looks now: the player may have moved things since the last look. The folders in the form the
// player knows them by, a network share's as "\\server\share\...", however the system gives them.
GameFolderLookup LookForGameFolder();

// Whether `folder` lies on a network share, where a copy of this program on another PC may
// change the same files.
bool IsOnANetworkShare(const PathText& folder);

}  // namespace zvk
