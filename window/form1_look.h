// Form1's look: the layout for a DPI, the colours, the fonts, the icons and the banner.
// It places the controls as the layout table says, follows the player's high-contrast theme,
// and knows nothing of presets.
#pragma once

#include "dpi.h"
#include "gdi_object.h"

#include <windows.h>

namespace zvk {

// Whether the player chose a high-contrast theme: the system's answer, or a test's.
using HighContrastQuery = bool (*)();
bool SystemHighContrastIsOn();

class Form1Look {
public:
    // A fixed layout: the window neither resizes nor maximises. Erasing the background leaves
    // the controls alone, so that they do not flicker.
    static constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    static constexpr DWORD kWindowExStyle = 0;

    Form1Look(const DpiApi& dpiApi, HighContrastQuery highContrastIsOn)
        : dpiApi_(dpiApi), highContrastIsOn_(highContrastIsOn) {}
    Form1Look(const Form1Look&) = delete;
    Form1Look& operator=(const Form1Look&) = delete;

    // The outer size of the window laid out for the system's DPI, so that nothing moves once
    // it is shown.
    SIZE FrameSizeAtSystemDpi();
    // Creates the controls of the layout table in `window`, with their fonts, and the
    // window's icons and banner, laid out again if its monitor has another DPI.
    bool OnCreate(HINSTANCE instance, HWND window);

    void OnEraseBackground(HDC dc) const;
    void OnPaint() const;
    void OnPrintClient(HDC dc) const;
    LRESULT OnControlColor(HDC dc, HWND control) const;
    void OnColoursChanged();
    void OnDpiChanged(UINT dpi, const RECT& suggested);

private:
    void DrawBanner(HDC dc) const;
    void SetFonts(UINT dpi);
    void SetIcons(UINT dpi);
    void ApplyLayout(UINT dpi, POINT topLeft);
    void FitFrameToClient();
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    const DpiApi& dpiApi_;
    const HighContrastQuery highContrastIsOn_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    UINT dpi_ = kDesignDpi;
    bool highContrast_ = false;
    GdiObject<HFONT> helpFont_;
    GdiObject<HFONT> buttonFont_;
    GdiObject<HBITMAP> banner_;
    OwnedIcon smallIcon_;
    OwnedIcon bigIcon_;
};

}  // namespace zvk
