#!/usr/bin/env python3
"""Builds the benchmarks, runs them side by side and prints the footprint and speed table, and
what each part of the window's look costs.

    ZVK_BENCH_RUNS=21   rounds of start-ups (each program once a round, in turn)
    ZVK_BENCH_WIN32=1   measures the 32-bit exe even where 32-bit Wine runs only under emulation
                        (minutes a start)
"""
import json
import os
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build"
RUNS = int(os.environ.get("ZVK_BENCH_RUNS", "21"))
QEMU_I386 = Path("/proc/sys/fs/binfmt_misc/qemu-i386")
WINE32_LOADER = Path("/usr/lib/wine/wine")

# The floors for start-up and memory: a bare window; the same window themed as the program is
# (its manifest, common controls initialised); and the program's whole look without its work
# (bench/same_look.cpp), which says what the program's own work at start costs.
FLOORS = {"look": "same look", "themed": "bare window, themed", "bare": "bare window"}
FLOOR_EXES = {"look": "same_look.exe", "themed": "themed_bare_window.exe", "bare": "bare_window.exe"}
TARGETS = {("startup", "look"): 1.05, ("memory", "bare"): 1.2, ("memory", "themed"): 1.05, "install": 1.1}
# The same-look floor with one part of the look left out in turn (bench/CMakeLists.txt).
PARTS = [
    ("same_look_no_help_text", "the help text (the field left empty)"),
    ("same_look_no_help_font", "the help font (the field in the edit's own font)"),
    ("same_look_help_in_tahoma", "Comic Sans MS, which Wine lacks (the help font in Tahoma instead)"),
    ("same_look_no_button_font", "the buttons' font (the buttons in their own)"),
    ("same_look_no_banner", "the banner"),
    ("same_look_no_icons", "the icons"),
    ("same_look_no_colours", "the colours"),
    ("same_look_no_visual_styles", "the manifest's visual styles"),
    ("same_look_no_dpi_handling", "the DPI handling (awareness, manifest, per-DPI functions)"),
    ("same_look_no_dll_limits", "the DLL loading limited to System32"),
]


def run(*command, **options):
    return subprocess.run(command, check=True, text=True, **options)


def build(name, *settings, targets=()):
    folder = BUILD / name
    run("cmake", "-S", str(ROOT), "-B", str(folder), "-DZVK_BUILD_BENCH=ON", "-DZVK_BUILD_TESTS=OFF",
        *settings, stdout=subprocess.DEVNULL)
    only = ["--target", *targets] if targets else []
    run("cmake", "--build", str(folder), "-j", str(os.cpu_count() or 2), *only, stdout=subprocess.DEVNULL)
    return folder


def quartiles(values):
    """The first quartile, the median and the third."""
    if len(values) < 2:
        return values[0], values[0], values[0]
    first, median, third = statistics.quantiles(values, n=4, method="inclusive")
    return first, median, third


def game_folder():
    """A game folder without a camera file: the program starts with no button pressed in."""
    game = BUILD / "bench-game"
    (game / "Cars").mkdir(parents=True, exist_ok=True)
    return game


def probe(build_folder):
    return [str(ROOT / "tools" / "with-display"), str(ROOT / "tools" / "wine-run"),
            str(build_folder / "bench" / "startup_probe.exe")]


def looks_the_same(build_folder):
    """Whether the same-look floor draws the program's window at start, pixel for pixel."""
    result = subprocess.run([*probe(build_folder), "--same-picture", str(game_folder()),
                             f"program={build_folder / 'window' / 'ZvkCameraMode.exe'}",
                             f"look={build_folder / 'bench' / FLOOR_EXES['look']}"],
                            text=True, stdout=subprocess.PIPE)
    answer = result.stdout.strip() or f"not compared (the probe ended with {result.returncode})"
    return result.returncode == 0, answer


def startup_and_memory(build_folder, names):
    """Start-up times (ms) and peak working sets (KiB) of each program, a list a name, in rounds."""
    game = game_folder()
    programs = [f"program={build_folder / 'window' / 'ZvkCameraMode.exe'}"]
    programs += [f"{name}={build_folder / 'bench' / exe}" for name, exe in names.items()]
    # One warm-up round so that none pays for a cold Wine prefix or a cold disk cache.
    command = probe(build_folder)
    run(*command, "1", str(game), *programs, stdout=subprocess.DEVNULL)
    output = run(*command, str(RUNS), str(game), *programs, stdout=subprocess.PIPE).stdout
    # Kept for a closer look, or to pool several runs.
    (build_folder / "bench" / "startup_runs.txt").write_text(output)
    times, peaks = {}, {}
    for line in output.splitlines():
        name, milliseconds, peak = line.split()
        times.setdefault(name, []).append(float(milliseconds))
        peaks.setdefault(name, []).append(int(peak) / 1024)
    return times, peaks


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


def why_not_win32():
    """Why 32-bit Wine cannot start the 32-bit builds at their own speed here, or None."""
    if not WINE32_LOADER.exists():
        return "32-bit Wine is not installed (tools/install-deps installs it)"
    try:
        emulated = "enabled" in QEMU_I386.read_text().splitlines()
    except OSError:
        emulated = False
    if emulated:
        return "32-bit Wine runs here only through QEMU's emulation (binfmt_misc qemu-i386)"
    return None


def spread(values, unit, digits):
    first, median, third = quartiles(values)
    return f"{median:.{digits}f} {unit} ({first:.{digits}f}–{third:.{digits}f})"


def verdict(ratio, target, ratio_spread=""):
    if target is None:
        return f"{ratio:.2f}{ratio_spread} | —"
    return f"{ratio:.2f}{ratio_spread} | <= {target}: {'met' if ratio <= target else 'MISSED'}"


def paired_differences(whole, without):
    """Per round, what the whole costs beyond the one without: runs in the same round met the
    same machine."""
    return [a - b for a, b in zip(whole, without)]


def paired_ratios(ours, floor):
    """Per round, the program against the floor: runs in the same round met the same machine."""
    return [a / b for a, b in zip(ours, floor)]


def print_floor_table(times, peaks, floors):
    print("| measure | ZVK Camera Mode | floor | ratio | target |")
    print("|---|---|---|---|---|")
    measures = [("startup", "start-up to shown and idle", times, "ms", 1),
                ("memory", "peak working set", peaks, "KiB", 0)]
    for key, title, values, unit, digits in measures:
        for floor in floors:
            first, ratio, third = quartiles(paired_ratios(values["program"], values[floor]))
            print(f"| {title} | {spread(values['program'], unit, digits)} | "
                  f"{spread(values[floor], unit, digits)} ({FLOORS[floor]}) | "
                  f"{verdict(ratio, TARGETS.get((key, floor)), f' ({first:.2f}–{third:.2f})')} |")


def print_parts(times, peaks):
    def difference(values, a, b, unit, digits):
        return spread(paired_differences(values[a], values[b]), unit, digits)

    print("What the look costs, part by part: the same-look floor with one part left out in turn;")
    print("each cost is the median of the differences to the whole look in the same round (quartiles).")
    print()
    print("| left out | start-up | costs | peak working set | costs |")
    print("|---|---|---|---|---|")
    print(f"| nothing (the same look) | {spread(times['look'], 'ms', 1)} | — | {spread(peaks['look'], 'KiB', 0)} | — |")
    for name, title in PARTS:
        print(f"| {title} | {spread(times[name], 'ms', 1)} | {difference(times, 'look', name, 'ms', 1)} | "
              f"{spread(peaks[name], 'KiB', 0)} | {difference(peaks, 'look', name, 'KiB', 0)} |")
    print()
    print(f"The whole look against the themed floor: {difference(times, 'look', 'themed', 'ms', 1)}, "
          f"{difference(peaks, 'look', 'themed', 'KiB', 0)}.")
    print(f"The program's own work at start against the same look: {difference(times, 'program', 'look', 'ms', 1)}, "
          f"{difference(peaks, 'program', 'look', 'KiB', 0)}.")


def main():
    load_before = os.getloadavg()
    native = build("bench-native", "-DCMAKE_BUILD_TYPE=Release")
    win64 = build("bench-win64", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                  f"-DCMAKE_TOOLCHAIN_FILE={ROOT / 'cmake' / 'mingw-x86_64.cmake'}")
    # The 32-bit build is measured against the floors only, not part by part.
    win32 = build("bench-win32", "-DCMAKE_BUILD_TYPE=MinSizeRel",
                  f"-DCMAKE_TOOLCHAIN_FILE={ROOT / 'cmake' / 'mingw-i686.cmake'}",
                  targets=["ZvkCameraMode", "startup_probe", *(Path(exe).stem for exe in FLOOR_EXES.values())])

    same, picture = looks_the_same(win64)
    load_at_start = os.getloadavg()
    times, peaks = startup_and_memory(win64, {**FLOOR_EXES, **{name: f"{name}.exe" for name, _ in PARTS}})
    win32_skipped = why_not_win32()
    if win32_skipped is not None and os.environ.get("ZVK_BENCH_WIN32") == "1":
        win32_skipped = None
    if win32_skipped is None:
        times32, peaks32 = startup_and_memory(win32, FLOOR_EXES)
    load_at_end = os.getloadavg()
    ours_us, floor_us = install(native)
    size, imports, rules_hold = shipping_exe(win32)

    print()
    print(f"Footprint and speed. Start-up and memory: {RUNS} rounds of runs in turn under Wine, each figure a")
    print("median with its first and third quartiles, each ratio the median of the ratios within a round.")
    print("Install: medians over 25 repetitions of 200 installs, natively.")
    print(f"Load average (1 min; {os.cpu_count()} cores): {load_before[0]:.1f} before building, "
          f"{load_at_start[0]:.1f} as the start-ups began, {load_at_end[0]:.1f} as they ended")
    print()
    print(f"The same-look floor against the program's window at start, pixel for pixel: {picture}"
          f"{'' if same else ' (the floor no longer has the look: see bench/same_look.cpp)'}")
    print()
    print("The 64-bit build (the same sources as the exe that ships):")
    print()
    print_floor_table(times, peaks, FLOORS)
    print(f"| install (write, flush, replace) | {ours_us:.1f} us | {floor_us:.1f} us (plain system calls) "
          f"| {verdict(ours_us / floor_us, TARGETS['install'])} |")
    print(f"| shipping exe | {size} bytes | 155648 bytes (budget) | "
          f"{'rules hold' if rules_hold else 'RULES BROKEN'} | — |")
    print()
    if win32_skipped is None:
        print("The 32-bit exe that ships, against the 32-bit floors:")
        print()
        print_floor_table(times32, peaks32, FLOORS)
    else:
        print(f"The 32-bit exe against 32-bit floors: skipped, {win32_skipped}.")
    print()
    print_parts(times, peaks)
    print()
    print("Imports of the shipping exe:")
    print("\n".join(line for line in imports.splitlines() if line.startswith("  ") or "FAILED" in line))


if __name__ == "__main__":
    main()
