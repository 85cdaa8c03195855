#!/usr/bin/env python3
"""Builds the benchmarks, runs them side by side and prints the footprint and speed table."""
import json
import os
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build"
RUNS = int(os.environ.get("ZVK_BENCH_RUNS", "15"))
# The floors for start-up and memory: a bare window, and the same window themed as the program
# is (its manifest, common controls initialised), which says what the program itself costs.
FLOORS = {"bare": "bare window", "themed": "bare window, themed"}
TARGETS = {("startup", "bare"): 1.15, ("memory", "bare"): 1.2, ("startup", "themed"): 1.10,
           ("memory", "themed"): 1.05, "install": 1.1}


def run(*command, **options):
    return subprocess.run(command, check=True, text=True, **options)


def build(name, *settings):
    folder = BUILD / name
    run("cmake", "-S", str(ROOT), "-B", str(folder), "-DZVK_BUILD_BENCH=ON", "-DZVK_BUILD_TESTS=OFF",
        *settings, stdout=subprocess.DEVNULL)
    run("cmake", "--build", str(folder), "-j", str(os.cpu_count() or 2), stdout=subprocess.DEVNULL)
    return folder


def startup_and_memory(win64):
    game = BUILD / "bench-game"
    (game / "Cars").mkdir(parents=True, exist_ok=True)
    programs = [f"program={win64 / 'window' / 'ZvkCameraMode.exe'}", f"bare={win64 / 'bench' / 'bare_window.exe'}",
                f"themed={win64 / 'bench' / 'themed_bare_window.exe'}"]
    probe = win64 / "bench" / "startup_probe.exe"
    # One warm-up round so that none pays for a cold Wine prefix or a cold disk cache.
    command = [str(ROOT / "tools" / "with-display"), str(ROOT / "tools" / "wine-run"), str(probe)]
    run(*command, "1", str(game), *programs, stdout=subprocess.DEVNULL)
    output = run(*command, str(RUNS), str(game), *programs, stdout=subprocess.PIPE).stdout
    times, peaks = {}, {}
    for line in output.splitlines():
        name, milliseconds, peak = line.split()
        times.setdefault(name, []).append(float(milliseconds))
        peaks.setdefault(name, []).append(int(peak))
    return ({name: statistics.median(values) for name, values in times.items()},
            {name: statistics.median(values) for name, values in peaks.items()})


def install(native):
    output = run(str(native / "bench" / "install_bench"), "--benchmark_format=json",
                 "--benchmark_enable_random_interleaving=true", stdout=subprocess.PIPE,
                 cwd=str(native)).stdout
    medians = {}
    for entry in json.loads(output)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            unit = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[entry["time_unit"]]
            medians[entry["run_name"]] = entry["real_time"] * unit
    return medians["InstallPresetCall/iterations:200/repeats:25/real_time"], \
        medians["PlainSystemCalls/iterations:200/repeats:25/real_time"]


def shipping_exe(win32):
    exe = win32 / "window" / "ZvkCameraMode.exe"
    cache = (win32 / "CMakeCache.txt").read_text()
    version = cache.split("CMAKE_PROJECT_VERSION:STATIC=", 1)[1].split("\n", 1)[0]
    result = subprocess.run([sys.executable, str(ROOT / "tests" / "check_exe.py"), str(exe),
                             str(ROOT / "tests" / "xp_sp3_imports.txt"), version],
                            text=True, stdout=subprocess.PIPE)
    return exe.stat().st_size, result.stdout, result.returncode == 0


def verdict(ratio, target):
    return f"{ratio:.2f} (target <= {target}: {'met' if ratio <= target else 'MISSED'})"


def main():
    native = build("bench-native", "-DCMAKE_BUILD_TYPE=Release")
    win64 = build("bench-win64", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                  f"-DCMAKE_TOOLCHAIN_FILE={ROOT / 'cmake' / 'mingw-x86_64.cmake'}")
    win32 = build("bench-win32", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                  f"-DCMAKE_TOOLCHAIN_FILE={ROOT / 'cmake' / 'mingw-i686.cmake'}")

    times, peaks = startup_and_memory(win64)
    ours_us, floor_us = install(native)
    size, imports, rules_hold = shipping_exe(win32)

    print()
    print(f"Footprint and speed (medians; start-up and memory over {RUNS} rounds of runs in turn under Wine,")
    print("install over 25 repetitions of 200 installs, natively)")
    print()
    print("| measure | ZVK Camera Mode | floor | ratio |")
    print("|---|---|---|---|")
    for floor, floor_name in FLOORS.items():
        print(f"| start-up to shown and idle | {times['program']:.1f} ms | {times[floor]:.1f} ms ({floor_name}) "
              f"| {verdict(times['program'] / times[floor], TARGETS[('startup', floor)])} |")
    for floor, floor_name in FLOORS.items():
        print(f"| peak working set | {peaks['program'] / 1024:.0f} KiB | {peaks[floor] / 1024:.0f} KiB ({floor_name}) "
              f"| {verdict(peaks['program'] / peaks[floor], TARGETS[('memory', floor)])} |")
    print(f"| install (write, flush, replace) | {ours_us:.1f} us | {floor_us:.1f} us (plain system calls) "
          f"| {verdict(ours_us / floor_us, TARGETS['install'])} |")
    print(f"| shipping exe | {size} bytes | 155648 bytes (budget) | "
          f"{'rules hold' if rules_hold else 'RULES BROKEN'} |")
    print()
    print("Imports of the shipping exe:")
    print("\n".join(line for line in imports.splitlines() if line.startswith("  ") or "FAILED" in line))


if __name__ == "__main__":
    main()
