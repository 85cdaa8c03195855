#!/usr/bin/env python3
"""Packs a release: <out>/ZvkCameraMode-<version>.zip, holding the members below, and
<out>/SHA256SUMS with the checksums of the zip, of the exe and, for a signed release, of the
signature published beside them (CR LF). The same inputs give the same bytes: entries in a
fixed order, times from `epoch` (the last commit's), fixed permissions.

    package_release.py ZvkCameraMode.exe sources-folder version epoch out-folder [signature]
"""
import hashlib
import sys
import time
import zipfile
from pathlib import Path

EXE_NAME = "ZvkCameraMode.exe"
# What the zip holds, in its order: the exe, and beside it, as Notepad on Windows XP reads them
# (7-bit ASCII, CR LF), the player's guide and the licence, each from its file in the sources.
# The tools that check a release take the list from here.
MEMBERS = (EXE_NAME, "ReadMe.txt", "LICENSE.txt")
TEXT_SOURCES = {"ReadMe.txt": "release/ReadMe.txt", "LICENSE.txt": "LICENSE"}
EARLIEST_ZIP_TIME = 315532800  # 1980-01-01, where zip's clock starts


def as_notepad_text(path, version):
    """A text of the sources with the version filled in, 7-bit ASCII with CR LF line ends."""
    text = path.read_text(encoding="ascii").replace("@VERSION@", version)
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def members(exe, sources, version):
    """(name, bytes) of each member, in the zip's order."""
    texts = {name: as_notepad_text(Path(sources) / source, version) for name, source in TEXT_SOURCES.items()}
    return [(name, exe if name == EXE_NAME else texts[name]) for name in MEMBERS]


def deterministic_zip(path, entries, epoch):
    when = time.gmtime(max(epoch, EARLIEST_ZIP_TIME))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below are read as such
            info.external_attr = 0o100644 << 16
            archive.writestr(info, data, compresslevel=9)


def main(exe_path, sources, version, epoch, out_folder, signature=None):
    out = Path(out_folder)
    out.mkdir(parents=True, exist_ok=True)
    exe = Path(exe_path).read_bytes()
    archive = out / f"ZvkCameraMode-{version}.zip"
    deterministic_zip(archive, members(exe, sources, version), int(epoch))
    sums = [(hashlib.sha256(archive.read_bytes()).hexdigest(), archive.name),
            (hashlib.sha256(exe).hexdigest(), EXE_NAME)]
    if signature:
        sums.append((hashlib.sha256(Path(signature).read_bytes()).hexdigest(), Path(signature).name))
    # CR LF, as beside the ReadMe: Notepad before Windows 10 shows LF-only lines as one line,
    # and sha256sum -c reads either.
    (out / "SHA256SUMS").write_bytes("".join(f"{digest}  {name}\r\n" for digest, name in sums).encode("ascii"))
    print(f"Release {version} in {out}:")
    for digest, name in sums:
        print(f"  SHA-256 {digest}  {name}")


if __name__ == "__main__":
    if len(sys.argv) not in (6, 7):
        sys.exit(__doc__)
    main(*sys.argv[1:])
