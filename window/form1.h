// Form1, the program's one window: the banner, the help text and the five buttons. It routes
// each message to the room that answers it: the look, the keyboard, or the camera actions.
#pragma once

#include "camera_actions.h"
#include "dpi.h"
#include "form1_keyboard.h"
#include "form1_look.h"
#include "layout.h"

#include <windows.h>

namespace zvk {

class Form1 {
public:
    explicit Form1(const DpiApi& dpiApi = DpiApi::OfThisSystem(),
                   HighContrastQuery highContrastIsOn = &SystemHighContrastIsOn)
        : look_(dpiApi, highContrastIsOn) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    // Creates the window, laid out for its monitor, shown, with focus in the help text; what
    // it shows of `gameAtStart`, the game found at start, follows once it is shown. It works in
    // the game folder that `claim` holds for it, or, holding none, claims one at the first press.
    bool Create(HINSTANCE instance, int showCommand, const GameFolderLookup& gameAtStart, GameFolderClaim& claim);
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool OnCreate();
    bool OnCommand(int id, int notification);
    void OnActivate(bool active);
    bool OnSystemCommand(WPARAM command);
    void OnDestroy();
    template <class Work>
    void OneClickAtATime(Work work);

    // Buttons.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void OnEnter();

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    bool clickUnderWay_ = false;
    Form1Look look_;
    Form1Keyboard keyboard_;
    CameraActions actions_;
};

}  // namespace zvk
