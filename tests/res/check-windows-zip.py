#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Looks inside a Windows download (kadenzo-VERSION-windows-ARCH.zip): it holds
the program, the starter set, the licence and the README, nothing else; the
kadenzo.exe passes every check of check-windows-exe.py, carries no
debugging sections and no symbol table (they stay beside the build), and its
version resource gives the version in the zip's name. Exits non-zero and says
why on any difference.

    check-windows-zip.py ZIP --waves DIR
"""
import argparse
import importlib.util
import os
import re
import sys
import zipfile

import pefile

_spec = importlib.util.spec_from_file_location(
    "check_windows_exe", os.path.join(os.path.dirname(__file__), "check-windows-exe.py"))
exe_checks = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(exe_checks)


def section_names(pe):
    """The sections' names, long ones ("/4") read from the COFF string table."""
    strings = pe.FILE_HEADER.PointerToSymbolTable + 18 * pe.FILE_HEADER.NumberOfSymbols
    names = []
    for section in pe.sections:
        name = section.Name.rstrip(b"\0")
        if name.startswith(b"/") and name[1:].isdigit() and pe.FILE_HEADER.PointerToSymbolTable:
            start = strings + int(name[1:])
            name = pe.__data__[start:pe.__data__.find(b"\0", start)]
        names.append(name.decode("ascii", "replace"))
    return names


def version_problems(pe, version):
    numbers = [int(n) for n in version.split(".")] + [0] * (4 - len(version.split(".")))
    problems = []
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        return ["no version resource"]
    found = [fixed[0].FileVersionMS >> 16, fixed[0].FileVersionMS & 0xFFFF,
             fixed[0].FileVersionLS >> 16, fixed[0].FileVersionLS & 0xFFFF]
    if found != numbers:
        problems.append(f"file version {'.'.join(map(str, found))}, not {version}")
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    if strings.get("ProductVersion") != version:
        problems.append(f"product version {strings.get('ProductVersion')!r}, not {version}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("zip")
    parser.add_argument("--waves", required=True)
    args = parser.parse_args()

    name = re.fullmatch(r"kadenzo-([0-9.]+)-windows-(x86|x64)\.zip", os.path.basename(args.zip))
    if not name:
        print(f"{args.zip}: not a kadenzo-VERSION-windows-ARCH.zip", file=sys.stderr)
        return 1
    version, machine = name.groups()
    member = f"kadenzo-{version}-windows-{machine}/kadenzo.exe"
    with zipfile.ZipFile(args.zip) as archive:
        # The program, the starter set, the licence and the README, nothing else.
        held = sorted(n.split("/", 1)[1] for n in archive.namelist() if not n.endswith("/"))
        data = archive.read(member)
    pe = pefile.PE(data=data)

    problems = []
    expected = ["LICENSE.txt", "README.txt", "drums.set", "kadenzo.exe"]
    if held != expected:
        problems.append(f"the zip holds {held}, not {expected}")
    problems += exe_checks.problems_of(pe, machine, "gui", args.waves)
    problems += version_problems(pe, version)
    debugging = [n for n in section_names(pe) if n.startswith((".debug", ".zdebug"))]
    if debugging:
        problems.append(f"{len(debugging)} debugging sections: {', '.join(debugging)}")
    if pe.FILE_HEADER.NumberOfSymbols:
        problems.append(f"a symbol table of {pe.FILE_HEADER.NumberOfSymbols} entries")

    for problem in problems:
        print(f"{args.zip}: {member}: {problem}", file=sys.stderr)
    if not problems:
        print(f"{args.zip}: {member}: {exe_checks.summary(pe, machine, 'gui')}, "
              f"version {version}, stripped ({len(data) // 1024} KB)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
