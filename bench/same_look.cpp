// The floor with the program's look: Form1 as the player sees it, made by the program's own
// code (the layout table, the texts, Form1Look, the DPI handling, the resources and the DLL
// loading), and nothing else: no game folder, no claim on it, no file read, no window menu.
// What the program costs beyond it is the program's own work at start.
//
// Built once whole and once for each part of the look left out (ZVK_LOOK_WITHOUT_..., see
// bench/CMakeLists.txt): each such build says what that part costs.
#include "dll_loading.h"
#include "dpi.h"
#include "form1_keyboard.h"
#include "form1_look.h"
#include "layout.h"
#include "texts.h"

#include <windows.h>
#include <windowsx.h>

namespace {

using zvk::Form1Look;

#ifdef ZVK_LOOK_WITHOUT_DPI_HANDLING
// As a program that knows nothing of DPI: no function newer than Windows XP.
const zvk::DpiApi kDpiApi{};
#else
const zvk::DpiApi& kDpiApi = zvk::DpiApi::OfThisSystem();
#endif

struct SameLook {
    Form1Look look{kDpiApi, &zvk::SystemHighContrastIsOn};
    zvk::Form1Keyboard keyboard;  // for the focus in the help text, where the caret shows
    HINSTANCE instance = nullptr;
};

SameLook* SameLookOf(HWND window) { return reinterpret_cast<SameLook*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool OnCreate(SameLook& form, HWND window) {
    if (!form.look.OnCreate(form.instance, window)) return false;
#ifndef ZVK_LOOK_WITHOUT_HELP_TEXT
    HWND help = GetDlgItem(window, IDC_TEXT1);
    SetWindowTextW(help, zvk::HelpText);
    Edit_SetSel(help, 0, 0);
#endif
    return true;
}

// The look's messages, as Form1 routes them.
LRESULT CALLBACK SameLookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    SameLook* form = SameLookOf(window);
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE:
            return OnCreate(*form, window) ? 0 : -1;
#ifndef ZVK_LOOK_WITHOUT_COLOURS
        case WM_ERASEBKGND:
            form->look.OnEraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return form->look.OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            form->look.OnColoursChanged();
            break;
#endif
        case WM_PAINT:
            form->look.OnPaint();
            return 0;
        case WM_PRINTCLIENT:
            form->look.OnPrintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_DPICHANGED:
            form->look.OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) form->keyboard.OnDeactivate(window);
            break;
        case WM_SETFOCUS:
            form->keyboard.OnSetFocus(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
#ifndef ZVK_LOOK_WITHOUT_DLL_LIMITS
    zvk::LoadDllsFromSystem32Only();
#endif
#ifndef ZVK_LOOK_WITHOUT_DPI_HANDLING
    zvk::EnableBestDpiAwareness();
#endif
    zvk::LoadCommonControls();

    SameLook form;
    form.instance = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &SameLookProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
#ifdef ZVK_LOOK_WITHOUT_COLOURS
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
#endif
    windowClass.lpszClassName = L"ZvkSameLook";
    if (!RegisterClassExW(&windowClass)) return 1;
    const SIZE frame = form.look.FrameSizeAtSystemDpi();
    HWND window = CreateWindowExW(Form1Look::kWindowExStyle, L"ZvkSameLook", zvk::kForm1Title, Form1Look::kWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, frame.cx, frame.cy, nullptr, nullptr, instance, &form);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
