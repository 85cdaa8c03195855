// Drives the real program from outside, as a player would: through its windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace zvk::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Set from the command line: the program under test, a stand-in DLL, where screenshots go,
// the DPI the display must be at, and how long the program may take to show its window
// (32-bit Wine under emulation takes more than a minute).
extern fs::path gProgram;
extern fs::path gStandInDll;  // tests/e2e/standin_dll.cpp, built for gProgram's machine
extern fs::path gScreenshotFolder;
extern UINT gExpectedDpi;
extern std::chrono::seconds gStartTimeout;

// A fresh, empty game folder in the temp folder, removed afterwards.
class GameFolder {
public:
    explicit GameFolder(const std::string& name, bool withCars = true);
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    const fs::path& path() const { return path_; }
    // The path as the program names it, in Windows' form.
    std::wstring windowsPath() const { return fs::path(path_).make_preferred().wstring(); }
    fs::path cameraFile() const { return path_ / "Cars" / "Cameras.ini"; }
    // Every path below the folder, relative to it, one per line.
    std::string tree() const;

private:
    fs::path path_;
};

struct MessageBoxSeen {
    HWND box = nullptr;
    std::wstring title;
    std::wstring text;
};

// One run of the program, started in a folder as its working folder (by default the program
// under test, wherever it lies); ended when the session ends.
class AppSession {
public:
    explicit AppSession(const GameFolder& folder, const fs::path& program = gProgram);
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    DWORD threadId() const { return process_.dwThreadId; }

    // Clicks a button without waiting for what it does (it may open a modal box).
    void click(int id) const;
    // The message box the window owns, once it is up; an empty result after the timeout.
    MessageBoxSeen waitForMessageBox(std::chrono::milliseconds timeout = 10s) const;
    // Presses OK and waits until the box is gone.
    bool pressOk(const MessageBoxSeen& box) const;
    // The process's exit code, or STILL_ACTIVE after the timeout.
    DWORD waitForExit(std::chrono::milliseconds timeout = 10s) const;
    // The control with keyboard focus in the program.
    HWND focus() const;

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// A start in `folder`, by whatever path it is given, that should end by itself, without a window of its own, as a
// second start for a game folder does: its exit code (STILL_ACTIVE where it did not end in time, and then it is ended),
// and whether it showed a window.
struct StartThatEnds {
    DWORD exitCode = STILL_ACTIVE;
    bool showedAWindow = false;
};
StartThatEnds StartExpectingItToEnd(const fs::path& folder, std::chrono::milliseconds timeout = 10s);

// Types keys into whatever has keyboard focus, as a keyboard would.
void PressKey(WORD virtualKey, bool withShift = false, bool withControl = false, bool withAlt = false);
void TypeText(const wchar_t* text);

// Waits until `condition` holds or `timeout` runs out; returns whether it held.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(20);
    }
    return true;
}

std::wstring WindowText(HWND window);
// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);

// The window's client area as the screen shows it, 32-bit BGRX, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::basic_string<DWORD> pixels;
    DWORD at(int x, int y) const { return pixels[std::size_t(y) * width + x] & 0xFFFFFFu; }
};
Capture CaptureClientArea(HWND window);
// Saves the screen around the window (frame included) and the box it shows, as a 24-bit BMP.
bool SaveWindowScreenshot(HWND window, const fs::path& file, HWND box = nullptr);

}  // namespace zvk::e2e
