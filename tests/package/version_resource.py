#!/usr/bin/python3
"""Reads a Windows program's version resource back, as Explorer's file properties do, and
checks product, version, description and copyright; for the dialog program also that its
dialog template is still there.
  version_resource.py VERSION FILE [--dialog]"""
import sys

import pefile

RT_DIALOG = 5
IDD_MAIN = 102


def strings(pe):
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                return {k.decode(): v.decode() for k, v in table.entries.items()}
    return {}


def dialogs(pe):
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == RT_DIALOG:
            return [d.id for d in entry.directory.entries]
    return []


def main():
    version, path = sys.argv[1], sys.argv[2]
    pe = pefile.PE(path)
    found = strings(pe)
    name = path.replace("\\", "/").rsplit("/", 1)[-1]
    problems = []
    expected = {
        "ProductName": "Vantrel",
        "ProductVersion": version,
        "FileVersion": version,
        "OriginalFilename": name,
        "LegalCopyright": "Copyright (c) 2026 The Vantrel developers, MIT License",
    }
    for key, value in expected.items():
        if found.get(key) != value:
            problems.append(f"{key} is {found.get(key)!r}, not {value!r}")
    if "find a byte pattern in files" not in found.get("FileDescription", ""):
        problems.append(f"FileDescription is {found.get('FileDescription')!r}")
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [int(n) for n in version.split(".")]
    got = [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16]
    if got != numbers:
        problems.append(f"the fixed file version is {got}, not {numbers}")
    if "--dialog" in sys.argv and IDD_MAIN not in dialogs(pe):
        problems.append(f"no dialog template {IDD_MAIN} (IDD_MAIN): {dialogs(pe)}")
    for problem in problems:
        print(f"{name}: {problem}")
    if not problems:
        print(f"{name}: version resource {version}: {found['FileDescription']}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
