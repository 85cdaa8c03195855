// ZVK Camera Mode: replaces the game's camera file with one of three presets.
#include "dll_loading.h"
#include "dpi.h"
#include "form1.h"
#include "game_folder_search.h"
#include "message_boxes.h"
#include "one_window_per_game.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    zvk::LoadDllsFromSystem32Only();
    // A missing Cars folder or a removed disk is the program's to report, not a system pop-up's.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Looked for once at start: for the claim, and for what the window shows.
    const zvk::GameFolderLookup game = zvk::LookForGameFolder();
    zvk::GameFolderClaim claim;
    const zvk::GameFolderClaim::Outcome claimed = claim.Claim(game.found.path);
    if (claimed == zvk::GameFolderClaim::Outcome::HeldByAnother) {
        claim.BringTheOtherWindowForward();
        return 0;
    }
    zvk::EnableBestDpiAwareness();
    zvk::LoadCommonControls();
    if (claimed == zvk::GameFolderClaim::Outcome::OutOfReach) {
        // Its window cannot be reached across the administrator's boundary: this says where it is.
        zvk::ShowAlreadyOpenOutOfReach(nullptr, game.found.path);
        return 0;
    }

    zvk::Form1 form;
    if (!form.Create(instance, showCommand, game, claim)) return 1;
    claim.Publish(form.window());

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and Shift+Tab move between the controls, as in a dialog.
        if (form.window() != nullptr && IsDialogMessageW(form.window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
