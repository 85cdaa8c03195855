// Form1's camera actions: install a preset, put a kept file back, confirm, show the preset.
// The confirmation or the error box follows each; the preset the camera file holds is drawn
// pressed in. The only window code that changes files.
#pragma once

#include "game_folder_search.h"
#include "install_error_text.h"
#include "install_preset.h"
#include "kept_files.h"
#include "one_window_per_game.h"
#include "preset_in_place.h"
#include "window_menu.h"

#include <cstddef>
#include <windows.h>

namespace zvk {

class CameraActions {
public:
    void OnCreate(HWND window) { window_ = window; }
    // The window is shown, working in the game found at start where `claim` holds it for the
    // window: the preset in place follows once its camera file has been read, and the window
    // gets its own copy of the window menu now, so that the put-back items are in it the first
    // time it opens.
    void OnShown(const GameFolderLookup& gameAtStart, GameFolderClaim& claim);
    // A timer of the window has fired: the preset in place may be read now.
    void OnTimer(UINT_PTR timer);
    // Installs the preset of ThePresetTable() at `presetIndex` in the window's game folder.
    void Install(std::size_t presetIndex);
    // The game or another tool may have changed the camera file while the window was inactive.
    void OnActivate(bool active);
    // The window menu is opening: its items, for the window's game folder and the files kept there.
    void OnWindowMenuOpening();
    // Whether a window menu command is one of the put-back items.
    bool IsWindowMenuCommand(WPARAM command) const;
    // Puts back the kept file that such a command stands for.
    void OnWindowMenuCommand(WPARAM command);

private:
    // Where the window works, looked at now: the game folder it claimed; where it claimed none
    // yet, the one found now.
    const GameFolderLookup& WhereToWork();
    // Whether the window may change files in `where`, which holds the game: its own game
    // folder, or one it claims now. Where another copy has it, brings that one's window forward,
    // or where it cannot, says where it is.
    bool MayChange(const GameFolderLookup& where);
    // Where another copy of the program may change files in `where` while this one does.
    bool AnotherCopyMayWrite(const GameFolderLookup& where) const;
    // A press that installs `source` in `where`, with its box.
    void Press(const InstallSource& source, const GameFolderLookup& where);
    InstallResult InstallIn(const InstallSource& source, const GameFolderLookup& where) const;
    void Confirm(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where);
    void ShowPresetInPlace(int preset);

    // What the window menu's items were built from: the files kept where the game was then.
    struct MenuSource {
        GameFolderLookup where;
        KeptFileList kept;
    };

    HWND window_ = nullptr;
    bool wasInactive_ = false;
    GameFolderClaim* claim_ = nullptr;
    GameFolderLookup game_;  // the game folder claimed, or the last look while none is
    WindowMenu windowMenu_;
    MenuSource menuSource_;
    PresetInPlaceReader presetReader_;
};

}  // namespace zvk
