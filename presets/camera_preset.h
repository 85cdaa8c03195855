// The three camera presets the program carries, in button order.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zvk {

// One preset: the caption of the button that installs it, the game's camera file text it
// installs (exactly as the game expects it, before the installer's two closing line ends),
// and what the player is told once it is in place. All three are 7-bit ASCII.
struct CameraPreset {
    std::string_view caption;
    std::string_view fileText;
    std::string_view confirmation;
};

// "ZVK Mode" (the game's own settings), "Car Mode", "Zoom Mode": fixed at build time.
using PresetTable = std::array<CameraPreset, 3>;

const PresetTable& ThePresetTable();

}  // namespace zvk
