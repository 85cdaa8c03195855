#include "app_session.h"

#include "game_folder.h"
#include "other_process.h"

#include <cstdio>
#include <vector>

namespace zvk::e2e {

fs::path gProgram;
fs::path gStandInDll;
fs::path gScreenshotFolder = ".";
UINT gExpectedDpi = 96;
std::chrono::seconds gStartTimeout = 20s;

GameFolder::GameFolder(const std::string& name, bool withCars)
    : path_(fs::temp_directory_path() / ("zvk-e2e-" + name)) {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::create_directories(path_);
    if (withCars) fs::create_directory(path_ / "Cars");
}

GameFolder::~GameFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path_, ignored);
}

std::string GameFolder::tree() const {
    std::string listing;
    for (const std::string& entry : test_support::Tree(path_)) listing += entry + "\n";
    return listing;
}

namespace {

// The program's main window (no owner), or a message box owned by `owner`.
HWND FindTopLevel(DWORD processId, HWND owner, std::chrono::milliseconds timeout) {
    const auto matches = [owner](HWND window) {
        if (owner == nullptr) return WindowText(window) == L"ZVK Camera Mode";
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        return std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == owner;
    };
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevelWindow(processId, matches)) != nullptr; }, timeout);
    return found;
}

}  // namespace

AppSession::AppSession(const GameFolder& folder, const fs::path& program) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.path().c_str(),
                        &startup, &process_)) {
        std::fprintf(stderr, "could not start %ls: error %lu\n", program.c_str(), GetLastError());
        return;
    }
    WaitForInputIdle(process_.hProcess, DWORD(std::chrono::milliseconds(gStartTimeout).count()));
    window_ = FindTopLevel(process_.dwProcessId, nullptr, gStartTimeout);
}

StartThatEnds StartExpectingItToEnd(const fs::path& folder, std::chrono::milliseconds timeout) {
    StartThatEnds run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + gProgram.wstring() + L"\"";
    if (!CreateProcessW(gProgram.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return run;
    const auto ownWindow = [](HWND window) { return WindowText(window) == L"ZVK Camera Mode"; };
    WaitUntil(
        [&] {
            run.showedAWindow = run.showedAWindow || FindTopLevelWindow(process.dwProcessId, ownWindow) != nullptr;
            return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        },
        timeout);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    if (run.exitCode == STILL_ACTIVE) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

AppSession::~AppSession() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

void AppSession::click(int id) const { PostMessageW(control(id), BM_CLICK, 0, 0); }

MessageBoxSeen AppSession::waitForMessageBox(std::chrono::milliseconds timeout) const {
    MessageBoxSeen seen;
    seen.box = FindTopLevel(process_.dwProcessId, window_, timeout);
    if (seen.box == nullptr) return seen;
    seen.title = WindowText(seen.box);
    // A message box shows its text in the static control with id 0xFFFF.
    WaitUntil(
        [&] {
            seen.text = WindowText(GetDlgItem(seen.box, 0xFFFF));
            return !seen.text.empty();
        },
        2s);
    return seen;
}

bool AppSession::pressOk(const MessageBoxSeen& box) const {
    PostMessageW(box.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return WaitUntil([&] { return !IsWindow(box.box) && IsWindowEnabled(window_); });
}

DWORD AppSession::waitForExit(std::chrono::milliseconds timeout) const {
    WaitForSingleObject(process_.hProcess, DWORD(timeout.count()));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND AppSession::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

namespace {

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

void PressKey(WORD virtualKey, bool withShift, bool withControl, bool withAlt) {
    std::vector<INPUT> inputs;
    if (withShift) inputs.push_back(KeyInput(VK_SHIFT, false));
    if (withControl) inputs.push_back(KeyInput(VK_CONTROL, false));
    if (withAlt) inputs.push_back(KeyInput(VK_MENU, false));
    inputs.push_back(KeyInput(virtualKey, false));
    inputs.push_back(KeyInput(virtualKey, true));
    if (withAlt) inputs.push_back(KeyInput(VK_MENU, true));
    if (withControl) inputs.push_back(KeyInput(VK_CONTROL, true));
    if (withShift) inputs.push_back(KeyInput(VK_SHIFT, true));
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(150);  // let the program take it from its queue
}

void TypeText(const wchar_t* text) {
    for (; *text != L'\0'; ++text) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = *text;
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        INPUT both[] = {down, up};
        SendInput(2, both, sizeof(INPUT));
    }
    Sleep(150);
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT rather than GetWindowTextW: the latter does not read another process's controls.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(std::size_t(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
    text.resize(std::size_t(copied));
    return text;
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {

// The screen's pixels in `area` (screen coordinates), 32-bit BGRX, top row first.
Capture CaptureScreen(const RECT& area) {
    Capture capture;
    capture.width = area.right - area.left;
    capture.height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    capture.pixels.assign(first, first + std::size_t(capture.width) * capture.height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

}  // namespace

Capture CaptureClientArea(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return CaptureScreen(client);
}

bool SaveWindowScreenshot(HWND window, const fs::path& file, HWND box) {
    // A box just shown may not have painted its text yet: have it paint now.
    for (HWND shown : {window, box}) {
        if (shown != nullptr) RedrawWindow(shown, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    Sleep(100);
    RECT frame{};
    GetWindowRect(window, &frame);
    if (box != nullptr) {
        RECT boxFrame{};
        GetWindowRect(box, &boxFrame);
        UnionRect(&frame, &frame, &boxFrame);
    }
    const Capture capture = CaptureScreen(frame);
    const int rowBytes = (capture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = capture.height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = DWORD(rowBytes) * capture.height;
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + info.biSizeImage;
    std::FILE* out = _wfopen(file.c_str(), L"wb");
    if (out == nullptr) return false;
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::vector<unsigned char> row(std::size_t(rowBytes), 0);
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const DWORD pixel = capture.at(x, y);
            row[std::size_t(x) * 3 + 0] = BYTE(pixel);
            row[std::size_t(x) * 3 + 1] = BYTE(pixel >> 8);
            row[std::size_t(x) * 3 + 2] = BYTE(pixel >> 16);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

}  // namespace zvk::e2e
