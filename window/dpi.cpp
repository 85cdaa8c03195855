#include "dpi.h"

#include "dll_loading.h"
#include "system_function.h"

namespace zvk {
namespace {

// Windows 10 1703 and later.
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(-3);
// Windows Vista and later.
using SetProcessDpiAwareFn = BOOL(WINAPI*)();

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// The structure as Windows Vista and later define it. SystemParametersInfoForDpi refuses the
// shorter one that the Windows XP headers declare, which lacks the last field.
struct NonClientMetricsSinceVista : NONCLIENTMETRICSW {
    int iPaddedBorderWidth;
};
static_assert(sizeof(NonClientMetricsSinceVista) == 504, "the Vista-and-later NONCLIENTMETRICSW");

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kDesignDpi;
}

}  // namespace

const DpiApi& DpiApi::OfThisSystem() {
    static const DpiApi api = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        DpiApi found{
            LookUpFunction<decltype(DpiApi::getDpiForWindow)>(user32, "GetDpiForWindow"),
            LookUpFunction<decltype(DpiApi::adjustWindowRectExForDpi)>(user32, "AdjustWindowRectExForDpi"),
            LookUpFunction<decltype(DpiApi::systemParametersInfoForDpi)>(user32, "SystemParametersInfoForDpi"),
            LookUpFunction<decltype(DpiApi::getSystemMetricsForDpi)>(user32, "GetSystemMetricsForDpi"),
            nullptr,
        };
        // Needed only where GetDpiForWindow is missing (Windows 8.1 and early 10): elsewhere
        // the library would be memory spent for nothing. By its full path in the system
        // folder, since the program sits in a game folder that anyone may fill, and Windows 7
        // and older, without an update, do not know the flag that would say so.
        if (found.getDpiForWindow == nullptr) {
            found.getDpiForMonitor =
                LookUpFunction<decltype(DpiApi::getDpiForMonitor)>(LoadSystemDll(L"shcore.dll"), "GetDpiForMonitor");
        }
        return found;
    }();
    return api;
}

void EnableBestDpiAwareness() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (auto setContext = LookUpFunction<SetProcessDpiAwarenessContextFn>(user32, "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware)) return;
        // Refused: the manifest has already set the awareness, which is as it should be.
        if (GetLastError() == ERROR_ACCESS_DENIED) return;
    }
    if (auto setAware = LookUpFunction<SetProcessDpiAwareFn>(user32, "SetProcessDPIAware")) setAware();
}

UINT DpiOfWindow(const DpiApi& api, HWND window) {
    if (window != nullptr && api.getDpiForWindow != nullptr) {
        const UINT dpi = api.getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    if (window != nullptr && api.getDpiForMonitor != nullptr) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(api.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y != 0) return y;
    }
    return SystemDpi();
}

RECT WindowRectForClient(const DpiApi& api, SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    RECT rect = {0, 0, client.cx, client.cy};
    if (api.adjustWindowRectExForDpi == nullptr || !api.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTW MessageFontForDpi(const DpiApi& api, UINT dpi) {
    if (api.systemParametersInfoForDpi != nullptr) {
        NonClientMetricsSinceVista metrics{};
        metrics.cbSize = sizeof metrics;
        if (api.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
            return metrics.lfMessageFont;
    }
    // The size Windows XP knows: newer systems accept it too.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        LOGFONTW fallback{};
        fallback.lfHeight = -MulDiv(8, int(dpi), 72);
        lstrcpynW(fallback.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
        return fallback;
    }
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, int(dpi), int(SystemDpi()));
    return metrics.lfMessageFont;
}

int SystemMetricForDpi(const DpiApi& api, int metric, UINT dpi) {
    if (api.getSystemMetricsForDpi != nullptr) return api.getSystemMetricsForDpi(metric, dpi);
    return MulDiv(GetSystemMetrics(metric), int(dpi), int(SystemDpi()));
}

}  // namespace zvk
