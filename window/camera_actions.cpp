// Form1's camera actions, from the click to the box that follows: see camera_actions.h.
#include "camera_actions.h"

#include "camera_preset.h"
#include "elevated_game.h"
#include "layout.h"
#include "message_boxes.h"
#include "wait_cursor.h"

#include <iterator>
#include <windowsx.h>

namespace zvk {

void CameraActions::OnShown(const GameFolderLookup& gameAtStart) {
    presetReader_.Start(window_, gameAtStart.found.path);
    GetSystemMenu(window_, FALSE);
}

void CameraActions::OnTimer(UINT_PTR timer) {
    if (timer != PresetInPlaceReader::kTimer) return;
    const int preset = presetReader_.OnTimer();
    if (preset != PresetInPlaceReader::kNotYet) ShowPresetInPlace(preset);
}

void CameraActions::Install(std::size_t presetIndex) {
    const CameraPreset& preset = ThePresetTable()[presetIndex];
    const GameFolderLookup where = LookForGameFolder();
    const InstallResult result =
        where.found.place == GameFolder::NotFound
            ? InstallResult(InstallStep::FindGameFolder, where.found.pathTooLong ? kPathTooLong : ERROR_PATH_NOT_FOUND)
            : InstallPreset(WaitCursorWhilePausing().calls(), preset, where.found.path);
    Confirm({&preset}, result, where);
}

// Activated at start, the window shows what the read started as it was shown finds.
void CameraActions::OnActivate(bool active) {
    if (active && wasInactive_) presetReader_.StartLookingAgain(window_);
    if (!active) wasInactive_ = true;
}

void CameraActions::OnWindowMenuOpening() {
    menuSource_.where = LookForGameFolder();
    menuSource_.kept = ListKeptFiles(kSystemFileCalls, menuSource_.where.found.path);
    windowMenu_.Rebuild(GetSystemMenu(window_, FALSE), menuSource_.kept, menuSource_.where);
}

bool CameraActions::IsWindowMenuCommand(WPARAM command) const { return windowMenu_.ItemOf(command) >= 0; }

void CameraActions::OnWindowMenuCommand(WPARAM command) {
    const int item = windowMenu_.ItemOf(command);
    if (item >= 0) PutBack(menuSource_.where, menuSource_.kept.files[item].number);
}

// The kept file as it is now, in the folder the window menu listed it from.
void CameraActions::PutBack(const GameFolderLookup& where, unsigned keptFile) {
    const InstallResult result = PutBackKeptFile(WaitCursorWhilePausing().calls(), where.found.path, keptFile);
    Confirm({nullptr, keptFile}, result, where);
}

void CameraActions::Confirm(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where) {
    // A preset just put in place is known to be there; after anything else the file tells.
    if (result.succeeded() && source.preset != nullptr) {
        presetReader_.Stop();
        ShowPresetInPlace(int(source.preset - ThePresetTable().data()));
    } else {
        presetReader_.Start(window_, where.found.path);
    }
    if (!result.succeeded()) {
        ShowInstallError(window_, source, result, where);
        return;
    }
    // Only once it succeeded: the registry is read for nothing else.
    const PathText elevatedGame = IsVirtualized() ? ElevatedGameReadingAnotherFile(where.found.path) : PathText();
    ShowInfoMessage(window_, ConfirmationText(source, result, where, elevatedGame).c_str());
}

// The button of `preset`, an index in ThePresetTable(), is drawn pressed in; none is for -1:
// the player's own file, none, or no game folder.
void CameraActions::ShowPresetInPlace(int preset) {
    for (int i = 0; i < int(std::size(kPresetButtonIds)); ++i)
        Button_SetCheck(GetDlgItem(window_, kPresetButtonIds[i]), i == preset ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace zvk
