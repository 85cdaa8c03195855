// Form1's camera actions: install a preset, put a kept file back, confirm, show the preset.
// The confirmation or the error box follows each; the preset the camera file holds is drawn
// pressed in. The only window code that changes files.
#pragma once

#include "game_folder_search.h"
#include "install_error_text.h"
#include "install_preset.h"
#include "kept_files.h"
#include "preset_in_place.h"
#include "window_menu.h"

#include <cstddef>
#include <windows.h>

namespace zvk {

class CameraActions {
public:
    void OnCreate(HWND window) { window_ = window; }
    // The window is shown: the preset in place follows once the camera file of the game found
    // at start has been read, and the window gets its own copy of the window menu now, so that
    // the put-back items are in it the first time it opens.
    void OnShown(const GameFolderLookup& gameAtStart);
    // A timer of the window has fired: the preset in place may be read now.
    void OnTimer(UINT_PTR timer);
    // Installs the preset of ThePresetTable() at `presetIndex` where the game is now.
    void Install(std::size_t presetIndex);
    // The game or another tool may have changed the camera file while the window was inactive.
    void OnActivate(bool active);
    // The window menu is opening: its items, for where the game is now and the files kept there.
    void OnWindowMenuOpening();
    // Whether a window menu command is one of the put-back items.
    bool IsWindowMenuCommand(WPARAM command) const;
    // Puts back the kept file that such a command stands for.
    void OnWindowMenuCommand(WPARAM command);

private:
    void PutBack(const GameFolderLookup& where, unsigned keptFile);
    void Confirm(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where);
    void ShowPresetInPlace(int preset);

    // What the window menu's items were built from: the files kept where the game was then.
    struct MenuSource {
        GameFolderLookup where;
        KeptFileList kept;
    };

    HWND window_ = nullptr;
    bool wasInactive_ = false;
    WindowMenu windowMenu_;
    MenuSource menuSource_;
    PresetInPlaceReader presetReader_;
};

}  // namespace zvk
