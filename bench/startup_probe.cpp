// Starts programs in turn, many times, and reports for each run the time from process start
// until its window is shown and the program idle, and its peak working set.
//   startup_probe RUNS GAME_FOLDER NAME=PROGRAM.exe...
// Prints one line per run: "<name> <milliseconds> <peak working set bytes>".
//   startup_probe --same-picture GAME_FOLDER A=PROGRAM.exe B=PROGRAM.exe
// Says whether the two programs' windows look the same at start, pixel for pixel, and exits
// with 1 where they do not.
#include <windows.h>
#include <psapi.h>

#include "other_process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using zvk::e2e::FindTopLevelWindow;
using zvk::e2e::PathFromCommandLine;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The window as it is on the screen, frame and all, row by row; its width and height last.
std::vector<DWORD> PictureOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(std::size_t(width) * std::size_t(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        std::copy_n(static_cast<const DWORD*>(bits), pixels.size(), pixels.begin());
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    pixels.push_back(DWORD(width));
    pixels.push_back(DWORD(height));
    return pixels;
}

// Starts `program`, measures, and ends it. With `picture`, also takes the window's picture as
// soon as it is shown: the help text's caret blinks, but not yet.
bool MeasureOnce(const char* name, const std::wstring& program, const std::wstring& folder,
                 std::vector<DWORD>* picture = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    LARGE_INTEGER start, shown;
    // Wine now and then refuses a start at once (ERROR_INTERNAL_ERROR, say): a second try is
    // timed from its own start.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        QueryPerformanceCounter(&start);
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.c_str(), &startup, &process) != FALSE;
        if (!started) std::fprintf(stderr, "cannot start %s: error %lu\n", name, GetLastError());
    }
    if (!started) return false;
    WaitForInputIdle(process.hProcess, 30000);
    HWND window = nullptr;
    while ((window = FindTopLevelWindow(process.dwProcessId, [](HWND) { return true; })) == nullptr) Sleep(1);
    QueryPerformanceCounter(&shown);
    if (picture != nullptr) {
        Sleep(100);  // what the window drew reaches the screen
        *picture = PictureOf(window);
    }
    Sleep(300);  // settled: the first paint and whatever follows it count towards memory
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (picture != nullptr) return true;
    std::printf("%s %.2f %llu\n", name, Milliseconds(start, shown),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    std::fflush(stdout);
    return true;
}

// How many pixels differ: all of them where the sizes differ.
std::size_t PixelsApart(const std::vector<DWORD>& a, const std::vector<DWORD>& b) {
    if (a.size() != b.size() || a.back() != b.back()) return std::max(a.size(), b.size()) - 2;
    std::size_t apart = 0;
    for (std::size_t i = 0; i + 2 < a.size(); ++i) apart += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return apart;
}

// A few tries: a start may catch a blink of the caret or a late paint, a real difference shows
// every time.
int SamePicture(const std::wstring& folder, const std::wstring& a, const std::wstring& b) {
    std::size_t fewest = SIZE_MAX;
    for (int attempt = 0; attempt < 3 && fewest != 0; ++attempt) {
        std::vector<DWORD> first, second;
        if (!MeasureOnce("A", a, folder, &first) || !MeasureOnce("B", b, folder, &second)) return 2;
        fewest = std::min(fewest, PixelsApart(first, second));
    }
    if (fewest == 0) {
        std::printf("same\n");
        return 0;
    }
    std::printf("differs in %zu pixels\n", fewest);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--same-picture") {
        const auto path = [](const char* argument) {
            const char* equals = std::strchr(argument, '=');
            return PathFromCommandLine(equals != nullptr ? equals + 1 : argument).wstring();
        };
        return SamePicture(PathFromCommandLine(argv[2]).wstring(), path(argv[3]), path(argv[4]));
    }
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS GAME_FOLDER NAME=PROGRAM.exe...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::wstring folder = PathFromCommandLine(argv[2]).wstring();
    struct Program {
        std::string name;
        std::wstring path;
    };
    std::vector<Program> programs;
    for (int i = 3; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "not NAME=PROGRAM.exe: %s\n", argv[i]);
            return 2;
        }
        programs.push_back({argument.substr(0, equals), PathFromCommandLine(argv[i] + equals + 1).wstring()});
    }
    // In turn, so that whatever the machine does meanwhile weighs on all alike; each round in
    // another order, the same from run to run, so that none always starts first or always
    // follows the same program (whose ending may still weigh on the next start).
    std::vector<const Program*> order;
    for (const Program& program : programs) order.push_back(&program);
    for (int run = 0; run < runs; ++run) {
        std::shuffle(order.begin(), order.end(), std::mt19937(unsigned(run)));
        for (const Program* program : order) {
            if (!MeasureOnce(program->name.c_str(), program->path, folder)) return 1;
        }
    }
    return 0;
}
