// Form1's keyboard: Enter, Tab and Shift+Tab, and focus kept, as the dialog manager does.
// Form1 is a plain window, which has none of it by itself. It knows nothing of presets.
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
