// Scaling for the monitor the window is on. Everything newer than Windows XP is looked up at
// run time, so the program starts everywhere and is sharp wherever the system allows it.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace zvk {

inline constexpr UINT kDesignDpi = 96;

// The DPI functions newer than Windows XP; each is null where the system lacks it. A test
// passes its own to play an older or a stranger system.
struct DpiApi {
    // Windows 10 1607 and later.
    UINT(WINAPI* getDpiForWindow)(HWND);
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT);
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT);
    int(WINAPI* getSystemMetricsForDpi)(int, UINT);
    // Windows 8.1 and later (shcore.dll): the effective DPI of a monitor.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);

    // The functions of the system the program runs on.
    static const DpiApi& OfThisSystem();
};

// Per-monitor awareness where the system has it, system awareness where it does not. The
// manifest asks for the same; this covers systems that read only one of the two.
void EnableBestDpiAwareness();

// The DPI the window is drawn at: its own, its monitor's, or else the system's.
UINT DpiOfWindow(const DpiApi& api, HWND window);

// The outer window rectangle, at (0, 0), whose client area is `client` pixels at `dpi`, as the
// system computes it: the frame it really draws may differ (see Form1's layout).
RECT WindowRectForClient(const DpiApi& api, SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The system's message-box font, sized for `dpi`.
LOGFONTW MessageFontForDpi(const DpiApi& api, UINT dpi);

// A system metric (a size in pixels, such as SM_CXSMICON) as it is at `dpi`.
int SystemMetricForDpi(const DpiApi& api, int metric, UINT dpi);

}  // namespace zvk
