// Form1 in this process, told of DPI changes that Wine never sends, on systems with and
// without the DPI functions of newer Windows.
#include "form1.h"

#include <gtest/gtest.h>

#include <string>

namespace zvk {
namespace {

// Windows 10 checks the size of what it fills: it refuses the shorter NONCLIENTMETRICSW of
// the Windows XP headers. Its message font here is 9 points, to tell it from Wine's.
BOOL WINAPI StrictSystemParametersInfoForDpi(UINT action, UINT size, void* data, UINT, UINT dpi) {
    auto* metrics = static_cast<NONCLIENTMETRICSW*>(data);
    if (action != SPI_GETNONCLIENTMETRICS || size != 504 || metrics->cbSize != 504) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof *metrics, metrics, 0);
    metrics->cbSize = 504;
    metrics->lfMessageFont.lfHeight = -MulDiv(9, int(dpi), 72);
    return TRUE;
}

// Windows 8.1 on a monitor at 144 DPI.
HRESULT WINAPI MonitorAt144Dpi(HMONITOR, int, UINT* x, UINT* y) {
    *x = *y = 144;
    return S_OK;
}

// A system that computes a frame for a DPI with borders it then does not draw.
BOOL WINAPI AdjustWithBordersNotDrawn(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) {
    AdjustWindowRectEx(rect, style, menu, exStyle);
    InflateRect(rect, MulDiv(3, int(dpi), 96), MulDiv(3, int(dpi), 96));
    return TRUE;
}

LONG SystemMessageFontHeight(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return MulDiv(metrics.lfMessageFont.lfHeight, int(dpi), 96);
}
LONG NinePointHeight(UINT dpi) { return -MulDiv(9, int(dpi), 72); }

struct System {
    const char* name;
    DpiApi api;
    UINT startDpi;                     // what the window is laid out for once created
    LONG (*buttonFontHeight)(UINT dpi);
};

const System kSystems[] = {
    {"Windows 10", {DpiApi::OfThisSystem().getDpiForWindow, DpiApi::OfThisSystem().adjustWindowRectExForDpi,
                    &StrictSystemParametersInfoForDpi, DpiApi::OfThisSystem().getSystemMetricsForDpi, nullptr},
     96, &NinePointHeight},
    {"Windows 8.1 on a 144 DPI monitor", {nullptr, nullptr, nullptr, nullptr, &MonitorAt144Dpi}, 144,
     &SystemMessageFontHeight},
    {"Windows XP to 8", {}, 96, &SystemMessageFontHeight},
    {"frames computed wider than drawn", {nullptr, &AdjustWithBordersNotDrawn, nullptr, nullptr, nullptr}, 96,
     &SystemMessageFontHeight},
};

// The design in twips, scaled with rounding to the nearest pixel.
int Scaled(int twips, UINT dpi) { return (twips * int(dpi) + 720) / 1440; }

struct DesignedControl {
    int id;
    int left, top, width, height;  // twips
};
constexpr DesignedControl kDesign[] = {
    {IDC_TEXT1, 120, 1200, 3375, 2415},   {IDC_COMMAND1, 120, 3840, 1095, 375},
    {IDC_COMMAND2, 1200, 3840, 1095, 375}, {IDC_COMMAND3, 2280, 3840, 1215, 375},
    {IDC_COMMAND4, 120, 4200, 1695, 375},  {IDC_COMMAND5, 1800, 4200, 1695, 375},
};

LONG FontHeightOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

void ExpectLaidOutFor(HWND window, UINT dpi, LONG buttonFontHeight) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Scaled(3600, dpi));
    EXPECT_EQ(client.bottom, Scaled(4785, dpi));
    for (const DesignedControl& design : kDesign) {
        HWND control = GetDlgItem(window, design.id);
        RECT at{};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        const int left = Scaled(design.left, dpi), top = Scaled(design.top, dpi);
        EXPECT_EQ(at.left, left) << "control " << design.id;
        EXPECT_EQ(at.top, top) << "control " << design.id;
        EXPECT_EQ(at.right, left + Scaled(design.width, dpi)) << "control " << design.id;
        EXPECT_EQ(at.bottom, top + Scaled(design.height, dpi)) << "control " << design.id;
        // 8.25 points for the help text; the system's message font for the buttons.
        EXPECT_EQ(FontHeightOf(control),
                  design.id == IDC_TEXT1 ? -MulDiv(825, int(dpi), 7200) : buttonFontHeight)
            << "control " << design.id;
    }
}

TEST(Form1Dpi, LayoutFollowsEveryDpiChangeOnEverySystem) {
    for (const System& system : kSystems) {
        SCOPED_TRACE(system.name);
        Form1 form(system.api);
        ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), SW_HIDE));
        ExpectLaidOutFor(form.window(), system.startDpi, system.buttonFontHeight(system.startDpi));

        for (UINT dpi : {144u, 192u, 96u}) {
            RECT suggested = {50 + int(dpi), 40, 50 + int(dpi) + 600, 40 + 800};
            SendMessageW(form.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            ExpectLaidOutFor(form.window(), dpi, system.buttonFontHeight(dpi));
            RECT placed{};
            GetWindowRect(form.window(), &placed);
            EXPECT_EQ(placed.left, suggested.left);
            EXPECT_EQ(placed.top, suggested.top);
        }
    }
}

}  // namespace
}  // namespace zvk
