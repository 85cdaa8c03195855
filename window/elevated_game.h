// Whether the game runs as administrator where this program's writes go to the VirtualStore.
// A game set to "Run this program as an administrator" (a common fix for old games) is not
// virtualized: under Program Files it reads the camera file there, not the player's
// VirtualStore copy that this program writes, and a change would never reach it.
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

// The full path of an exe in `gameFolder` or below it that the compatibility settings at the
// `count` keys from `keys` ask to run as administrator (RUNASADMIN); empty where none does.
// Only reads.
PathText ExeSetToRunAsAdministrator(const PathText& gameFolder, const RegistryKey* keys = kCompatibilitySettings,
                                    std::size_t count = kCompatibilitySettingsKeys);

// Whether this program's writes in `gameFolder` go to the player's VirtualStore: the system
// virtualizes this program (Windows Vista and later, not elevated), and the folder lies where
// it virtualizes files.
bool WritesGoToTheVirtualStore(const PathText& gameFolder);

}  // namespace zvk
