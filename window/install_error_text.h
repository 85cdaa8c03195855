// What the player reads when an install fails: which file, why, and what to do about it.
#pragma once

#include "install_preset.h"
#include "message_text.h"

#include <windows.h>

namespace zvk {

// The failed step, the camera file, the operating system's reason in its own words (or the
// error number where it has none), the player's way out, and what became of the file.
MessageText InstallErrorText(const CameraPreset& preset, const InstallResult& result);

}  // namespace zvk
