#include "form1.h"

#include "layout.h"
#include "message_boxes.h"
#include "texts.h"

#include <windowsx.h>

namespace zvk {
namespace {

constexpr wchar_t kClassName[] = L"ZvkCameraModeForm1";

Form1* FormOf(HWND window) { return reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

}  // namespace

Form1::~Form1() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool Form1::Create(HINSTANCE instance, int showCommand, const GameFolderLookup& gameAtStart, GameFolderClaim& claim) {
    instance_ = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Form1::WindowProc;
    windowClass.hInstance = instance;
    // No class icons or brush: the icons follow the window's DPI, the background the theme.
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    const SIZE frame = look_.FrameSizeAtSystemDpi();
    if (!CreateWindowExW(Form1Look::kWindowExStyle, kClassName, kForm1Title, Form1Look::kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, frame.cx, frame.cy, nullptr, nullptr, instance, this))
        return false;
    // Activation focuses the window, and the keyboard hands focus on to the help text.
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    // Nothing in the game folder is read before the window is there: a file held by a scanner,
    // or a sleeping disk, would keep the player waiting for the window.
    actions_.OnShown(gameAtStart, claim);
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
            form->look_.OnEraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT:
            form->look_.OnPaint();
            return 0;
        case WM_PRINTCLIENT:  // PrintWindow, and animations that draw the window off-screen
            form->look_.OnPrintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:  // a read-only edit asks this one
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return form->look_.OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SYSCOLORCHANGE:  // a new theme's colours
        case WM_SETTINGCHANGE:   // high contrast switched on or off, among others
            form->look_.OnColoursChanged();
            break;
        case WM_DPICHANGED:
            form->look_.OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_COMMAND:
            if (form->OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
            break;
        case WM_NEXTDLGCTL:
            form->keyboard_.OnNextDialogControl(window, wParam, LOWORD(lParam) != 0);
            return 0;
        case WM_ACTIVATE:
            form->OnActivate(LOWORD(wParam) != WA_INACTIVE);
            break;  // on activation DefWindowProc focuses the window, and WM_SETFOCUS passes it on
        case WM_SETFOCUS:
            form->keyboard_.OnSetFocus(window);
            return 0;
        case WM_INITMENU:  // the window menu is opening: its only menu
            form->actions_.OnWindowMenuOpening();
            break;
        case WM_SYSCOMMAND:
            if (form->OnSystemCommand(wParam)) return 0;
            break;
        case WM_TIMER:
            form->actions_.OnTimer(wParam);
            return 0;
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
    if (!look_.OnCreate(instance_, window_)) return false;
    HWND help = GetDlgItem(window_, IDC_TEXT1);
    SetWindowTextW(help, HelpText);
    Edit_SetSel(help, 0, 0);
    actions_.OnCreate(window_);
    return true;
}

// A click that arrives while another click's work or its box is under way is dropped, not
// queued: tools that press buttons for the player (an accessibility "invoke", a macro) post
// clicks faster than a box is answered, and each would give another install and another box.
template <class Work>
void Form1::OneClickAtATime(Work work) {
    if (clickUnderWay_) return;
    clickUnderWay_ = true;
    work();
    clickUnderWay_ = false;
}

bool Form1::OnCommand(int id, int notification) {
    if (notification != BN_CLICKED) return false;
    // Enter only presses a button, whose click then comes here.
    if (id == IDOK) {
        OnEnter();
        return true;
    }
    struct Route {
        int id;
        void (Form1::*click)();
    };
    static constexpr Route kRoutes[] = {
        {IDC_COMMAND1, &Form1::Command1_Click}, {IDC_COMMAND2, &Form1::Command2_Click},
        {IDC_COMMAND3, &Form1::Command3_Click}, {IDC_COMMAND4, &Form1::Command4_Click},
        {IDC_COMMAND5, &Form1::Command5_Click},
    };
    for (const Route& route : kRoutes) {
        if (route.id == id) {
            OneClickAtATime([&] { (this->*route.click)(); });
            return true;
        }
    }
    return false;
}

// The window menu's put-back items count as clicks.
bool Form1::OnSystemCommand(WPARAM command) {
    if (!actions_.IsWindowMenuCommand(command)) return false;
    OneClickAtATime([&] { actions_.OnWindowMenuCommand(command); });
    return true;
}

void Form1::OnActivate(bool active) {
    if (!active) keyboard_.OnDeactivate(window_);
    actions_.OnActivate(active);
}

void Form1::OnDestroy() { PostQuitMessage(0); }

void Form1::Command1_Click() { actions_.Install(0); }
void Form1::Command2_Click() { actions_.Install(1); }
void Form1::Command3_Click() { actions_.Install(2); }
void Form1::Command4_Click() { ShowInfoMessage(window_, AboutText); }
void Form1::Command5_Click() { DestroyWindow(window_); }
void Form1::OnEnter() { keyboard_.OnEnter(window_); }

}  // namespace zvk
