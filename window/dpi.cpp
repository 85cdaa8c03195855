#include "dpi.h"

namespace zvk {
namespace {

template <class Function>
Function LookUp(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) return nullptr;
    // Through a generic function pointer, the documented way to convert GetProcAddress's result.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

// Windows 10 1703 and later.
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(-3);
// Windows Vista and later.
using SetProcessDpiAwareFn = BOOL(WINAPI*)();
// Windows 10 1607 and later.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kDesignDpi;
}

}  // namespace

void EnableBestDpiAwareness() {
    if (auto setContext = LookUp<SetProcessDpiAwarenessContextFn>(L"user32.dll",
                                                                    "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware)) return;
        // Refused: the manifest has already set the awareness, which is as it should be.
        if (GetLastError() == ERROR_ACCESS_DENIED) return;
    }
    if (auto setAware = LookUp<SetProcessDpiAwareFn>(L"user32.dll", "SetProcessDPIAware"))
        setAware();
}

UINT DpiOfWindow(HWND window) {
    static const auto getDpiForWindow = LookUp<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    RECT rect = {0, 0, client.cx, client.cy};
    static const auto adjustForDpi =
        LookUp<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW MessageFontForDpi(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    // The size Windows XP knows: newer systems accept it too.
    metrics.cbSize = sizeof metrics;
    static const auto infoForDpi =
        LookUp<SystemParametersInfoForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    if (infoForDpi != nullptr &&
        infoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return metrics.lfMessageFont;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        LOGFONTW fallback{};
        fallback.lfHeight = -MulDiv(8, int(dpi), 72);
        lstrcpynW(fallback.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
        return fallback;
    }
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, int(dpi), int(SystemDpi()));
    return metrics.lfMessageFont;
}

}  // namespace zvk
