// Form1 in this process: told of DPI changes that Wine never sends, on systems with and
// without the DPI functions of newer Windows; switched to a high-contrast theme; and its window
// menu read, which Wine does not let another process read.
#include "form1.h"

#include "game_folder.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zvk {
namespace {

using test_support::GameFolderTest;
namespace fs = std::filesystem;

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

// The DPI the system runs at: 96 is only the most common.
UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return UINT(dpi);
}

LONG SystemMessageFontHeight(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return MulDiv(metrics.lfMessageFont.lfHeight, int(dpi), int(SystemDpi()));
}
LONG NinePointHeight(UINT dpi) { return -MulDiv(9, int(dpi), 72); }

struct System {
    const char* name;
    DpiApi api;
    UINT startDpi;  // what the window is laid out for once created; 0: the system's
    LONG (*buttonFontHeight)(UINT dpi);
};

const System kSystems[] = {
    {"Windows 10",
     {DpiApi::OfThisSystem().getDpiForWindow, DpiApi::OfThisSystem().adjustWindowRectExForDpi,
      &StrictSystemParametersInfoForDpi, DpiApi::OfThisSystem().getSystemMetricsForDpi, nullptr},
     0,
     &NinePointHeight},
    {"Windows 8.1 on a 144 DPI monitor",
     {nullptr, nullptr, nullptr, nullptr, &MonitorAt144Dpi},
     144,
     &SystemMessageFontHeight},
    {"Windows XP to 8", {}, 0, &SystemMessageFontHeight},
    {"frames computed wider than drawn",
     {nullptr, &AdjustWithBordersNotDrawn, nullptr, nullptr, nullptr},
     0,
     &SystemMessageFontHeight},
};

// Twips scaled to the DPI, rounded to the nearest pixel.
int Scaled(int twips, UINT dpi) { return (twips * int(dpi) + 720) / 1440; }

LONG FontHeightOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

void ExpectLaidOutFor(HWND window, UINT dpi, LONG buttonFontHeight) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    // The title bar's and Alt+Tab's icons, drawn for the DPI (this test's resources carry
    // the program's icon file).
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0))),
              MulDiv(16, int(dpi), 96));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0))),
              MulDiv(32, int(dpi), 96));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Scaled(3600, dpi));
    EXPECT_EQ(client.bottom, Scaled(4785, dpi));
    for (const ControlRow& row : kForm1Controls) {
        SCOPED_TRACE("control " + std::to_string(row.id));
        HWND control = GetDlgItem(window, row.id);
        RECT at{};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        const int left = Scaled(row.twips.left, dpi), top = Scaled(row.twips.top, dpi);
        EXPECT_EQ(at.left, left);
        EXPECT_EQ(at.top, top);
        EXPECT_EQ(at.right, left + Scaled(row.twips.width, dpi));
        EXPECT_EQ(at.bottom, top + Scaled(row.twips.height, dpi));
        // 8.25 points for the help text; the system's message font for the buttons (and the
        // label, which nobody sees).
        EXPECT_EQ(FontHeightOf(control),
                  row.kind == ControlKind::HelpText ? -MulDiv(825, int(dpi), 7200) : buttonFontHeight);
    }
}

TEST(Form1Dpi, LayoutFollowsEveryDpiChangeOnEverySystem) {
    for (const System& system : kSystems) {
        SCOPED_TRACE(system.name);
        Form1 form(system.api);
        GameFolderClaim noClaim;
        ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), SW_HIDE, LookForGameFolder(), noClaim));
        const UINT startDpi = system.startDpi != 0 ? system.startDpi : SystemDpi();
        ExpectLaidOutFor(form.window(), startDpi, system.buttonFontHeight(startDpi));

        for (UINT dpi : {144u, 192u, 96u}) {
            RECT suggested = {50 + int(dpi), 40, 50 + int(dpi) + 600, 40 + 800};
            const auto oldIcon = reinterpret_cast<HICON>(SendMessageW(form.window(), WM_GETICON, ICON_SMALL, 0));
            SendMessageW(form.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            ExpectLaidOutFor(form.window(), dpi, system.buttonFontHeight(dpi));
            EXPECT_EQ(IconWidth(oldIcon), 0) << "the icon for the old DPI was not destroyed";
            RECT placed{};
            GetWindowRect(form.window(), &placed);
            EXPECT_EQ(placed.left, suggested.left);
            EXPECT_EQ(placed.top, suggested.top);
        }
    }
}

// The player's theme, as this test sets it (Wine keeps no high-contrast setting).
bool gHighContrast = false;
bool TestHighContrastIsOn() { return gHighContrast; }

COLORREF BrushColour(HBRUSH brush) {
    LOGBRUSH log{};
    GetObjectW(brush, sizeof log, &log);
    return log.lbColor;
}

// The design's black and light yellow, unless the player chose a high-contrast theme: then
// the theme's window and text colours, followed as the theme is switched while it runs
// (Windows tells of it by either message).
TEST(Form1Colours, FollowTheHighContrastTheme) {
    gHighContrast = false;
    Form1 form(DpiApi::OfThisSystem(), &TestHighContrastIsOn);
    GameFolderClaim noClaim;
    ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), SW_HIDE, LookForGameFolder(), noClaim));
    const auto colourFor = [&](UINT message, int id, HDC dc) {
        return BrushColour(
            reinterpret_cast<HBRUSH>(SendMessageW(form.window(), message, reinterpret_cast<WPARAM>(dc),
                                                  reinterpret_cast<LPARAM>(GetDlgItem(form.window(), id)))));
    };
    const WindowDc screen(nullptr);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.dc(), 240, 320));
    const MemoryDcWith memory(screen.dc(), bitmap.get());
    HDC dc = memory.dc();

    for (bool on : {false, true, false}) {
        SCOPED_TRACE(on ? "high contrast" : "normal");
        gHighContrast = on;
        SendMessageW(form.window(), on ? WM_SETTINGCHANGE : WM_SYSCOLORCHANGE, SPI_SETHIGHCONTRAST, 0);
        const COLORREF background = on ? GetSysColor(COLOR_WINDOW) : RGB(0, 0, 0);

        EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, IDC_TEXT1, dc), background);
        EXPECT_EQ(GetTextColor(dc), on ? GetSysColor(COLOR_WINDOWTEXT) : RGB(255, 255, 128));
        EXPECT_EQ(GetBkColor(dc), background);
        EXPECT_EQ(colourFor(WM_CTLCOLORBTN, IDC_COMMAND1, dc), on ? GetSysColor(COLOR_BTNFACE) : RGB(0, 0, 0));

        SetPixel(dc, 230, 310, RGB(1, 2, 3));  // below the buttons
        SendMessageW(form.window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        EXPECT_EQ(GetPixel(dc, 230, 310), background) << "window background";
    }
}

// The preset in place is read by the window's timer, and read again, by the timer, while a
// scanner holds the camera file: a read never waits for the file. A read stopped reads no more.
TEST_F(GameFolderTest, ThePresetInPlaceIsReadByTimerAgainWhileTheFileIsHeld) {
    fs::create_directory("Cars");
    test_support::WriteBytes(fs::path("Cars") / "Cameras.ini", test_support::InstalledBytes(1));
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    // The reader's timer, as the window's message loop would see it. (A window of an earlier
    // test may have left its WM_QUIT, which comes whatever the filter.)
    const auto timerFires = [&](int withinMilliseconds) {
        MSG message{};
        for (int waited = 0; waited < withinMilliseconds; waited += 20) {
            if (PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE) && message.message == WM_TIMER &&
                message.wParam == PresetInPlaceReader::kTimer)
                return true;
            Sleep(20);
        }
        return false;
    };
    HANDLE scanner = CreateFileW(L"Cars\\Cameras.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    PresetInPlaceReader reader;
    reader.Start(window, PathText(root().native()));
    ASSERT_TRUE(timerFires(3000));
    EXPECT_EQ(reader.OnTimer(), PresetInPlaceReader::kNotYet) << "read while held";
    CloseHandle(scanner);
    ASSERT_TRUE(timerFires(3000)) << "not read again";
    EXPECT_EQ(reader.OnTimer(), 1) << "not Car Mode";
    EXPECT_FALSE(timerFires(600)) << "read again once read";
    reader.Start(window, PathText(root().native()));
    reader.Stop();
    EXPECT_FALSE(timerFires(600)) << "read though stopped";
    DestroyWindow(window);
}

// A kept file, written at `utc`.
void KeepFileWrittenAt(const fs::path& file, SYSTEMTIME utc) {
    test_support::WriteBytes(file, "kept");
    FILETIME written{};
    SystemTimeToFileTime(&utc, &written);
    HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, nullptr, nullptr, &written);
    CloseHandle(handle);
}

// The window menu says which game folder the buttons change, or that none was found, and the
// version, as it is each time the menu opens; and when each file was kept, as Explorer shows
// it: a file kept in summer at summer time, one kept in winter at winter time, whatever the
// time of year now.
TEST_F(GameFolderTest, Form1sWindowMenuSaysWhereItWorksAndItsVersion) {
    Form1 form;
    GameFolderClaim noClaim;
    ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), SW_HIDE, LookForGameFolder(), noClaim));
    const auto lastItems = [&](int count) {
        HMENU menu = GetSystemMenu(form.window(), FALSE);
        SendMessageW(form.window(), WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        std::wstring items;
        for (int item = GetMenuItemCount(menu) - count; item < GetMenuItemCount(menu); ++item) {
            wchar_t text[400] = {};
            GetMenuStringW(menu, UINT(item), text, 400, MF_BYPOSITION);
            const bool greyed = (GetMenuState(menu, UINT(item), MF_BYPOSITION) & MF_GRAYED) != 0;
            items += (greyed ? L"greyed: " : L"") + std::wstring(text) + L"\n";
        }
        return items;
    };
    const std::string version = ZVK_VERSION_TEXT;
    const std::wstring versionItem = L"greyed: ZVK Camera Mode " + std::wstring(version.begin(), version.end()) + L"\n";
    EXPECT_EQ(lastItems(2),
              L"greyed: No game folder found here: copy this program into the game's folder\n" + versionItem);

    // Deeper than Windows' old limit of 260 characters, as Wine and long paths let a game be.
    fs::path game = root() / "ZVK DM2 & Mods";
    while (game.native().size() < 300) game /= "Zevrakon Duskmarr 2 Complete Edition";
    fs::create_directories(game / "Cars");
    fs::current_path(game);
    const std::wstring folderItem =
        L"greyed: Game folder: " + game.wstring().replace(game.wstring().find(L'&'), 1, L"&&") + L"\n";
    EXPECT_EQ(lastItems(2), folderItem + versionItem);

    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    // ctest sets the zone (tests/CMakeLists.txt); a run by hand elsewhere skips what needs it.
    const char* const zoneAsked = std::getenv("TZ");
    if (zoneAsked == nullptr || std::string(zoneAsked) != "Europe/Berlin")
        GTEST_SKIP() << "the times of kept files need Central European time: run with TZ=Europe/Berlin";
    ASSERT_TRUE(zone.Bias == -60 && zone.DaylightBias == -60) << "TZ=Europe/Berlin, but not Central European time";
    KeepFileWrittenAt(game / "Cars" / "Cameras.ini.bak", {2026, 1, 4, 15, 12, 0, 0, 0});
    KeepFileWrittenAt(game / "Cars" / "Cameras.ini.bak2", {2026, 7, 3, 1, 12, 0, 0, 0});
    EXPECT_EQ(lastItems(5),
              L"&1 Put back your own Cameras.ini.bak2 (1 Jul 2026, 14:00)\n"
              L"&2 Put back your own Cameras.ini.bak (15 Jan 2026, 13:00)\n"
              L"greyed: \n" +
                  folderItem + versionItem);
}

}  // namespace
}  // namespace zvk
