// Installing a preset against the floor: the same bytes with the same durability, written by
// the plainest system calls (open, one write, fsync, close, rename, fsync of the folder).
#include "install_preset.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A game folder on the same disk as the build, made the working folder for the benchmark.
class GameFolder {
public:
    GameFolder() : previous_(fs::current_path()) {
        path_ = fs::current_path() / "bench-game";
        fs::remove_all(path_);
        fs::create_directories(path_ / "Cars");
        fs::current_path(path_);
    }
    ~GameFolder() {
        fs::current_path(previous_);
        fs::remove_all(path_);
    }

private:
    fs::path previous_;
    fs::path path_;
};

void InstallPresetCall(benchmark::State& state) {
    GameFolder folder;
    const zvk::CameraPreset& preset = zvk::ThePresetTable()[0];
    const zvk::PathText gameFolder(fs::current_path().native());
    for (auto _ : state) {
        if (!zvk::InstallPreset(preset, gameFolder).succeeded()) state.SkipWithError("install failed");
    }
}

void PlainSystemCalls(benchmark::State& state) {
    GameFolder folder;
    const std::string bytes = std::string(zvk::ThePresetTable()[0].fileText) + "\r\n\r\n";
    for (auto _ : state) {
        const int fd = ::open("Cars/Cameras.ini.tmp", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const bool written = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        const bool synced = ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        const bool renamed = ::rename("Cars/Cameras.ini.tmp", "Cars/Cameras.ini") == 0;
        const int dir = ::open("Cars", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(dir);
        ::close(dir);
        if (!(fd >= 0 && written && synced && closed && renamed)) state.SkipWithError("write failed");
    }
}

BENCHMARK(InstallPresetCall)->Iterations(200)->Repetitions(25)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(PlainSystemCalls)->Iterations(200)->Repetitions(25)->ReportAggregatesOnly(true)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
