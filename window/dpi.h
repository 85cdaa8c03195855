// Scaling for the monitor the window is on. Everything newer than Windows XP is looked up at
// run time, so the program starts everywhere and is sharp wherever the system allows it.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace zvk {

inline constexpr UINT kDesignDpi = 96;

// Per-monitor awareness where the system has it, system awareness where it does not. The
// manifest asks for the same; this covers systems that read only one of the two.
void EnableBestDpiAwareness();

// The DPI the window is drawn at: its monitor's, or the system's.
UINT DpiOfWindow(HWND window);

// The outer window rectangle, at (0, 0), whose client area is `client` pixels at `dpi`.
RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The system's message-box font, sized for `dpi`.
LOGFONTW MessageFontForDpi(UINT dpi);

}  // namespace zvk
