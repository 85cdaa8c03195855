// Which preset the camera file holds, read on the window's own thread by a timer, once what the
// window shows has been painted, and read again while a virus scanner holds the file. No read
// waits for anything: a held camera file delays the button drawn pressed in, never the window.
#pragma once

#include "path_text.h"

#include <windows.h>

namespace zvk {

class PresetInPlaceReader {
public:
    // The window's timer that the reads run by.
    static constexpr UINT_PTR kTimer = 1;
    // What a read answers while the file is held: another read follows.
    static constexpr int kNotYet = -2;

    // Reads the camera file in `gameFolder` (none where no game folder was found) as soon as the
    // window has painted; a read already pending gives way to it.
    void Start(HWND window, const PathText& gameFolder) { Start(window, gameFolder, false); }
    // The same, where the game is when the read runs: the player may have moved things.
    void StartLookingAgain(HWND window) { Start(window, PathText(), true); }
    // No read is pending any more: the window knows better, having just written the file.
    void Stop();
    // The timer has fired: the index in ThePresetTable() of the preset the camera file holds, -1
    // for none, or kNotYet while it is held.
    int OnTimer();

private:
    void Start(HWND window, const PathText& gameFolder, bool lookAgain);

    HWND window_ = nullptr;
    PathText gameFolder_;
    bool lookAgain_ = false;
    int readsLeft_ = 0;
};

}  // namespace zvk
