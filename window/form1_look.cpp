// Form1's look, drawn and laid out: see form1_look.h.
#include "form1_look.h"

#include "layout.h"

namespace zvk {
namespace {

constexpr SIZE kBannerDesignSize = {241, 77};

// The window's colours: the design's black with light yellow text or, for a player who
// chose a high-contrast theme, that theme's colours. The banner stays either way.
struct Colours {
    HBRUSH window;
    COLORREF helpText;
    COLORREF helpBackground;
    HBRUSH helpBrush;
    HBRUSH aroundButtons;  // the corners a themed button leaves
};

Colours ColoursFor(bool highContrast) {
    if (!highContrast) {
        const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return {black, RGB(255, 255, 128), RGB(0, 0, 0), black, black};
    }
    return {GetSysColorBrush(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
            GetSysColorBrush(COLOR_WINDOW), GetSysColorBrush(COLOR_BTNFACE)};
}

// The help text's font: 8.25 points.
GdiObject<HFONT> CreateHelpFont(UINT dpi) {
    return GdiObject<HFONT>(CreateFontW(-MulDiv(825, int(dpi), 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                        ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, L"Comic Sans MS"));
}

GdiObject<HFONT> CreateButtonFont(const DpiApi& api, UINT dpi) {
    const LOGFONTW font = MessageFontForDpi(api, dpi);
    return GdiObject<HFONT>(CreateFontIndirectW(&font));
}

struct ControlStyle {
    const wchar_t* className;
    DWORD style;
};

ControlStyle StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::HelpLabel:
            return {L"STATIC", WS_CHILD | SS_LEFT};
        case ControlKind::HelpText:
            // A flat one-pixel frame (WS_BORDER) rather than a sunken edge.
            return {L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                 ES_AUTOVSCROLL};
        case ControlKind::PresetButton:
            // Drawn pressed in while its preset is the camera file: Windows' own look for a
            // mode that is on. Not automatic: only the file decides.
            return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE};
        case ControlKind::Button:
            break;
    }
    return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON};
}

}  // namespace

bool SystemHighContrastIsOn() {
    HIGHCONTRASTW highContrast{};
    highContrast.cbSize = sizeof highContrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

SIZE Form1Look::FrameSizeAtSystemDpi() {
    dpi_ = DpiOfWindow(dpiApi_, nullptr);
    const RECT frame = WindowRectForClient(dpiApi_, ClientSizeInPixels(dpi_), kWindowStyle, kWindowExStyle, dpi_);
    return {frame.right, frame.bottom};
}

bool Form1Look::OnCreate(HINSTANCE instance, HWND window) {
    instance_ = instance;
    window_ = window;
    highContrast_ = highContrastIsOn_();
    banner_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    for (const ControlRow& row : kForm1Controls) {
        const ControlStyle style = StyleOf(row.kind);
        const RECT pixels = TwipsToPixels(row.twips, dpi_);
        HWND control = CreateWindowExW(0, style.className, row.caption, style.style, pixels.left, pixels.top,
                                       pixels.right - pixels.left, pixels.bottom - pixels.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
        if (control == nullptr) return false;
    }
    SetFonts(dpi_);
    SetIcons(dpi_);
    const UINT monitorDpi = DpiOfWindow(dpiApi_, window_);
    if (monitorDpi != dpi_) {
        RECT placed;
        GetWindowRect(window_, &placed);
        ApplyLayout(monitorDpi, {placed.left, placed.top});
    }
    FitFrameToClient();
    return true;
}

// The title bar's and Alt+Tab's icons, drawn for this DPI rather than stretched; the old
// ones are destroyed once the window holds the new ones.
void Form1Look::SetIcons(UINT dpi) {
    const auto load = [&](int width, int height) {
        return OwnedIcon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                       SystemMetricForDpi(dpiApi_, width, dpi),
                                                       SystemMetricForDpi(dpiApi_, height, dpi), 0)));
    };
    OwnedIcon small = load(SM_CXSMICON, SM_CYSMICON);
    OwnedIcon big = load(SM_CXICON, SM_CYICON);
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    smallIcon_ = std::move(small);
    bigIcon_ = std::move(big);
}

// The old fonts are deleted only once no control uses them any more.
void Form1Look::SetFonts(UINT dpi) {
    GdiObject<HFONT> helpFont = CreateHelpFont(dpi);
    GdiObject<HFONT> buttonFont = CreateButtonFont(dpiApi_, dpi);
    for (const ControlRow& row : kForm1Controls) {
        const HFONT font = row.kind == ControlKind::HelpText ? helpFont.get() : buttonFont.get();
        SendMessageW(Control(row.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    helpFont_ = std::move(helpFont);
    buttonFont_ = std::move(buttonFont);
}

void Form1Look::ApplyLayout(UINT dpi, POINT topLeft) {
    dpi_ = dpi;
    const RECT frame = WindowRectForClient(dpiApi_, ClientSizeInPixels(dpi), kWindowStyle, kWindowExStyle, dpi);
    SetWindowPos(window_, nullptr, topLeft.x, topLeft.y, frame.right, frame.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    FitFrameToClient();
    for (const ControlRow& row : kForm1Controls) {
        HWND control = Control(row.id);
        const RECT pixels = TwipsToPixels(row.twips, dpi);
        SetWindowPos(control, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFonts(dpi);
    SetIcons(dpi);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The frame the system computes for a DPI is not always the one it draws: Windows 8.1 and
// early Windows 10 have no per-DPI frame sizes at all, and where they exist the borders may
// still be drawn at another size. The client area is what the layout needs exact, so the
// window is sized again by the difference that is really there.
void Form1Look::FitFrameToClient() {
    const SIZE wanted = ClientSizeInPixels(dpi_);
    RECT outer{}, client{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const int missingWidth = wanted.cx - client.right;
    const int missingHeight = wanted.cy - client.bottom;
    if (missingWidth == 0 && missingHeight == 0) return;
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + missingWidth,
                 outer.bottom - outer.top + missingHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1Look::OnEraseBackground(HDC dc) const {
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(dc, &client, ColoursFor(highContrast_).window);
}

void Form1Look::OnPaint() const {
    PaintScope paint(window_);
    DrawBanner(paint.dc());
}

void Form1Look::OnPrintClient(HDC dc) const {
    OnEraseBackground(dc);
    DrawBanner(dc);
}

// The banner sits at the top-left corner: at its natural size at 96 DPI, scaled with the
// layout elsewhere.
void Form1Look::DrawBanner(HDC dc) const {
    if (banner_.get() == nullptr) return;
    MemoryDcWith banner(dc, banner_.get());
    if (banner.dc() == nullptr) return;
    const int width = MulDiv(kBannerDesignSize.cx, int(dpi_), int(kDesignDpi));
    const int height = MulDiv(kBannerDesignSize.cy, int(dpi_), int(kDesignDpi));
    if (dpi_ == kDesignDpi) {
        BitBlt(dc, 0, 0, width, height, banner.dc(), 0, 0, SRCCOPY);
        return;
    }
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, width, height, banner.dc(), 0, 0, kBannerDesignSize.cx, kBannerDesignSize.cy, SRCCOPY);
}

LRESULT Form1Look::OnControlColor(HDC dc, HWND control) const {
    const Colours colours = ColoursFor(highContrast_);
    if (control == Control(IDC_TEXT1)) {
        SetTextColor(dc, colours.helpText);
        SetBkColor(dc, colours.helpBackground);
        return reinterpret_cast<LRESULT>(colours.helpBrush);
    }
    return reinterpret_cast<LRESULT>(colours.aroundButtons);
}

void Form1Look::OnColoursChanged() {
    highContrast_ = highContrastIsOn_();
    // Common controls learn of new system colours only from their parent.
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form1Look::OnDpiChanged(UINT dpi, const RECT& suggested) { ApplyLayout(dpi, {suggested.left, suggested.top}); }

}  // namespace zvk
