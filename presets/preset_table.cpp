#include "camera_preset.h"

namespace zvk {
namespace {

// The texts come from presets/data/*.ini, embedded byte for byte at build time.
constexpr char kZvkModeText[] = {
#include "zvk_mode.inc"
};
constexpr char kCarModeText[] = {
#include "car_mode.inc"
};
constexpr char kZoomModeText[] = {
#include "zoom_mode.inc"
};

constexpr PresetTable kPresetTable = {{
    {"ZVK Mode", {kZvkModeText, sizeof kZvkModeText}, "ZVK Mode. Done!"},
    {"Car Mode", {kCarModeText, sizeof kCarModeText}, "Car Mode. Done!"},
    {"Zoom Mode", {kZoomModeText, sizeof kZoomModeText}, "Zoom Mode. Done!"},
}};

}  // namespace

const PresetTable& ThePresetTable() { return kPresetTable; }

}  // namespace zvk
