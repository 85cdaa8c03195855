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

void CameraActions::OnShown(const GameFolderLookup& gameAtStart, GameFolderClaim& claim) {
    claim_ = &claim;
    if (claim.held()) game_ = gameAtStart;
    presetReader_.Start(window_, gameAtStart.found.path);
    GetSystemMenu(window_, FALSE);
}

void CameraActions::OnTimer(UINT_PTR timer) {
    if (timer != PresetInPlaceReader::kTimer) return;
    const int preset = presetReader_.OnTimer();
    if (preset != PresetInPlaceReader::kNotYet) ShowPresetInPlace(preset);
}

const GameFolderLookup& CameraActions::WhereToWork() {
    if (claim_->held()) {
        LookAgain(game_.found, &GameSignsIn);
    } else {
        game_ = LookForGameFolder();
    }
    return game_;
}

bool CameraActions::MayChange(const GameFolderLookup& where) {
    if (claim_->held()) return true;
    switch (claim_->Claim(where.found.path)) {
        case GameFolderClaim::Outcome::Held:
            claim_->Publish(window_);
            return true;
        case GameFolderClaim::Outcome::None:  // nothing to share it by: as before claims
            return true;
        case GameFolderClaim::Outcome::HeldByAnother:  // as for a second start there
            claim_->BringTheOtherWindowForward();
            claim_->LetGo();
            return false;
        case GameFolderClaim::Outcome::OutOfReach:
            ShowAlreadyOpenOutOfReach(window_, where.found.path);
            return false;
    }
    return false;
}

// The claim covers this PC's session, not another PC that has the same share.
bool CameraActions::AnotherCopyMayWrite(const GameFolderLookup& where) const {
    return !claim_->held() || IsOnANetworkShare(where.found.path);
}

void CameraActions::Install(std::size_t presetIndex) { Press({&ThePresetTable()[presetIndex]}, WhereToWork()); }

void CameraActions::Press(const InstallSource& source, const GameFolderLookup& where) {
    if (!where.found.holdsTheGame()) {
        // A file named Cars stands where a folder was to be: that, and not a path missing.
        const OsError error = where.found.pathTooLong              ? kPathTooLong
                              : !where.found.carsIsAFileIn.empty() ? OsError(ERROR_DIRECTORY)
                                                                   : OsError(ERROR_PATH_NOT_FOUND);
        Confirm(source, InstallResult(InstallStep::FindGameFolder, error), where);
    } else if (MayChange(where)) {
        Confirm(source, InstallIn(source, where), where);
    }
}

// A temporary file where no other copy can be writing was left by an attempt that ended: the
// program killed, the PC off, or a delete refused. It goes, and the press goes on.
InstallResult CameraActions::InstallIn(const InstallSource& source, const GameFolderLookup& where) const {
    const WaitCursorWhilePausing pausing;
    const PathText& folder = where.found.path;
    const ReplaceResult ready =
        AnotherCopyMayWrite(where) ? ReplaceResult() : RemoveLeftTemporaryFile(pausing.calls(), folder);
    if (!ready.succeeded()) return ready;
    return source.preset != nullptr ? InstallPreset(pausing.calls(), *source.preset, folder)
                                    : PutBackKeptFile(pausing.calls(), folder, source.keptFile);
}

// Activated at start, the window shows what the read started as it was shown finds.
void CameraActions::OnActivate(bool active) {
    if (active && wasInactive_) {
        if (claim_->held()) {
            presetReader_.Start(window_, game_.found.path);
        } else {
            presetReader_.StartLookingAgain(window_);
        }
    }
    if (!active) wasInactive_ = true;
}

void CameraActions::OnWindowMenuOpening() {
    menuSource_.where = WhereToWork();
    menuSource_.kept = ListKeptFiles(kSystemFileCalls, menuSource_.where.found.path);
    windowMenu_.Rebuild(GetSystemMenu(window_, FALSE), menuSource_.kept, menuSource_.where);
}

bool CameraActions::IsWindowMenuCommand(WPARAM command) const { return windowMenu_.ItemOf(command) >= 0; }

// The kept file as it is now, in the folder the window menu listed it from.
void CameraActions::OnWindowMenuCommand(WPARAM command) {
    const int item = windowMenu_.ItemOf(command);
    if (item >= 0) Press({nullptr, menuSource_.kept.files[item].number}, menuSource_.where);
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
        ShowInstallError(window_, source, result, where, AnotherCopyMayWrite(where));
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
