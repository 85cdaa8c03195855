// What the dialog manager does for a dialog, done for Form1, a plain window: Enter presses the
// focused button, Tab and Shift+Tab move focus, and focus is kept across activation. It knows
// nothing of presets.
#pragma once

#include <windows.h>

namespace zvk {

class Form1Keyboard {
public:
    void OnEnter(HWND window) const;
    void OnDeactivate(HWND window);
    void OnSetFocus(HWND window) const;
    void OnNextDialogControl(HWND window, WPARAM target, bool targetIsHandle) const;

private:
    HWND focusWhenInactive_ = nullptr;
};

}  // namespace zvk
