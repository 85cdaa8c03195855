// What the player reads when an install fails: which file, why, and what to do about it.
#pragma once

#include "install_preset.h"
#include "message_text.h"

#include <windows.h>

namespace zvk {

// The camera file as the player knows it, whatever the platform's separator.
inline constexpr wchar_t kCameraFileShownAs[] = L"Cars\\Cameras.ini";

// The operating system's own words for `osError`, without the trailing line end; a plain
// "error N" where it has none.
void AppendSystemReason(MessageText& text, DWORD osError);

// The player's way out for that error.
std::wstring_view AdviceFor(DWORD osError);

MessageText InstallErrorText(const CameraPreset& preset, const InstallResult& result);

}  // namespace zvk
