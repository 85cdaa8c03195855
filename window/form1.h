// Form1, the program's one window: the banner, the help text and the five buttons.
#pragma once

#include "dpi.h"
#include "gdi_object.h"
#include "game_folder_search.h"
#include "install_error_text.h"
#include "install_preset.h"
#include "layout.h"
#include "put_back_menu.h"

#include <cstddef>
#include <windows.h>

namespace zvk {

// Whether the player chose a high-contrast theme: the system's answer, or a test's.
using HighContrastQuery = bool (*)();
bool SystemHighContrastIsOn();

class Form1 {
public:
    explicit Form1(const DpiApi& dpiApi = DpiApi::OfThisSystem(),
                   HighContrastQuery highContrastIsOn = &SystemHighContrastIsOn)
        : dpiApi_(dpiApi), highContrastIsOn_(highContrastIsOn) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    ~Form1();

    // Creates the window, laid out for its monitor, shown, with focus in the help text.
    bool Create(HINSTANCE instance, int showCommand);
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Messages.
    bool OnCreate();
    void OnEraseBackground(HDC dc) const;
    void OnPaint();
    void OnPrintClient(HDC dc) const;
    void DrawBanner(HDC dc) const;
    LRESULT OnControlColor(HDC dc, HWND control) const;
    void OnColoursChanged();
    bool OnCommand(int id, int notification);
    void OnEnter();
    void OnActivate();
    void OnDeactivate();
    void OnSetFocus();
    void OnNextDialogControl(WPARAM target, bool targetIsHandle);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnInitMenu();
    bool OnSystemCommand(WPARAM command);
    void OnDestroy();

    // Buttons.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    void InstallAndConfirm(std::size_t presetIndex);
    void PutBackAndConfirm(unsigned keptFile);
    void Confirm(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where);
    void ShowActivePreset(const PathText& gameFolder);
    void SetFonts(UINT dpi);
    void SetIcons(UINT dpi);
    void ApplyLayout(UINT dpi, POINT topLeft);
    void FitFrameToClient();
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    const DpiApi& dpiApi_;
    const HighContrastQuery highContrastIsOn_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    UINT dpi_ = 96;
    bool highContrast_ = false;
    HWND focusWhenInactive_ = nullptr;
    bool wasInactive_ = false;
    PutBackMenu putBackMenu_;
    GdiObject<HFONT> helpFont_;
    GdiObject<HFONT> buttonFont_;
    GdiObject<HBITMAP> banner_;
    OwnedIcon smallIcon_;
    OwnedIcon bigIcon_;
};

}  // namespace zvk
