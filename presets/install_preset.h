// Installing a camera preset as the game's camera file.
#pragma once

#include "camera_preset.h"
#include "file_replace.h"

namespace zvk {

// The game's camera file, relative to the working folder: the program is started from the
// game's folder and never looks anywhere else.
#ifdef _WIN32
inline constexpr PathChar CameraFilePath[] = L"Cars\\Cameras.ini";
inline constexpr PathChar CameraTemporaryPath[] = L"Cars\\Cameras.ini.tmp";
#else
inline constexpr PathChar CameraFilePath[] = "Cars/Cameras.ini";
inline constexpr PathChar CameraTemporaryPath[] = "Cars/Cameras.ini.tmp";
#endif

// Two line ends follow the preset's text in the file, as in the files the game came with.
inline constexpr std::string_view kCameraFileTrailer = "\r\n\r\n";

using InstallResult = ReplaceResult;

// Replaces the camera file with `preset`'s text and the trailer, or leaves it untouched
// and says why not.
InstallResult InstallPreset(const CameraPreset& preset, const InjectedFault* fault = nullptr);

}  // namespace zvk
