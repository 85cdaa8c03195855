// Which preset the camera file holds, read on a thread of its own and told to the window by a
// posted message: a camera file that a virus scanner holds delays the button drawn pressed in,
// never the window.
#pragma once

#include "path_text.h"

#include <windows.h>

namespace zvk {

class PresetInPlaceReader {
public:
    // Posted to the window: the read's number (wParam), and the index in ThePresetTable() of the
    // preset the camera file holds, or -1 for none (lParam).
    static constexpr UINT kAnswer = WM_APP + 1;

    // Reads the camera file in `gameFolder`, where no game folder was found none.
    void Start(HWND window, const PathText& gameFolder) { Start(window, gameFolder, false); }
    // Reads the camera file where the game is when the read runs: the player may have moved
    // things meanwhile.
    void StartLookingAgain(HWND window) { Start(window, PathText(), true); }
    // Every read started before now is outdated: the window knows better (it has just written
    // the file itself), or a read started later will.
    void Outdate() { ++latest_; }
    // Whether `answer` is that of the latest read, and not outdated.
    bool IsLatest(WPARAM answer) const { return answer == latest_; }

private:
    void Start(HWND window, const PathText& gameFolder, bool lookAgain);

    WPARAM latest_ = 0;
};

}  // namespace zvk
