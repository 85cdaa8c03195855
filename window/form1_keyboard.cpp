// Form1's keyboard, as the dialog manager would have it: see form1_keyboard.h.
#include "form1_keyboard.h"

#include "layout.h"

#include <windowsx.h>

namespace zvk {

// The dialog manager presses a focused button on Enter by itself only where it is drawn as
// the default one, which in a plain window happens when Tab moved focus to it. Otherwise (a
// button clicked before, or a preset button, which is a check button) it reports IDOK, and
// Form1 presses whichever of its buttons has focus.
void Form1Keyboard::OnEnter(HWND window) const {
    HWND focus = GetFocus();
    for (const ControlRow& row : kForm1Controls) {
        if (IsButton(row.kind) && focus == GetDlgItem(window, row.id)) SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

// A plain window does not remember which control had focus when it is switched away from,
// or minimised: Form1 does, as a dialog would.
void Form1Keyboard::OnDeactivate(HWND window) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus)) focusWhenInactive_ = focus;
}

void Form1Keyboard::OnSetFocus(HWND window) const {
    SetFocus(focusWhenInactive_ != nullptr ? focusWhenInactive_ : GetDlgItem(window, IDC_TEXT1));
}

// Tab and Shift+Tab, as the dialog manager reports them: from a multi-line edit, which keeps
// the key for itself, and from IsDialogMessage on systems that route it through here (Wine).
// A plain window has no dialog procedure to answer them, so Form1 does what one would.
void Form1Keyboard::OnNextDialogControl(HWND window, WPARAM target, bool targetIsHandle) const {
    HWND next = targetIsHandle ? reinterpret_cast<HWND>(target) : GetNextDlgTabItem(window, GetFocus(), target != 0);
    if (next == nullptr) return;
    SetFocus(next);
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) Edit_SetSel(next, 0, -1);
}

}  // namespace zvk
