#!/usr/bin/env python3
"""Checks the program that ships: a 32-bit Windows GUI program that Windows XP SP3 can start,
importing only Windows' Known DLLs and only functions XP SP3 has, small, with the manifest it
relies on, and never asking to be elevated. A signed exe is held to the same rules, its size
without the signature.

    check_exe.py ZvkCameraMode.exe xp_sp3_imports.txt 1.00

The last: the program's version text, which the version resource gives as it stands ("1.00",
or "1.00-dirty" from uncommitted sources) and the manifest as 1.0.0.0.

Prints what it found; exits non-zero, saying what is wrong, when a rule is broken.
"""
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

MAX_SIZE = 152 * 1024
# The DLLs the program may import. They load before its first line, by Windows' search order,
# which looks in the program's own folder first for any name that is not a Known DLL; these
# five are Known DLLs on every Windows from XP on, always taken from System32. Everything else
# is loaded once the program has limited the search to System32 (window/dll_loading.h).
IMPORTED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll"}
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
    resource_rva = struct.unpack_from("<I", data, directories + 16)[0]
    # The Authenticode signature: a file offset, not an RVA, and not loaded with the image.
    signature_offset, signature_size = struct.unpack_from("<II", data, directories + 32)
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
    resources = {}

    def walk(directory, path):
        named, numbered = struct.unpack_from("<HH", data, offset(resource_rva) + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, offset(resource_rva) + directory + 16 + 8 * i)
            key = path + (name if not name & (1 << 31) else f"name@{name & 0x7FFFFFFF:#x}",)
            if target & (1 << 31):
                walk(target & 0x7FFFFFFF, key)
            else:
                data_rva, size = struct.unpack_from("<II", data, offset(resource_rva) + target)
                resources[key] = data[offset(data_rva):offset(data_rva) + size]

    if resource_rva:
        walk(0, ())
    return {
        "machine": machine, "magic": magic, "gui": subsystem == 2,
        "subsystem": (sub_major, sub_minor), "os": (os_major, os_minor), "imports": imports,
        "resources": resources,  # (type, name, language) -> bytes
        "signature": (signature_offset, signature_size),
    }


RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24
APP_ICON = 1  # IDI_APP, the icon Explorer shows: the lowest id
# Each size Windows asks for, from 100 % to 200 % scaling and Explorer's largest views, and
# the kind of image it must be: the 32 x 32 design in 256 colours; the others with alpha,
# as bitmaps where Windows XP asks for them, which reads no PNG; the sizes only Windows Vista
# and later ask for as PNG, which they read.
ICON_IMAGES = {16: "32-bit", 20: "32-bit", 24: "32-bit", 32: "8-bit", 40: "32-bit", 48: "32-bit",
               64: "PNG", 256: "PNG"}


def icon_images(resources):
    """The program icon's images: {size: '8-bit' | '32-bit' | 'PNG'}."""
    groups = [data for (kind, name, _), data in resources.items() if kind == RT_GROUP_ICON and name == APP_ICON]
    if not groups:
        return {}
    images = {}
    count = struct.unpack_from("<H", groups[0], 4)[0]
    for i in range(count):
        width, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", groups[0], 6 + 14 * i)
        data = next(d for (kind, name, _), d in resources.items() if kind == RT_ICON and name == icon_id)
        kind = "PNG" if data[:8] == b"\x89PNG\r\n\x1a\n" else f"{struct.unpack_from('<H', data, 14)[0]}-bit"
        images[width or 256] = kind
    return images


ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
# Every element this manifest may hold. Windows refuses to start a program whose manifest has a
# misspelled one ("the side-by-side configuration is incorrect"), and anything else is not
# meant to be there.
KNOWN_ELEMENTS = {
    (ASM_V1, "assembly"), (ASM_V1, "assemblyIdentity"), (ASM_V1, "description"),
    (ASM_V1, "dependency"), (ASM_V1, "dependentAssembly"),
    (COMPATIBILITY, "compatibility"), (COMPATIBILITY, "application"), (COMPATIBILITY, "supportedOS"),
    (ASM_V3, "application"), (ASM_V3, "windowsSettings"),
    (SETTINGS_2005, "dpiAware"), (SETTINGS_2016, "dpiAwareness"),
}
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Windows Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}
COMMON_CONTROLS_6 = {
    "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df", "language": "*",
}


def manifest_problems(resources, version):
    """What is wrong with the manifest the program starts with, as Windows reads it."""
    manifests = [data for (kind, name, _), data in resources.items() if kind == RT_MANIFEST and name == 1]
    if len(manifests) != 1:
        return [f"{len(manifests)} manifests with id 1 (CREATEPROCESS_MANIFEST_RESOURCE_ID), not one"]
    try:
        root = ElementTree.fromstring(manifests[0])
    except ElementTree.ParseError as error:
        return [f"the manifest is not well-formed XML: {error}"]

    def name(element):
        namespace, _, local = element.tag[1:].partition("}")
        return namespace, local

    problems = [f"the manifest has an unexpected element (misspelled?): {{{ns}}}{local}"
                for ns, local in map(name, root.iter()) if (ns, local) not in KNOWN_ELEMENTS]
    if name(root) != (ASM_V1, "assembly") or root.get("manifestVersion") != "1.0":
        problems.append("the manifest's root is not an asm.v1 assembly of manifestVersion 1.0")
    identity = root.find(f"{{{ASM_V1}}}assemblyIdentity")
    if identity is None or identity.get("version") != version:
        problems.append(f"the manifest's assemblyIdentity is not of version {version}")
    dependencies = root.findall(f"{{{ASM_V1}}}dependency/{{{ASM_V1}}}dependentAssembly/{{{ASM_V1}}}assemblyIdentity")
    if not any(all(dependency.get(k) == v for k, v in COMMON_CONTROLS_6.items())
               and dependency.get("processorArchitecture") in ("*", "x86") for dependency in dependencies):
        problems.append("the manifest does not depend on common controls 6 (visual styles)")
    settings = f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings"
    aware = root.findtext(f"{settings}/{{{SETTINGS_2005}}}dpiAware", "").strip().lower()
    awareness = root.findtext(f"{settings}/{{{SETTINGS_2016}}}dpiAwareness", "")
    if aware != "true/pm":
        problems.append(f"dpiAware is {aware!r}, not 'true/pm' (per monitor, else system)")
    if [part.strip() for part in awareness.split(",")][:1] != ["PerMonitorV2"]:
        problems.append(f"dpiAwareness is {awareness!r}, not PerMonitorV2 first")
    systems = {os.get("Id", "").lower() for os in
               root.iter(f"{{{COMPATIBILITY}}}supportedOS")}
    if systems != SUPPORTED_OS:
        problems.append(f"supportedOS lists {sorted(systems)}, not Windows Vista to 11")
    if any(element.tag.endswith("}requestedExecutionLevel") or element.tag.endswith("}trustInfo")
           for element in root.iter()):
        problems.append("the manifest has a requestedExecutionLevel")
    return problems


def version_texts(data):
    """The VS_VERSION_INFO block's text, decoded; empty if there is none."""
    key = "VS_VERSION_INFO".encode("utf-16-le")
    at = data.find(key)
    if at < 6:
        return ""
    length = struct.unpack_from("<H", data, at - 6)[0]
    return data[at - 6:at - 6 + length].decode("utf-16-le", "replace")


def main(exe_path, allowed_path, version):
    major, _, minor = version.partition("-")[0].partition(".")
    manifest_version = f"{int(major)}.{int(minor or 0)}.0.0"
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
    signature_offset, signature_size = pe["signature"]
    if signature_size and signature_offset + signature_size != len(data):
        problems.append(f"the signature ({signature_size} bytes at {signature_offset}) does not end the file")
    unsigned_size = len(data) - signature_size
    if unsigned_size > MAX_SIZE:
        problems.append(f"{unsigned_size} bytes without a signature, over the {MAX_SIZE} byte budget")
    for dll, functions in sorted(pe["imports"].items()):
        if dll not in IMPORTED_DLLS:
            problems.append(f"imports {dll}: only {', '.join(sorted(IMPORTED_DLLS))}, all Known DLLs, may "
                            "load before the program's first line")
            continue
        if dll not in allowed_dlls:
            problems.append(f"imports {dll}, which is not one of Windows' own DLLs on XP")
            continue
        for function in functions:
            if (dll, function) not in allowed:
                problems.append(f"imports {dll}!{function}, not known to exist on Windows XP SP3")
    problems += manifest_problems(pe["resources"], manifest_version)
    icons = icon_images(pe["resources"])
    for size, kind in ICON_IMAGES.items():
        if icons.get(size) != kind:
            problems.append(f"the icon has no {size} x {size} {kind} image")
    texts = version_texts(data)
    # The copyright line of the licence the exe comes under, and the licence's name.
    licence = (Path(__file__).resolve().parent.parent / "LICENSE").read_text(encoding="ascii").splitlines()
    copyright_line = next(line for line in licence if line.startswith("Copyright (c) ")) + ", " + licence[0]
    for key, value in (("FileDescription", "ZVK Vazivo Vive"), ("ProductName", "ZVK Vazivo Vive"),
                       ("FileVersion", version), ("ProductVersion", version), ("LegalCopyright", copyright_line)):
        if not re.search(f"{key}\0+{re.escape(value)}\0", texts):
            problems.append(f"the version information has no {key} {value!r}")
    for word in FORBIDDEN_WORDS:
        if word in exe.name.lower() or word in texts.lower():
            problems.append(f"'{word}' in the file name or version texts makes Windows ask to elevate")

    signed = f" ({unsigned_size} and a signature of {signature_size})" if signature_size else ""
    print(f"{exe.name}: {len(data)} bytes{signed}, PE32 i386, GUI, subsystem {pe['subsystem'][0]}.{pe['subsystem'][1]}")
    print("  icon: " + ", ".join(f"{size} ({kind})" for size, kind in sorted(icons.items())))
    for dll, functions in sorted(pe["imports"].items()):
        print(f"  {dll}: {', '.join(sorted(functions))}")
    for problem in problems:
        print(f"FAILED: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
