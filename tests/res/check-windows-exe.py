#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Looks inside a Windows executable of this build without running it: its
machine, its subsystem and the Windows it asks for (7, version 6.1), the DLLs
it imports (system ones only), and its resources (the 28 samples byte for
byte, the dialog templates, the icon, the string table, the version, a
manifest naming Windows 7 to 11). Exits non-zero and says why on any
difference.

    check-windows-exe.py EXE --machine x86|x64 --subsystem gui|console --waves DIR
"""
import argparse
import os
import re
import sys

import pefile

MACHINES = {"x86": 0x014C, "x64": 0x8664}
SUBSYSTEMS = {"gui": 2, "console": 3}
# What every Windows since XP ships; the program may import nothing else.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
    "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "winmm.dll",
    "comdlg32.dll", "uxtheme.dll", "version.dll", "ws2_32.dll",
}
RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_DIALOG, RT_MANIFEST = 3, 6, 14, 16, 5, 24
DIALOG_IDS = (100, 102, 179, 181)
ICON_ID = 128
ABOUT_STRING_ID = 101
# Windows 7 (6.1), the oldest system the program is made for.
OLDEST_WINDOWS = (6, 1)
SUPPORTED_OS = {
    "Windows 7": "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
    "Windows 8": "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
    "Windows 8.1": "1f676c76-80e1-4239-95bb-83d0f6d0da78",
    "Windows 10 and 11": "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a",
}


def resources(pe):
    """{(type, id): bytes}; types by number, or by name for named types."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for rid in rtype.directory.entries:
            id_key = str(rid.name) if rid.name is not None else rid.id
            for lang in rid.directory.entries:
                entry = lang.data.struct
                found[(type_key, id_key)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


def problems_of(pe, machine, subsystem, waves):
    """What differs from a sound executable of this build, one text each."""
    problems = []
    if pe.FILE_HEADER.Machine != MACHINES[machine]:
        problems.append(f"machine 0x{pe.FILE_HEADER.Machine:04x}, not {machine}")
    header = pe.OPTIONAL_HEADER
    if header.Subsystem != SUBSYSTEMS[subsystem]:
        problems.append(f"subsystem {header.Subsystem}, not {subsystem}")
    for what in ("OperatingSystem", "Subsystem"):
        asked = (getattr(header, f"Major{what}Version"), getattr(header, f"Minor{what}Version"))
        if asked != OLDEST_WINDOWS:
            problems.append(f"{what} version {asked[0]}.{asked[1]}, not 6.1")

    imported = sorted(e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    foreign = [d for d in imported if d not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports DLLs that are not the system's: " + ", ".join(foreign))

    res = resources(pe)
    for wave_id in range(300, 328):
        path = os.path.join(waves, f"wave{wave_id}.wav")
        with open(path, "rb") as f:
            expected = f.read()
        actual = res.get(("WAVE", wave_id))
        if actual is None:
            problems.append(f"no WAVE resource {wave_id}")
        elif actual != expected:
            problems.append(f"WAVE resource {wave_id} differs from {path}")
    extra_waves = [k for k in res if k[0] == "WAVE" and not 300 <= k[1] <= 327]
    if extra_waves:
        problems.append(f"unexpected WAVE resources: {extra_waves}")
    for dialog_id in DIALOG_IDS:
        data = res.get((RT_DIALOG, dialog_id))
        if data is None or data[:4] != b"\x01\x00\xff\xff":
            problems.append(f"no extended dialog template {dialog_id}")
    group = res.get((RT_GROUP_ICON, ICON_ID))
    if group is None or len(group) < 6 or group[:4] != b"\x00\x00\x01\x00":
        problems.append(f"no icon group {ICON_ID}")
    else:
        count = int.from_bytes(group[4:6], "little")
        icons = [k for k in res if k[0] == RT_ICON]
        if count < 2 or len(icons) < count:
            problems.append(f"icon group {ICON_ID} lists {count} images, {len(icons)} present")
    # Strings live in blocks of 16: block id // 16 + 1, slot id % 16.
    block = res.get((RT_STRING, ABOUT_STRING_ID // 16 + 1))
    about = b"&\x00A\x00b\x00o\x00u\x00t\x00"
    if block is None or about not in block:
        problems.append(f"no string {ABOUT_STRING_ID} with the About menu text")
    if (RT_VERSION, 1) not in res:
        problems.append("no version resource")
    manifest = res.get((RT_MANIFEST, 1))
    if manifest is None:
        problems.append("no application manifest")
    else:
        text = manifest.decode("utf-8", "replace").lower()
        for system, guid in SUPPORTED_OS.items():
            if not re.search(rf'<supportedos\s+id="\{{{guid}\}}"', text):
                problems.append(f"the manifest does not name {system} as supported")
    return problems


def summary(pe, machine, subsystem):
    imported = sorted(e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    res = resources(pe)
    return (f"{machine}, {subsystem} 6.1, imports {', '.join(imported)}; "
            f"{sum(1 for k in res if k[0] == 'WAVE')} samples, {len(DIALOG_IDS)} dialogs, "
            "icon, string, version, manifest for Windows 7 to 11")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--machine", choices=MACHINES, required=True)
    parser.add_argument("--subsystem", choices=SUBSYSTEMS, required=True)
    parser.add_argument("--waves", required=True)
    args = parser.parse_args()

    pe = pefile.PE(args.exe)
    problems = problems_of(pe, args.machine, args.subsystem, args.waves)
    for problem in problems:
        print(f"{args.exe}: {problem}", file=sys.stderr)
    if not problems:
        print(f"{args.exe}: {summary(pe, args.machine, args.subsystem)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
