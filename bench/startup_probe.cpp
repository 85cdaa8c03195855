// Starts programs in turn, many times, and reports for each run the time from process start
// until its window is shown and the program idle, and its peak working set.
//   startup_probe RUNS GAME_FOLDER NAME=PROGRAM.exe...
// Prints one line per run: "<name> <milliseconds> <peak working set bytes>".
#include <windows.h>
#include <psapi.h>

#include "other_process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

bool MeasureOnce(const char* name, const std::wstring& program, const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", name, GetLastError());
        return false;
    }
    WaitForInputIdle(process.hProcess, 30000);
    HWND window = nullptr;
    while ((window = FindTopLevelWindow(process.dwProcessId, [](HWND) { return true; })) == nullptr)
        Sleep(1);
    QueryPerformanceCounter(&shown);
    Sleep(300);  // settled: the first paint and whatever follows it count towards memory
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%s %.2f %llu\n", name, Milliseconds(start, shown),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
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
