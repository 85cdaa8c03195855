#include "form1.h"

#include "camera_preset.h"
#include "dpi.h"
#include "game_folder_search.h"
#include "install_error_text.h"
#include "install_preset.h"
#include "message_boxes.h"
#include "texts.h"
#include "wait_cursor.h"

#include <iterator>
#include <windowsx.h>

namespace zvk {
namespace {

constexpr wchar_t kClassName[] = L"ZvkCameraModeForm1";
// A fixed layout: the window neither resizes nor maximises. Erasing the background leaves
// the controls alone, so that they do not flicker.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;

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
    return GdiObject<HFONT>(CreateFontW(-MulDiv(825, int(dpi), 7200), 0, 0, 0, FW_NORMAL, FALSE,
                                        FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
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
            return {L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL |
                                 ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL};
        case ControlKind::PresetButton:
            // Drawn pressed in while its preset is the camera file: Windows' own look for a
            // mode that is on. Not automatic: only the file decides.
            return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE};
        case ControlKind::Button:
            break;
    }
    return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON};
}

Form1* FormOf(HWND window) {
    return reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

bool SystemHighContrastIsOn() {
    HIGHCONTRASTW highContrast{};
    highContrast.cbSize = sizeof highContrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

Form1::~Form1() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool Form1::Create(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Form1::WindowProc;
    windowClass.hInstance = instance;
    // No class icons or brush: the icons follow the window's DPI, the background the theme.
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // Laid out for the system's DPI from the start, so that nothing moves once it is shown;
    // OnCreate lays it out again if its monitor has another DPI.
    dpi_ = DpiOfWindow(dpiApi_, nullptr);
    const RECT frame =
        WindowRectForClient(dpiApi_, ClientSizeInPixels(dpi_), kWindowStyle, kWindowExStyle, dpi_);
    if (!CreateWindowExW(kWindowExStyle, kClassName, kForm1Title, kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, frame.right, frame.bottom, nullptr, nullptr, instance, this))
        return false;
    // Activation focuses the window, and OnSetFocus hands focus on to the help text.
    ShowWindow(window_, showCommand);
    return true;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    Form1* form = FormOf(window);
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
        case WM_CREATE:
            return form->OnCreate() ? 0 : -1;
        case WM_ERASEBKGND:
            form->OnEraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT:
            form->OnPaint();
            return 0;
        case WM_PRINTCLIENT:  // PrintWindow, and animations that draw the window off-screen
            form->OnPrintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:  // a read-only edit asks this one
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return form->OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SYSCOLORCHANGE:  // a new theme's colours
        case WM_SETTINGCHANGE:   // high contrast switched on or off, among others
            form->OnColoursChanged();
            break;
        case WM_COMMAND:
            if (form->OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_NEXTDLGCTL:
            form->OnNextDialogControl(wParam, LOWORD(lParam) != 0);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                form->OnDeactivate();
            } else {
                form->OnActivate();
            }
            break;  // on activation DefWindowProc focuses the window, and OnSetFocus passes it on
        case WM_SETFOCUS:
            form->OnSetFocus();
            return 0;
        case WM_DPICHANGED:
            form->OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_INITMENU:  // the window menu is opening: its only menu
            form->OnInitMenu();
            break;
        case WM_SYSCOMMAND:
            if (form->OnSystemCommand(wParam)) return 0;
            break;
        case WM_DESTROY:
            form->OnDestroy();
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            form->window_ = nullptr;
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Form1::OnCreate() {
    highContrast_ = highContrastIsOn_();
    banner_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    for (const ControlRow& row : kForm1Controls) {
        const ControlStyle style = StyleOf(row.kind);
        const RECT pixels = TwipsToPixels(row.twips, dpi_);
        HWND control = CreateWindowExW(0, style.className, row.caption, style.style, pixels.left,
                                       pixels.top, pixels.right - pixels.left,
                                       pixels.bottom - pixels.top, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                       instance_, nullptr);
        if (control == nullptr) return false;
    }
    SetFonts(dpi_);
    SetIcons(dpi_);
    HWND help = Control(IDC_TEXT1);
    SetWindowTextW(help, HelpText);
    Edit_SetSel(help, 0, 0);

    const UINT monitorDpi = DpiOfWindow(dpiApi_, window_);
    if (monitorDpi != dpi_) {
        RECT placed;
        GetWindowRect(window_, &placed);
        ApplyLayout(monitorDpi, {placed.left, placed.top});
    }
    FitFrameToClient();
    ShowActivePreset(LookForGameFolder().found.path);
    // The window's own copy of its window menu, which the put-back items extend, from the
    // first time it opens.
    GetSystemMenu(window_, FALSE);
    return true;
}

// The title bar's and Alt+Tab's icons, drawn for this DPI rather than stretched; the old
// ones are destroyed once the window holds the new ones.
void Form1::SetIcons(UINT dpi) {
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
void Form1::SetFonts(UINT dpi) {
    GdiObject<HFONT> helpFont = CreateHelpFont(dpi);
    GdiObject<HFONT> buttonFont = CreateButtonFont(dpiApi_, dpi);
    for (const ControlRow& row : kForm1Controls) {
        const HFONT font = row.kind == ControlKind::HelpText ? helpFont.get() : buttonFont.get();
        SendMessageW(Control(row.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    helpFont_ = std::move(helpFont);
    buttonFont_ = std::move(buttonFont);
}

void Form1::ApplyLayout(UINT dpi, POINT topLeft) {
    dpi_ = dpi;
    const RECT frame =
        WindowRectForClient(dpiApi_, ClientSizeInPixels(dpi), kWindowStyle, kWindowExStyle, dpi);
    SetWindowPos(window_, nullptr, topLeft.x, topLeft.y, frame.right, frame.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    FitFrameToClient();
    for (const ControlRow& row : kForm1Controls) {
        HWND control = Control(row.id);
        const RECT pixels = TwipsToPixels(row.twips, dpi);
        SetWindowPos(control, nullptr, pixels.left, pixels.top, pixels.right - pixels.left,
                     pixels.bottom - pixels.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFonts(dpi);
    SetIcons(dpi);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The frame the system computes for a DPI is not always the one it draws: Windows 8.1 and
// early Windows 10 have no per-DPI frame sizes at all, and where they exist the borders may
// still be drawn at another size. The client area is what the layout needs exact, so the
// window is sized again by the difference that is really there.
void Form1::FitFrameToClient() {
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

void Form1::OnEraseBackground(HDC dc) const {
    RECT client{};
    GetClientRect(window_, &client);
    FillRect(dc, &client, ColoursFor(highContrast_).window);
}

void Form1::OnPaint() {
    PaintScope paint(window_);
    DrawBanner(paint.dc());
}

void Form1::OnPrintClient(HDC dc) const {
    OnEraseBackground(dc);
    DrawBanner(dc);
}

// The banner sits at the top-left corner: at its natural size at 96 DPI, scaled with the
// layout elsewhere.
void Form1::DrawBanner(HDC dc) const {
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
    StretchBlt(dc, 0, 0, width, height, banner.dc(), 0, 0, kBannerDesignSize.cx,
               kBannerDesignSize.cy, SRCCOPY);
}

LRESULT Form1::OnControlColor(HDC dc, HWND control) const {
    const Colours colours = ColoursFor(highContrast_);
    if (control == Control(IDC_TEXT1)) {
        SetTextColor(dc, colours.helpText);
        SetBkColor(dc, colours.helpBackground);
        return reinterpret_cast<LRESULT>(colours.helpBrush);
    }
    return reinterpret_cast<LRESULT>(colours.aroundButtons);
}

void Form1::OnColoursChanged() {
    highContrast_ = highContrastIsOn_();
    // Common controls learn of new system colours only from their parent.
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool Form1::OnCommand(int id, int notification) {
    if (notification != BN_CLICKED) return false;
    struct Route {
        int id;
        void (Form1::*click)();
    };
    static constexpr Route kRoutes[] = {
        {IDC_COMMAND1, &Form1::Command1_Click}, {IDC_COMMAND2, &Form1::Command2_Click},
        {IDC_COMMAND3, &Form1::Command3_Click}, {IDC_COMMAND4, &Form1::Command4_Click},
        {IDC_COMMAND5, &Form1::Command5_Click},
        {IDOK, &Form1::OnEnter},
    };
    for (const Route& route : kRoutes) {
        if (route.id == id) {
            (this->*route.click)();
            return true;
        }
    }
    return false;
}

// The game or another tool may have changed the camera file while the window was inactive.
// Activated at start, the window shows what OnCreate has just found.
void Form1::OnActivate() {
    if (wasInactive_) ShowActivePreset(LookForGameFolder().found.path);
}

// The dialog manager presses a focused button on Enter by itself only where it is drawn as
// the default one, which in a plain window happens when Tab moved focus to it. Otherwise (a
// button clicked before, or a preset button, which is a check button) it reports IDOK, and
// Form1 presses whichever of its buttons has focus.
void Form1::OnEnter() {
    HWND focus = GetFocus();
    for (const ControlRow& row : kForm1Controls) {
        if (IsButton(row.kind) && focus == Control(row.id)) SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

// A plain window does not remember which control had focus when it is switched away from,
// or minimised: Form1 does, as a dialog would.
void Form1::OnDeactivate() {
    wasInactive_ = true;
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus)) focusWhenInactive_ = focus;
}

void Form1::OnSetFocus() {
    SetFocus(focusWhenInactive_ != nullptr ? focusWhenInactive_ : Control(IDC_TEXT1));
}

// Tab and Shift+Tab, as the dialog manager reports them: from a multi-line edit, which keeps
// the key for itself, and from IsDialogMessage on systems that route it through here (Wine).
// A plain window has no dialog procedure to answer them, so Form1 does what one would.
void Form1::OnNextDialogControl(WPARAM target, bool targetIsHandle) {
    HWND next = targetIsHandle ? reinterpret_cast<HWND>(target)
                               : GetNextDlgTabItem(window_, GetFocus(), target != 0);
    if (next == nullptr) return;
    SetFocus(next);
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) Edit_SetSel(next, 0, -1);
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyLayout(dpi, {suggested.left, suggested.top});
}

void Form1::OnInitMenu() { putBackMenu_.Rebuild(GetSystemMenu(window_, FALSE), LookForGameFolder()); }

bool Form1::OnSystemCommand(WPARAM command) {
    const unsigned keptFile = putBackMenu_.KeptFileOf(command);
    if (keptFile == 0) return false;
    PutBackAndConfirm(keptFile);
    return true;
}

void Form1::OnDestroy() { PostQuitMessage(0); }

void Form1::Command1_Click() { InstallAndConfirm(0); }
void Form1::Command2_Click() { InstallAndConfirm(1); }
void Form1::Command3_Click() { InstallAndConfirm(2); }
void Form1::Command4_Click() { ShowInfoMessage(window_, AboutText); }
void Form1::Command5_Click() { DestroyWindow(window_); }

void Form1::InstallAndConfirm(std::size_t presetIndex) {
    const CameraPreset& preset = ThePresetTable()[presetIndex];
    const GameFolderLookup where = LookForGameFolder();
    const InstallResult result =
        where.found.place == GameFolder::NotFound
            ? InstallResult(InstallStep::FindGameFolder, ERROR_PATH_NOT_FOUND)
            : InstallPreset(WaitCursorWhilePausing().calls(), preset, where.found.path);
    Confirm({&preset}, result, where);
}

// The kept file as it is now, in the folder the window menu listed it from.
void Form1::PutBackAndConfirm(unsigned keptFile) {
    const GameFolderLookup where = putBackMenu_.where();
    const InstallResult result = PutBackKeptFile(WaitCursorWhilePausing().calls(), where.found.path, keptFile);
    Confirm({nullptr, keptFile}, result, where);
}

void Form1::Confirm(const InstallSource& source, const InstallResult& result, const GameFolderLookup& where) {
    ShowActivePreset(where.found.path);
    if (!result.succeeded()) {
        ShowInstallError(window_, source, result, where);
        return;
    }
    ShowInfoMessage(window_, ConfirmationText(source, result, where).c_str());
}

// The button of the preset that the camera file in `gameFolder` holds is pressed in; none is
// where the file is the player's own, or missing, or no game folder was found.
void Form1::ShowActivePreset(const PathText& gameFolder) {
    const int active = ActivePreset(gameFolder);
    for (int i = 0; i < int(std::size(kPresetButtonIds)); ++i)
        Button_SetCheck(Control(kPresetButtonIds[i]), i == active ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace zvk
