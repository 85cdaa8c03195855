#!/usr/bin/env python3
"""Builds the release twice, from two copies of the sources in two folders, one after the
other, and checks what a player relies on: both builds give the same bytes, and the same
BUILDINFO.txt, which names the commit and the tools; SHA256SUMS matches the zip and the
exe, with CR LF line ends that sha256sum -c reads; the zip holds exactly the exe and
ReadMe.txt; the ReadMe is 7-bit ASCII with CR LF line ends; and the exe is the one the tests
ran.

    check_release.py [tested ZvkCameraMode.exe]

Files not yet added to git are not copied: add new sources before running it.
"""
import hashlib
import io
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def release(sources, out):
    subprocess.run([str(sources / "tools" / "release"), str(out)], check=True,
                   stdout=subprocess.DEVNULL)
    return {path.name: path.read_bytes() for path in sorted(out.iterdir())}


def sha256sum_problems(zip_bytes, zip_name, exe, sums):
    """What sha256sum -c, as a player on Linux runs it, says of SHA256SUMS beside the files."""
    if shutil.which("sha256sum") is None:
        return []
    with tempfile.TemporaryDirectory() as folder:
        for name, data in ((zip_name, zip_bytes), ("ZvkCameraMode.exe", exe), ("SHA256SUMS", sums)):
            (Path(folder) / name).write_bytes(data)
        checked = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=folder,
                                 capture_output=True, text=True)
    return [] if checked.returncode == 0 else [f"sha256sum -c does not read SHA256SUMS: {checked.stderr.strip()}"]


def problems_with(files, tested_exe):
    problems = []
    zips = [name for name in files if name.endswith(".zip")]
    if sorted(files) != sorted(zips + ["SHA256SUMS", "BUILDINFO.txt"]) or len(zips) != 1:
        return [f"the release is {sorted(files)}, not one zip, SHA256SUMS and BUILDINFO.txt"]
    buildinfo = files["BUILDINFO.txt"].decode("ascii")
    for field in ("commit: ", "compiler: ", "binutils: ", "cmake: ", "python: ", " with zlib "):
        if field not in buildinfo:
            problems.append(f"BUILDINFO.txt does not say {field.strip()!r}")
    archive = zipfile.ZipFile(io.BytesIO(files[zips[0]]))
    if archive.namelist() != ["ZvkCameraMode.exe", "ReadMe.txt"]:
        problems.append(f"the zip holds {archive.namelist()}, not ZvkCameraMode.exe and ReadMe.txt")
        return problems
    exe, readme = archive.read("ZvkCameraMode.exe"), archive.read("ReadMe.txt")
    expected = {zips[0]: hashlib.sha256(files[zips[0]]).hexdigest(),
                "ZvkCameraMode.exe": hashlib.sha256(exe).hexdigest()}
    listed = {}
    for line in files["SHA256SUMS"].decode("ascii").splitlines():
        digest, _, name = line.partition("  ")
        listed[name] = digest
    if listed != expected:
        problems.append(f"SHA256SUMS lists {listed}, the files are {expected}")
    sums = files["SHA256SUMS"]
    if sums.count(b"\n") != sums.count(b"\r\n") or not sums.endswith(b"\r\n"):
        problems.append("SHA256SUMS does not end every line with CR LF")
    problems += sha256sum_problems(files[zips[0]], zips[0], exe, sums)
    if any(byte > 127 for byte in readme):
        problems.append("ReadMe.txt is not 7-bit ASCII")
    if readme.count(b"\n") != readme.count(b"\r\n") or readme.count(b"\r") != readme.count(b"\r\n") \
            or not readme.endswith(b"\r\n"):
        problems.append("ReadMe.txt does not end every line, and only lines, with CR LF")
    if tested_exe is not None and exe != Path(tested_exe).read_bytes():
        problems.append(f"the released exe is not the exe the tests ran ({tested_exe})")
    return problems


def main(tested_exe=None):
    work = ROOT / "build" / "release-check"
    shutil.rmtree(work, ignore_errors=True)
    copy = work / "sources"
    tracked = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True,
                             capture_output=True).stdout.decode().split("\0")
    for name in filter(None, tracked):
        if (ROOT / name).exists():
            (copy / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / name, copy / name)

    first = release(ROOT, work / "first")
    second = release(copy, work / "second")
    problems = [f"{name} differs between two builds of the same sources"
                for name in sorted(set(first) | set(second)) if first.get(name) != second.get(name)]
    problems += problems_with(first, tested_exe)
    for name, data in first.items():
        print(f"  {hashlib.sha256(data).hexdigest()}  {name} ({len(data)} bytes)")
    for problem in problems:
        print(f"FAILED: {problem}")
    if not problems:
        print("The release builds the same bytes twice")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:2]))
