// The real program under Wine, driven through its windows as a player drives it.
#include "app_session.h"
#include "game_folder.h"
#include "other_process.h"

#include "camera_preset.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace zvk::e2e {

namespace {

using test_support::HoldsBytes;
using test_support::InstalledBytes;

constexpr const char* kBoxStuck = "the box did not close after OK, or the window stayed disabled";

// What a confirmation adds where the player's own file was kept as `name`.
std::wstring KeptAs(const std::wstring& name) {
    return L"\r\n\r\nYour own camera file was kept as:\r\n" + name +
           L"\r\nTo put it back: the window menu (Alt+Space).";
}

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

std::wstring Describe(const RECT& r) {
    return std::to_wstring(r.left) + L", " + std::to_wstring(r.top) + L", " + std::to_wstring(r.right - r.left) +
           L" x " + std::to_wstring(r.bottom - r.top);
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return UINT(dpi);
}

// What a screen reader learns of a control, through `ask`.
template <class Ask>
void AskAccessible(HWND control, Ask ask) {
    IAccessible* accessible = nullptr;
    // __uuidof: MinGW's oleacc import library has an IID_IAccessible symbol of its own that
    // is not the interface's identifier.
    if (FAILED(AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))))
        return;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    ask(*accessible, self);
    accessible->Release();
}

// What a screen reader announces for a control.
std::wstring AccessibleName(HWND control) {
    std::wstring result = L"(no accessible object)";
    AskAccessible(control, [&](IAccessible& accessible, VARIANT self) {
        BSTR name = nullptr;
        result = SUCCEEDED(accessible.get_accName(self, &name)) && name != nullptr ? name : L"";
        SysFreeString(name);
    });
    return result;
}

// Whether a screen reader hears a button as checked (or pressed in). Windows' accessibility
// proxy for buttons reads the button's own state; Wine's has no button proxy (its role is
// "client", and it never reports a checked state), so there the state it would read is asked.
bool AccessiblyChecked(HWND button) {
    bool checked = false;
    AskAccessible(button, [&](IAccessible& accessible, VARIANT self) {
        VARIANT role{}, state{};
        if (SUCCEEDED(accessible.get_accRole(self, &role)) && role.vt == VT_I4 &&
            (role.lVal == ROLE_SYSTEM_PUSHBUTTON || role.lVal == ROLE_SYSTEM_CHECKBUTTON))
            checked = SUCCEEDED(accessible.get_accState(self, &state)) && state.vt == VT_I4 &&
                      (state.lVal & (STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED)) != 0;
        else
            checked = (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_CHECKED) != 0;
    });
    return checked;
}

const int kPresetButtons[] = {IDC_COMMAND1, IDC_COMMAND2, IDC_COMMAND3};

// Which preset buttons are pressed in, as "ZVK Mode" or "none": the camera mode shown.
std::string CheckedPresets(const AppSession& app) {
    std::string checked;
    for (std::size_t i = 0; i < std::size(kPresetButtons); ++i) {
        if (SendMessageW(app.control(kPresetButtons[i]), BM_GETCHECK, 0, 0) == BST_CHECKED)
            checked += (checked.empty() ? "" : ", ") + std::string(ThePresetTable()[i].caption);
    }
    return checked.empty() ? "none" : checked;
}

const wchar_t kHelpText[] =
    L"ZEVRAKON: DUSKMARR 2\r\nVAZIVO VIVE -= 3 MODE =-\r\n\r\n"
    L"0. Why Vazivo Vive ?\r\n  This is More Camera For ZVK DM2,\r\n  If You Didn't Like Original Cam.\r\n\r\n"
    L"1. ZVK Mode\r\n  This Mode Is Original Mode\r\n  Created by KJ\r\n\r\n"
    L"2. Car Mode\r\n  This Mode is Zoom on In Car\r\n  Created by Unknow\r\n\r\n"
    L"3. Zoom Mode\r\n  This Mode is Zoom In\\out by Your speed,\r\n  If You High Speed it Will Zoom Out.\r\n"
    L"  Created by Unknow\r\n\r\n"
    L"4. How Install Camera\r\n  To Install Camera Copy This Exe File in\r\n  ZVK DM2 Dir & Open It.\r\n\r\n"
    L"5. Backup\r\n  You Don't Need To Backup Files, \"ZVK Mode\"\r\n  is Original Files For Camera.\r\n";

const wchar_t kAboutText[] =
    L" ooO This Stuff Ooo\r\n\r\n This File Created For Zevrakon: Duskmarr2\r\n\r\n"
    L" 3 Cameras Mode Created by:\r\n\r\n \r\n 1st Mode by : KJ\r\n 2st Mode by : Hmm,\r\n"
    L" 3rd Mode by : Hmm,\r\n\r\n";

struct ExpectedControl {
    int id;
    const wchar_t* caption;  // null: the help text
    RECT at96;               // left, top, right, bottom
    RECT at144;
};

const ExpectedControl kControls[] = {
    {IDC_TEXT1, nullptr, {8, 80, 233, 241}, {12, 120, 350, 362}},
    {IDC_COMMAND1, L"ZVK Mode", {8, 256, 81, 281}, {12, 384, 122, 422}},
    {IDC_COMMAND2, L"Car Mode", {80, 256, 153, 281}, {120, 384, 230, 422}},
    {IDC_COMMAND3, L"Zoom Mode", {152, 256, 233, 281}, {228, 384, 350, 422}},
    {IDC_COMMAND4, L"About Me", {8, 280, 121, 305}, {12, 420, 182, 458}},
    {IDC_COMMAND5, L"Exit", {120, 280, 233, 305}, {180, 420, 350, 458}},
};

// Control positions and the client size: the layout as designed, scaled for the DPI.
void ExpectLayout(const AppSession& app, UINT dpi) {
    ASSERT_TRUE(dpi == 96 || dpi == 144) << "no layout to expect at " << dpi << " DPI";
    RECT client{};
    GetClientRect(app.window(), &client);
    const SIZE expected = dpi == 144 ? SIZE{360, 479} : SIZE{240, 319};
    EXPECT_EQ(client.right, expected.cx) << "client width at " << dpi << " DPI";
    EXPECT_EQ(client.bottom, expected.cy) << "client height at " << dpi << " DPI";
    for (const ExpectedControl& control : kControls) {
        HWND handle = app.control(control.id);
        ASSERT_NE(handle, nullptr) << "control " << control.id;
        const RECT want = dpi == 144 ? control.at144 : control.at96;
        const RECT seen = RectInParent(handle);
        const int slack = dpi == 144 ? 1 : 0;  // rounding of half pixels
        EXPECT_TRUE(std::abs(seen.left - want.left) <= slack && std::abs(seen.top - want.top) <= slack &&
                    std::abs(seen.right - want.right) <= slack && std::abs(seen.bottom - want.bottom) <= slack)
            << "control " << control.id << " is at " << testing::PrintToString(Describe(seen)) << ", expected "
            << testing::PrintToString(Describe(want));
    }
}

class Scenario : public testing::Test {
protected:
    void startIn(const GameFolder& folder) {
        app_.emplace(folder);
        ASSERT_NE(app_->window(), nullptr) << "no window titled \"ZVK Camera Mode\" appeared";
    }
    AppSession& app() { return *app_; }

    // Clicks a button and returns the box it opens, after checking the window waits for it.
    MessageBoxSeen clickAndWaitForBox(int id) {
        app().click(id);
        MessageBoxSeen box = app().waitForMessageBox();
        EXPECT_NE(box.box, nullptr) << "no message box after clicking button " << id;
        if (box.box != nullptr) {
            EXPECT_FALSE(IsWindowEnabled(app().window())) << "window not disabled";
        }
        return box;
    }

    std::optional<AppSession> app_;
};

// ---------------------------------------------------------------------------------------------

// At the DPI the run was asked for: 96, and 144 in a Wine prefix set to it.
TEST_F(Scenario, StartShowsTheWindowAsDesigned) {
    ASSERT_EQ(ScreenDpi(), gExpectedDpi) << "the display is not at the DPI this run was asked for: "
                                            "was ZVK_WINE_DPI given, or the prefix made at another DPI?";
    GameFolder folder("start");
    std::ofstream(folder.cameraFile(), std::ios::binary) << InstalledBytes(1);
    // Held by a scanner that shares nothing as the program starts, for longer than a read waits
    // for a hold: the window comes all the same, and answers; the button pressed in follows
    // once the camera file can be read.
    HANDLE scanner = CreateFileW(folder.cameraFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    startIn(folder);
    for (int check = 0; check < 10; ++check) {
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(app().window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &answer))
            << "the window does not answer while the camera file is held";
        Sleep(200);
    }
    EXPECT_EQ(CheckedPresets(app()), "none") << "a preset shown before the file could be read";
    CloseHandle(scanner);
    EXPECT_EQ(WindowText(app().window()), L"ZVK Camera Mode");
    // The camera mode in place, pressed in; the file only read.
    EXPECT_TRUE(WaitUntil([&] { return CheckedPresets(app()) == "Car Mode"; }, 3s)) << CheckedPresets(app());
    EXPECT_EQ(folder.tree(), "Cars\nCars/Cameras.ini\n");
    ExpectLayout(app(), gExpectedDpi);

    HWND help = app().control(IDC_TEXT1);
    const LONG style = GetWindowLongW(help, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY) << "help text is editable";
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL) << "no vertical scroll bar";
    EXPECT_FALSE(GetWindowLongW(help, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) << "sunken frame";

    EXPECT_EQ(WindowText(help), kHelpText);
    // Screen readers: the help field by its label, each button by its caption.
    EXPECT_EQ(AccessibleName(help), L"Help");
    for (int id = IDC_COMMAND1; id <= IDC_COMMAND5; ++id) {
        EXPECT_EQ(AccessibleName(app().control(id)), WindowText(app().control(id)));
        EXPECT_EQ(AccessiblyChecked(app().control(id)), id == IDC_COMMAND2) << "button " << id;
    }

    EXPECT_EQ(app().focus(), help) << "focus is not in the help text";
    EXPECT_EQ(SendMessageW(help, EM_GETSEL, 0, 0), 0) << "caret not at the start, or text selected";
    EXPECT_EQ(SendMessageW(help, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "not scrolled to the top";

    // Only the help text and the five buttons, all inside the client area.
    RECT client{};
    GetClientRect(app().window(), &client);
    int visible = 0;
    for (HWND child = GetWindow(app().window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        ++visible;
        const RECT r = RectInParent(child);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << "control " << GetDlgCtrlID(child) << " reaches outside the client area";
    }
    EXPECT_EQ(visible, 6);
    SaveWindowScreenshot(app().window(), gScreenshotFolder / "window-at-start.bmp");
}

TEST_F(Scenario, KeyboardMovesAlongTheTabOrderAndCannotEditTheHelp) {
    GameFolder folder("keyboard");
    startIn(folder);
    HWND help = app().control(IDC_TEXT1);
    ASSERT_EQ(app().focus(), help);

    TypeText(L"xyz");
    PressKey(VK_BACK);
    PressKey(VK_DELETE);
    // The keys did arrive: the caret moves (a player can scroll and select), the text stays.
    PressKey(VK_END, false, true);
    const LRESULT length = SendMessageW(help, WM_GETTEXTLENGTH, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return LOWORD(SendMessageW(help, EM_GETSEL, 0, 0)) == length; }, 2s))
        << "Ctrl+End did not move the caret to the end: are keys reaching the program?";
    EXPECT_GT(SendMessageW(help, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the help text did not scroll";
    EXPECT_EQ(WindowText(help), kHelpText) << "typing changed the help text";
    PressKey(VK_HOME, false, true);

    const auto focusReaches = [&](int id) { return WaitUntil([&] { return GetDlgCtrlID(app().focus()) == id; }, 2s); };
    const int order[] = {IDC_COMMAND1, IDC_COMMAND2, IDC_COMMAND3, IDC_COMMAND4, IDC_COMMAND5, IDC_TEXT1};
    for (int id : order) {
        PressKey(VK_TAB);
        EXPECT_TRUE(focusReaches(id)) << "Tab did not move to control " << id << " but to "
                                      << GetDlgCtrlID(app().focus());
    }
    PressKey(VK_TAB, true);
    EXPECT_TRUE(focusReaches(IDC_COMMAND5)) << "Shift+Tab did not go back to Exit";
    PressKey(VK_TAB, true);
    ASSERT_TRUE(focusReaches(IDC_COMMAND4)) << "Shift+Tab did not go back to About Me";
    // Enter and Space press a focused preset button too, though it is a check button.
    PressKey(VK_TAB, true);
    ASSERT_TRUE(focusReaches(IDC_COMMAND3));
    for (WORD key : {WORD(VK_RETURN), WORD(VK_SPACE)}) {
        PressKey(key);
        const MessageBoxSeen confirmation = app().waitForMessageBox(3s);
        ASSERT_NE(confirmation.box, nullptr) << "key " << key << " on Zoom Mode showed no box";
        EXPECT_EQ(confirmation.text, L"Zoom Mode. Done!");
        ASSERT_TRUE(app().pressOk(confirmation)) << kBoxStuck;
        EXPECT_TRUE(focusReaches(IDC_COMMAND3)) << "focus after the box: " << GetDlgCtrlID(app().focus());
    }
    EXPECT_EQ(CheckedPresets(app()), "Zoom Mode");
    PressKey(VK_TAB);
    ASSERT_TRUE(focusReaches(IDC_COMMAND4));
    // Enter presses the button that has focus.
    PressKey(VK_RETURN);
    const MessageBoxSeen box = app().waitForMessageBox(3s);
    ASSERT_NE(box.box, nullptr) << "Enter on About Me showed no box";
    EXPECT_EQ(box.text, kAboutText);
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    // Focus survives the window being minimised and restored, and a message box.
    ShowWindow(app().window(), SW_MINIMIZE);
    ShowWindow(app().window(), SW_RESTORE);
    SetForegroundWindow(app().window());
    EXPECT_TRUE(focusReaches(IDC_COMMAND4))
        << "focus after restoring the window: control " << GetDlgCtrlID(app().focus());
    // Escape has nothing to cancel; the window stays.
    PressKey(VK_ESCAPE);
    EXPECT_EQ(app().waitForExit(300ms), STILL_ACTIVE) << "Escape ended the program";
    EXPECT_TRUE(IsWindow(app().window()));
    // Enter presses a button that a click focused, too.
    PressKey(VK_TAB, true);
    ASSERT_TRUE(focusReaches(IDC_COMMAND3));
    ASSERT_TRUE(app().pressOk(clickAndWaitForBox(IDC_COMMAND4))) << kBoxStuck;
    PressKey(VK_RETURN);
    const MessageBoxSeen again = app().waitForMessageBox(3s);
    EXPECT_EQ(again.text, kAboutText) << "Enter on a clicked About Me";
    ASSERT_TRUE(app().pressOk(again)) << kBoxStuck;
}

// Each confirmation comes once the file is complete, and the pressed-in button follows the
// file. The player's own file is kept once, before it is replaced, and the confirmation says
// where; another one goes beside it.
TEST_F(Scenario, InstallButtonsConfirmWithTheFileAlreadyComplete) {
    GameFolder folder("install");
    const std::string ownFile(9000, 'x'), otherOwnFile = "[master]\r\nJumpCamera = 0\r\n";
    std::ofstream(folder.cameraFile(), std::ios::binary) << ownFile;
    startIn(folder);
    EXPECT_EQ(CheckedPresets(app()), "none");
    struct Press {
        int button;
        std::size_t preset;
        const wchar_t* keptAs;
    };
    const Press presses[] = {{IDC_COMMAND1, 0, L"Cars\\Cameras.ini.bak"},
                             {IDC_COMMAND2, 1, nullptr},
                             {IDC_COMMAND3, 2, nullptr},
                             {IDC_COMMAND2, 1, nullptr}};
    for (const Press& press : presses) {
        const CameraPreset& preset = ThePresetTable()[press.preset];
        SCOPED_TRACE(std::string(preset.caption));
        const MessageBoxSeen box = clickAndWaitForBox(press.button);
        ASSERT_NE(box.box, nullptr);
        EXPECT_EQ(box.title, L"Message");
        std::wstring expected(preset.confirmation.begin(), preset.confirmation.end());
        if (press.keptAs != nullptr) expected += KeptAs(press.keptAs);
        EXPECT_EQ(box.text, expected);
        // The confirmation comes only once the file is complete.
        EXPECT_TRUE(HoldsBytes(folder.cameraFile(), InstalledBytes(press.preset)));
        EXPECT_EQ(CheckedPresets(app()), preset.caption);
        if (&press == presses)
            SaveWindowScreenshot(app().window(), gScreenshotFolder / "window-confirming.bmp", box.box);
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    }
    EXPECT_TRUE(HoldsBytes(folder.cameraFile().concat(".bak"), ownFile));

    // Changed by another tool while the window is minimised: a second start for the game
    // folder ends at once, without a window of its own, and brings this one back, in front;
    // it shows no mode, once active.
    ShowWindow(app().window(), SW_MINIMIZE);
    std::ofstream(folder.cameraFile(), std::ios::binary | std::ios::trunc) << otherOwnFile;
    // Started in the same folder under another drive letter, as a mapped drive gives it.
    const StartThatEnds second = StartExpectingItToEnd(test_support::SpelledAgain(folder.path()));
    EXPECT_EQ(second.exitCode, 0u) << "the second start did not end";
    EXPECT_FALSE(second.showedAWindow);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(app().window()) && GetForegroundWindow() == app().window(); }, 3s))
        << "the first window was not brought forward";
    EXPECT_TRUE(WaitUntil([&] { return CheckedPresets(app()) == "none"; }, 3s)) << CheckedPresets(app());

    MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND3);
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.text, L"Zoom Mode. Done!" + KeptAs(L"Cars\\Cameras.ini.bak2"));
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    EXPECT_TRUE(HoldsBytes(folder.cameraFile().concat(".bak2"), otherOwnFile));

    // The first file put back from the window menu: Alt+Space, then the second item's access
    // key, the newest being .bak2. Each key once the window has the keyboard and the menu is
    // open: keys sent before reach whatever had the keyboard.
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app().window(); }, 3s)) << "the window is not in front";
    PressKey(VK_SPACE, false, false, true);
    ASSERT_TRUE(WaitUntil(
        [&] {
            GUITHREADINFO thread{};
            thread.cbSize = sizeof thread;
            return GetGUIThreadInfo(app().threadId(), &thread) &&
                   (thread.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
        },
        3s))
        << "Alt+Space did not open the window menu";
    PressKey('2');
    box = app().waitForMessageBox();
    ASSERT_NE(box.box, nullptr) << "no box after choosing .bak from the window menu";
    EXPECT_EQ(box.title, L"Message");
    EXPECT_EQ(box.text, L"Your own camera file is back, from:\r\nCars\\Cameras.ini.bak");
    EXPECT_TRUE(HoldsBytes(folder.cameraFile(), ownFile));
    EXPECT_TRUE(WaitUntil([&] { return CheckedPresets(app()) == "none"; }, 3s)) << CheckedPresets(app());
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    EXPECT_TRUE(HoldsBytes(folder.cameraFile().concat(".bak"), ownFile));
    EXPECT_EQ(folder.tree(), "Cars\nCars/Cameras.ini\nCars/Cameras.ini.bak\nCars/Cameras.ini.bak2\n");
}

TEST_F(Scenario, AboutShowsTheSameBoxEveryTimeAndWritesNothing) {
    GameFolder folder("about");
    startIn(folder);
    for (int press = 0; press < 3; ++press) {
        const MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND4);
        ASSERT_NE(box.box, nullptr);
        EXPECT_EQ(box.title, L"Message");
        EXPECT_EQ(box.text, kAboutText);
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    }
    EXPECT_EQ(folder.tree(), "Cars\n");
}

TEST_F(Scenario, ExitAndTheCloseControlEndTheProgramWithCodeZero) {
    {
        GameFolder folder("exit");
        startIn(folder);
        const MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND3);
        ASSERT_NE(box.box, nullptr);
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
        app().click(IDC_COMMAND5);
        EXPECT_EQ(app().waitForExit(), 0u) << "exit code after Exit";
        EXPECT_TRUE(HoldsBytes(folder.cameraFile(), InstalledBytes(2)));
    }
    {
        GameFolder folder("close");
        startIn(folder);
        PostMessageW(app().window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(app().waitForExit(), 0u) << "exit code after the close control";
        EXPECT_EQ(folder.tree(), "Cars\n");
    }
}

// The camera file in `folder`, as an error box's details name it.
std::wstring FileLine(const GameFolder& folder) {
    return L"Details:\r\n" + folder.windowsPath() + L"\\Cars\\Cameras.ini\r\n";
}

// A box's text with its paths whole again: they break only after a separator.
std::wstring Unbroken(std::wstring text) {
    for (std::size_t at; (at = text.find(L"\\\r\n")) != std::wstring::npos;) text.erase(at + 1, 2);
    return text;
}

// Every error box has the same parts: the problem on its first line, a fix that fits on the
// next, that nothing was changed, and the details: the camera file by its full path (or the
// folders looked in), the system's words with the error code and the step. It never says to
// run as administrator.
void ExpectErrorBox(const MessageBoxSeen& box, const std::wstring& problem, const std::wstring& where,
                    const wchar_t* fix) {
    EXPECT_EQ(box.title, L"ZVK Camera Mode");
    EXPECT_EQ(box.text.substr(0, box.text.find(L"\r\n")), problem) << testing::PrintToString(box.text);
    const std::wstring text = Unbroken(box.text);
    for (const std::wstring& part :
         {L"\r\n" + std::wstring(fix), std::wstring(L"Nothing in the game folder was changed."), where,
          std::wstring(L" (error "), std::wstring(L")\r\nStep: ")})
        EXPECT_TRUE(Contains(text, part.c_str()))
            << "no \"" << testing::PrintToString(part) << "\" in " << testing::PrintToString(box.text);
    EXPECT_FALSE(Contains(box.text, L"administrator")) << testing::PrintToString(box.text);
    EXPECT_FALSE(Contains(box.text, L"Done!"));
}

const wchar_t kReadOnly[] = L"The camera file Cars\\Cameras.ini is marked read-only.";

TEST_F(Scenario, FaultsShowAnErrorAndLeaveTheFileAlone) {
    // Started outside the game folder: nothing is created, and the window goes on answering.
    {
        GameFolder folder("no-cars", false);
        startIn(folder);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND1);
            ASSERT_NE(box.box, nullptr);
            ExpectErrorBox(box, L"The game's Cars folder was not found beside this program.",
                           L"Details:\r\nLooked in:\r\n" + folder.windowsPath() + L"\r\n",
                           L"Copy this program into the ZVK DM2 game folder");
            if (attempt == 0) SaveWindowScreenshot(app().window(), gScreenshotFolder / "window-error.bmp", box.box);
            ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
        }
        EXPECT_EQ(folder.tree(), "");
    }
    // Cameras.ini is a folder: refused, the folder kept.
    {
        GameFolder folder("folder");
        fs::create_directories(folder.cameraFile() / "inner");
        startIn(folder);
        const MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND3);
        ASSERT_NE(box.box, nullptr);
        ExpectErrorBox(box, L"There is a folder named Cars\\Cameras.ini where the camera file should be.",
                       FileLine(folder), L"Move or rename that folder");
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
        EXPECT_EQ(folder.tree(), "Cars\nCars/Cameras.ini\nCars/Cameras.ini/inner\n");
    }
    // The player's own file, read-only, then held open without sharing: refused, unchanged,
    // and not even kept; kept and replaced once released.
    const std::string old = "[master]\r\n; the player's own\r\n";
    GameFolder folder("locked");
    std::ofstream(folder.cameraFile(), std::ios::binary) << old;
    startIn(folder);

    SetFileAttributesW(folder.cameraFile().c_str(), FILE_ATTRIBUTE_READONLY);
    MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND2);
    ASSERT_NE(box.box, nullptr);
    ExpectErrorBox(box, kReadOnly, FileLine(folder), L"Remove the read-only mark");
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    EXPECT_TRUE(HoldsBytes(folder.cameraFile(), old));
    SetFileAttributesW(folder.cameraFile().c_str(), FILE_ATTRIBUTE_NORMAL);

    HANDLE holder = CreateFileW(folder.cameraFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    box = clickAndWaitForBox(IDC_COMMAND2);
    ASSERT_NE(box.box, nullptr);
    ExpectErrorBox(box, L"The camera file Cars\\Cameras.ini is in use by another program.", FileLine(folder),
                   L"Close the game");
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    CloseHandle(holder);
    EXPECT_TRUE(HoldsBytes(folder.cameraFile(), old));
    EXPECT_EQ(folder.tree(), "Cars\nCars/Cameras.ini\n");

    // A press cut short a moment ago left its temporary file: this window has the game folder,
    // so no other copy is writing it, and the press just works.
    std::ofstream(folder.cameraFile().concat(".tmp"), std::ios::binary) << std::string(1000, 'z');
    box = clickAndWaitForBox(IDC_COMMAND2);
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.text, L"Car Mode. Done!" + KeptAs(L"Cars\\Cameras.ini.bak"));
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    EXPECT_TRUE(HoldsBytes(folder.cameraFile(), InstalledBytes(1)));
    EXPECT_TRUE(HoldsBytes(folder.cameraFile().concat(".bak"), old));
    EXPECT_EQ(folder.tree(), "Cars\nCars/Cameras.ini\nCars/Cameras.ini.bak\n");
    // The player's own file again, kept already: not kept twice, but said where it is.
    std::ofstream(folder.cameraFile(), std::ios::binary | std::ios::trunc) << old;
    box = clickAndWaitForBox(IDC_COMMAND1);
    EXPECT_EQ(box.text,
              L"ZVK Mode. Done!\r\n\r\nThe camera file it replaced was kept before, as:\r\nCars\\Cameras.ini.bak");
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
}

// Started from another folder, even one with a Cars folder of its own, the program finds the
// game beside itself, and names the backup it makes there in full; started from inside a zip,
// which Windows unpacks into its temp folder, it says to extract it first. Nothing lands in
// the working folder either way.
TEST_F(Scenario, FindsTheGameBesideItselfWhereverItIsStarted) {
    GameFolder elsewhere("elsewhere");
    GameFolder game("beside-the-program");
    GameFolder zip("Temp1_ZvkCameraMode-1.00.zip", false);
    std::ofstream(game.cameraFile(), std::ios::binary) << "[master]\r\n";
    for (const GameFolder* programFolder : {&game, &zip}) {
        const fs::path copy = programFolder->path() / "ZvkCameraMode.exe";
        fs::copy_file(gProgram, copy);
        app_.emplace(programFolder == &game ? elsewhere : *programFolder, copy);
        ASSERT_NE(app().window(), nullptr);
        const MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND2);
        ASSERT_NE(box.box, nullptr);
        if (programFolder == &game) {
            EXPECT_EQ(Unbroken(box.text), L"Car Mode. Done!" + KeptAs(game.windowsPath() + L"\\Cars\\Cameras.ini.bak"));
            EXPECT_TRUE(HoldsBytes(game.cameraFile(), InstalledBytes(1)));
        } else {
            ExpectErrorBox(box, L"This program is running from inside the zip, where it cannot find the game.",
                           L"Details:\r\nLooked in:\r\n" + zip.windowsPath() + L"\r\n",
                           L"Extract ZvkCameraMode.exe into the game's folder");
        }
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
        app().click(IDC_COMMAND5);
        EXPECT_EQ(app().waitForExit(), 0u);
        app_.reset();
    }
    EXPECT_EQ(game.tree(), "Cars\nCars/Cameras.ini\nCars/Cameras.ini.bak\nZvkCameraMode.exe\n");
    EXPECT_EQ(zip.tree(), "ZvkCameraMode.exe\n");
    EXPECT_EQ(elsewhere.tree(), "Cars\n");
}

TEST_F(Scenario, PixelsBlackAroundTheControlsWithTheBannerOnTop) {
    GameFolder folder("pixels");
    startIn(folder);
    const UINT dpi = ScreenDpi();
    const RECT banner = {0, 0, MulDiv(241, int(dpi), 96), MulDiv(77, int(dpi), 96)};
    const auto colouredIn = [](const Capture& capture, const RECT& area) {
        int coloured = 0;
        for (int y = area.top; y < std::min<int>(area.bottom, capture.height); ++y) {
            for (int x = area.left; x < std::min<int>(area.right, capture.width); ++x)
                coloured += capture.at(x, y) != 0 ? 1 : 0;
        }
        return coloured;
    };
    // Waits for the first paint to reach the screen.
    Capture capture;
    WaitUntil(
        [&] {
            capture = CaptureClientArea(app().window());
            return colouredIn(capture, banner) > 500;
        },
        3s);
    ASSERT_GT(capture.width, 0);
    std::vector<RECT> controls;
    for (const ExpectedControl& control : kControls) controls.push_back(RectInParent(app().control(control.id)));

    int strayPixels = 0;
    POINT firstStray{-1, -1};
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const POINT p{x, y};
            const bool black = capture.at(x, y) == 0;
            bool inControl = PtInRect(&banner, p) != FALSE;
            for (const RECT& r : controls) inControl = inControl || PtInRect(&r, p);
            if (!inControl && !black && strayPixels++ == 0) firstStray = p;
        }
    }
    EXPECT_EQ(strayPixels, 0) << "non-black background, first at " << firstStray.x << ", " << firstStray.y;
    EXPECT_GT(colouredIn(capture, banner), 500) << "the banner band is (nearly) all black";

    // The help text's frame is flat: one line of one colour, then the black inside at once.
    const RECT help = controls[0];
    const DWORD frame = capture.at(help.left, help.top + 4);
    EXPECT_NE(frame, 0u) << "no frame around the help text";
    for (int y = help.top + 2; y < help.bottom - 2; ++y) {
        ASSERT_EQ(capture.at(help.left, y), frame) << "frame not one colour at y " << y;
        ASSERT_EQ(capture.at(help.left + 1, y), 0u) << "frame thicker than a pixel at y " << y;
    }
}

// The names mod loaders and injectors give their stand-ins, and those of the DLLs that Windows'
// own may load for the program that are no Known DLLs. Not version.dll nor imm32.dll: Wine's
// own user32 loads those before the program's first line, where on Windows user32 is a Known
// DLL with Known imports.
const char* const kStandInNames[] = {"winmm",   "dinput8", "d3d9",    "dsound",  "dxgi",
                                     "dwrite",  "wininet", "winhttp", "uxtheme", "dwmapi",
                                     "msimg32", "oleacc",  "propsys", "shcore",  "comctl32"};

// A copy of the program in a game folder, with a stand-in beside it under each name, and Wine
// told, for as long as this lives, to look for each as Windows does: in the program's folder
// first. Wine reads that from the registry as a program of that name loads DLLs.
struct StandInDlls {
    explicit StandInDlls(const GameFolder& folder) : program(folder.path() / gProgram.filename()) {
        fs::copy_file(gProgram, program);
        HKEY overrides = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &overrides, nullptr);
        for (const std::string name : kStandInNames) {
            fs::copy_file(gStandInDll, folder.path() / (name + ".dll"));
            RegSetValueExW(overrides, std::wstring(name.begin(), name.end()).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(L"native,builtin"), sizeof L"native,builtin");
        }
        RegCloseKey(overrides);
    }
    ~StandInDlls() { RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()); }

    const fs::path program;
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program.filename().wstring() + L"\\DllOverrides";
};

// One start, and everything a player does, beside mod loaders' stand-ins for Windows' DLLs,
// none of which may be loaded. Run on the exe that ships, under 32-bit Wine: its start is what
// takes time there, so the rest goes through the one window.
TEST_F(Scenario, OneRunThroughEverything) {
    ASSERT_FALSE(gStandInDll.empty()) << "no --standin-dll given";
    GameFolder folder("one-run");
    std::ofstream(folder.cameraFile(), std::ios::binary) << std::string(9000, 'x');
    const StandInDlls standIns(folder);
    app_.emplace(folder, standIns.program);
    ASSERT_NE(app().window(), nullptr) << "no window titled \"ZVK Camera Mode\" appeared";
    EXPECT_EQ(WindowText(app().window()), L"ZVK Camera Mode");
    ExpectLayout(app(), gExpectedDpi);
    EXPECT_EQ(WindowText(app().control(IDC_TEXT1)), kHelpText);

    // The player's own file is kept before the first preset replaces it.
    for (std::size_t preset = 0; preset < std::size(kPresetButtons); ++preset) {
        const std::string_view confirmation = ThePresetTable()[preset].confirmation;
        const MessageBoxSeen box = clickAndWaitForBox(kPresetButtons[preset]);
        ASSERT_NE(box.box, nullptr);
        EXPECT_EQ(box.text, std::wstring(confirmation.begin(), confirmation.end()) +
                                (preset == 0 ? KeptAs(L"Cars\\Cameras.ini.bak") : L""));
        EXPECT_TRUE(HoldsBytes(folder.cameraFile(), InstalledBytes(preset)));
        ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    }
    EXPECT_TRUE(HoldsBytes(folder.cameraFile().concat(".bak"), std::string(9000, 'x')));
    EXPECT_EQ(CheckedPresets(app()), "Zoom Mode");

    MessageBoxSeen box = clickAndWaitForBox(IDC_COMMAND4);
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.text, kAboutText);
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;

    // Made read-only while the program runs: refused, and the file kept as it was.
    SetFileAttributesW(folder.cameraFile().c_str(), FILE_ATTRIBUTE_READONLY);
    box = clickAndWaitForBox(IDC_COMMAND1);
    ASSERT_NE(box.box, nullptr);
    ExpectErrorBox(box, kReadOnly, FileLine(folder), L"Remove the read-only mark");
    ASSERT_TRUE(app().pressOk(box)) << kBoxStuck;
    EXPECT_TRUE(HoldsBytes(folder.cameraFile(), InstalledBytes(2)));

    app().click(IDC_COMMAND5);
    EXPECT_EQ(app().waitForExit(), 0u) << "exit code after Exit";
    EXPECT_EQ(test_support::Tree(folder.path() / "Cars"), (std::set<std::string>{"Cameras.ini", "Cameras.ini.bak"}));
    const std::string tree = folder.tree();
    EXPECT_EQ(tree.find(".loaded"), std::string::npos) << "loaded from the game folder:\n" << tree;
}

}  // namespace
}  // namespace zvk::e2e

int main(int argc, char** argv) {
    SetProcessDPIAware();   // see the real pixels, as the program does
    CoInitialize(nullptr);  // for the accessibility objects
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s path\\to\\ZvkCameraMode.exe [screenshot folder] [--dpi=96] "
                     "[--start-timeout=seconds] [--standin-dll=path\\to\\standin.dll]\n",
                     argv[0]);
        return 2;
    }
    zvk::e2e::gProgram = zvk::e2e::PathFromCommandLine(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--dpi=", 0) == 0) {
            zvk::e2e::gExpectedDpi = UINT(std::atoi(argument.c_str() + 6));
        } else if (argument.rfind("--standin-dll=", 0) == 0) {
            zvk::e2e::gStandInDll = zvk::e2e::PathFromCommandLine(argv[i] + 14);
        } else if (argument.rfind("--start-timeout=", 0) == 0) {
            zvk::e2e::gStartTimeout = std::chrono::seconds(std::atoi(argument.c_str() + 16));
        } else {
            zvk::e2e::gScreenshotFolder = zvk::e2e::PathFromCommandLine(argv[i]);
        }
    }
    return RUN_ALL_TESTS();
}
