#!/usr/bin/env python3
"""Checks the program that ships: a 32-bit Windows GUI program that Windows XP SP3 can start,
importing only Windows' own DLLs and only functions XP SP3 has, small, and never asking to
be elevated.

    check_exe.py ZvkCameraMode.exe xp_sp3_imports.txt

Prints what it found; exits non-zero, saying what is wrong, when a rule is broken.
"""
import struct
import sys
from pathlib import Path

MAX_SIZE = 160 * 1024
FORBIDDEN_WORDS = ("install", "setup", "update", "patch")  # Windows would ask to elevate


def read_pe(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    os_major, os_minor, _, _, sub_major, sub_minor = struct.unpack_from("<HHHHHH", data, optional + 40)
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, directories + 8)[0]
    table = optional + optional_size
    section_list = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(sections)]

    def offset(rva):
        for _, virtual_size, address, raw_size, raw_offset in section_list:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw_offset
        raise ValueError(f"RVA {rva:#x} is in no section")

    def c_string(at):
        return data[at:data.index(b"\0", at)].decode("ascii")

    imports = {}
    entry = offset(import_rva) if import_rva else None
    while entry is not None:
        lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", data, entry)
        if name_rva == 0:
            break
        dll = c_string(offset(name_rva)).lower()
        names = imports.setdefault(dll, [])
        at = offset(lookup or thunks)
        width, ordinal_flag = (4, 1 << 31) if magic == 0x10B else (8, 1 << 63)
        while True:
            thunk = int.from_bytes(data[at:at + width], "little")
            if thunk == 0:
                break
            names.append(f"#{thunk & 0xFFFF}" if thunk & ordinal_flag else c_string(offset(thunk & 0x7FFFFFFF) + 2))
            at += width
        entry += 20
    return {
        "machine": machine, "magic": magic, "gui": subsystem == 2,
        "subsystem": (sub_major, sub_minor), "os": (os_major, os_minor), "imports": imports,
    }


def version_texts(data):
    """The VS_VERSION_INFO block's text, decoded; empty if there is none."""
    key = "VS_VERSION_INFO".encode("utf-16-le")
    at = data.find(key)
    if at < 6:
        return ""
    length = struct.unpack_from("<H", data, at - 6)[0]
    return data[at - 6:at - 6 + length].decode("utf-16-le", "replace")


def main(exe_path, allowed_path):
    exe = Path(exe_path)
    data = exe.read_bytes()
    pe = read_pe(data)
    allowed = set()
    for line in Path(allowed_path).read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            dll, function = line.split("!")
            allowed.add((dll.lower(), function))
    allowed_dlls = {dll for dll, _ in allowed}

    problems = []
    if pe["machine"] != 0x14C or pe["magic"] != 0x10B:
        problems.append("not a 32-bit x86 program")
    if not pe["gui"]:
        problems.append("not a GUI program")
    if pe["subsystem"] > (5, 1) or pe["os"] > (5, 1):
        problems.append(f"needs Windows {pe['subsystem']} / OS {pe['os']}, newer than XP's 5.1")
    if len(data) > MAX_SIZE:
        problems.append(f"{len(data)} bytes, over the {MAX_SIZE} byte budget")
    for dll, functions in sorted(pe["imports"].items()):
        if dll not in allowed_dlls:
            problems.append(f"imports {dll}, which is not one of Windows' own DLLs on XP")
            continue
        for function in functions:
            if (dll, function) not in allowed:
                problems.append(f"imports {dll}!{function}, not known to exist on Windows XP SP3")
    if b"<requestedExecutionLevel" in data or b":requestedExecutionLevel" in data:
        problems.append("the manifest has a requestedExecutionLevel")
    for needed in (b"Microsoft.Windows.Common-Controls", b"dpiAware", b"supportedOS"):
        if needed not in data:
            problems.append(f"the manifest lacks {needed.decode()}")
    texts = version_texts(data)
    if "ZVK Vazivo Vive" not in texts or "1.00" not in texts:
        problems.append("version information missing or wrong")
    for word in FORBIDDEN_WORDS:
        if word in exe.name.lower() or word in texts.lower():
            problems.append(f"'{word}' in the file name or version texts makes Windows ask to elevate")

    print(f"{exe.name}: {len(data)} bytes, PE32 i386, GUI, subsystem {pe['subsystem'][0]}.{pe['subsystem'][1]}")
    for dll, functions in sorted(pe["imports"].items()):
        print(f"  {dll}: {', '.join(sorted(functions))}")
    for problem in problems:
        print(f"FAILED: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
