// Whether the game runs as administrator where the camera file this program changes is the
// player's VirtualStore copy. A game set to "Run this program as an administrator" (a common
// fix for old games) is not virtualized: it reads the camera file in the game folder itself,
// not the copy that Windows keeps for this program, and a change there never reaches it.
#pragma once

#include "path_text.h"

#include <cstddef>
#include <windows.h>

namespace zvk {

// One key of the registry, in one view of it (KEY_WOW64_64KEY, say; 0 for the program's own).
struct RegistryKey {
    HKEY root;
    const wchar_t* path;
    REGSAM view;
};

// Where Explorer's Compatibility tab keeps its settings: the player's own, and those for all
// users, in the registry's 64-bit view and in the 32-bit one.
inline constexpr std::size_t kCompatibilitySettingsKeys = 3;
extern const RegistryKey kCompatibilitySettings[kCompatibilitySettingsKeys];

// Whether this program runs elevated (Windows Vista and later; never on Windows XP).
bool RunsElevated();

// What Windows does with the writes of a copy of this program that is not run as administrator.
struct NormalCopies {
    // Windows virtualizes them: Vista and later with User Account Control on, for a 32-bit program.
    bool virtualized = false;
    // Whether it virtualizes them in `folder`: one of Program Files (both of them on a 64-bit
    // Windows), ProgramData or Windows, or a folder below one.
    bool (*virtualizesIn)(const PathText& folder) = nullptr;
    // Whether such a copy changes the camera file of the game folder `folder` itself: it has
    // no VirtualStore copy of it (which it would read and write instead), and may replace it.
    bool (*changeTheRealFileIn)(const PathText& folder) = nullptr;
};
// As they are on this system, asked of the token that this copy, run as administrator, is
// linked to: its user's own, not elevated (another account's, where an administrator's
// password elevated it). Nothing is virtualized where there is no such token.
NormalCopies NormalCopiesOfThisSystem();

// Whether a copy not run as administrator changes the player's VirtualStore copy of the camera
// file in `gameFolder` rather than the file itself: where its writes are virtualized, the game
// folder lies in a virtualized folder, and it does not change the real file there.
bool NormalCopiesWriteTheVirtualStoreIn(const PathText& gameFolder, const NormalCopies& normal);

// Whether Windows virtualizes this program's writes (Windows Vista and later: a standard
// user's program whose manifest asks for no execution level, as this one's does not).
bool IsVirtualized();

// The player's VirtualStore, %LOCALAPPDATA%\VirtualStore: where Windows keeps the files that a
// virtualized program changes in Program Files, ProgramData or Windows, each under the path
// it has on its drive. Empty where it cannot be told.
PathText TheVirtualStore();

// The full path of an exe in `gameFolder` itself (not in a folder below it) that the
// compatibility settings at the `count` keys from `keys` ask to run as administrator
// (RUNASADMIN), where the camera file of `gameFolder` has a copy in `virtualStore`: for a
// virtualized program such as this one, that copy is its camera file, and the game does not
// read it. Empty elsewhere. Only reads.
PathText ElevatedGameReadingAnotherFile(const PathText& gameFolder, const PathText& virtualStore = TheVirtualStore(),
                                        const RegistryKey* keys = kCompatibilitySettings,
                                        std::size_t count = kCompatibilitySettingsKeys);

}  // namespace zvk
