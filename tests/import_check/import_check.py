#!/usr/bin/env python3
"""Every shipped binary against what Windows 95 and NT 4.0 provide.

The toolchain's objdump -p lists a binary's imports (by name and by ordinal),
its data directories, versions and format; they are held against
tests/data/lacking_on_old_windows.txt, since an import the old system does
not export stops the program or library from loading at all, and nothing
short of such a system would show it. Also what else those systems refuse:
a TLS directory in a DLL (Windows 95's LoadLibrary), OS and subsystem
versions above 4.0, a machine other than i386. The 64-bit half (PE32+) is
held against the same list, with 5.2 (XP x64) as its oldest version.

objdump does not list delay-loaded imports, so a binary with a delay import
directory is refused outright: its delayed imports could not be checked.

    import_check.py [--list FILE] BINARY...   the findings, one a line;
                                              exit 1 when there are any,
                                              2 when a file cannot be read
"""
from __future__ import annotations

import os
import re
import subprocess
import sys
from dataclasses import dataclass, field
from typing import Dict, List, Optional, Set, Tuple

OBJDUMP = {32: "i686-w64-mingw32-objdump", 64: "x86_64-w64-mingw32-objdump"}
FILE_FORMAT = {32: "pei-i386", 64: "pei-x86-64"}
MACHINE = {32: "i386", 64: "x86-64"}
PE32_MAGIC, PE32_PLUS_MAGIC = 0x010B, 0x020B
MAGIC = {32: PE32_MAGIC, 64: PE32_PLUS_MAGIC}
# Windows 95 and NT 4.0 both report 4.0; they refuse anything above. The
# first 64-bit Windows (XP x64, Server 2003 SP1) is 5.2.
OLDEST = {32: (4, 0), 64: (5, 2)}
FILE_IS_DLL = 0x2000
TLS_DIRECTORY = 9
DELAY_IMPORT_DIRECTORY = 13
ORDINAL_FLAG = {32: 1 << 31, 64: 1 << 63}
ORDINAL_MASK = 0xFFFF
OBJDUMP_SECONDS = 60

# Every shipped binary and its bitness: the 64-bit half has the same
# sources and look-ups, so the same list.
SHIPPED: List[Tuple[str, int]] = [
    ("varnel.dll", 32), ("vlplug.dll", 32), ("vlload.exe", 32), ("vlconf.exe", 32), ("vlsettings.exe", 32),
    ("skingen.exe", 32), ("gallery.exe", 32), ("varnel64.dll", 64), ("vlplug64.dll", 64), ("vlload64.exe", 64),
]
DEFAULT_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data",
                            "lacking_on_old_windows.txt")


class ReadError(Exception):
    """A binary or the list could not be read; the message says why."""


# --- what objdump -p says of a binary -------------------------------------------

@dataclass
class Import:
    dll: str
    name: str                   # empty for an import by ordinal
    ordinal: Optional[int]      # set for an import by ordinal
    member_rva: int             # the hint-and-name entry (or the ordinal thunk's value)
    dll_name_rva: int           # of the descriptor this import is in
    table_rva: int              # its name table (the first thunk's when it has none)
    index: int                  # the thunk's place in that table

    @property
    def function(self) -> str:
        return f"#{self.ordinal}" if self.ordinal is not None else self.name


@dataclass
class Image:
    file_format: str = ""
    magic: int = 0
    characteristics: int = 0
    image_base: int = 0
    os_version: Tuple[int, int] = (0, 0)
    subsystem_version: Tuple[int, int] = (0, 0)
    directories: Dict[int, Tuple[int, int]] = field(default_factory=dict)   # index -> (rva, size)
    imports: List[Import] = field(default_factory=list)

    @property
    def is_dll(self) -> bool:
        return bool(self.characteristics & FILE_IS_DLL)

    def directory(self, index: int) -> Tuple[int, int]:
        return self.directories.get(index, (0, 0))


_FORMAT = re.compile(r"^\S.*:\s+file format (\S+)$")
_HEX_FIELD = re.compile(r"^(Characteristics|Magic|ImageBase)\s+(?:0x)?([0-9a-fA-F]+)")
_VERSION = re.compile(r"^(Major|Minor)(OSystem|Subsystem)Version\s+(\d+)$")
_DIRECTORY = re.compile(r"^Entry ([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+) ")
_DESCRIPTOR = re.compile(r"^ ([0-9a-f]+)\t([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+) ([0-9a-f]+)$")
_DLL_NAME = re.compile(r"^\tDLL Name: (.*)$")
_MEMBER = re.compile(r"^\t([0-9a-f]+)\t *([0-9a-f]+) +(\S+)")
_NO_NAME = "<none>"


def parse_objdump(text: str, bits: int) -> Image:
    """The parts of objdump -p's report the check reads."""
    image = Image()
    versions: Dict[str, int] = {}
    in_imports = False
    dll = ""
    descriptor: Optional[Tuple[int, int, int]] = None   # name RVA, table RVA, thunks so far
    index = 0
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            in_imports = True
            continue
        if in_imports and line and not line[0].isspace():
            in_imports = False
        if not in_imports:
            m = _FORMAT.match(line)
            if m:
                image.file_format = m.group(1)
                continue
            m = _HEX_FIELD.match(line)
            if m:
                setattr(image, {"Characteristics": "characteristics", "Magic": "magic",
                                "ImageBase": "image_base"}[m.group(1)], int(m.group(2), 16))
                continue
            m = _VERSION.match(line)
            if m:
                versions[m.group(1) + m.group(2)] = int(m.group(3))
                continue
            m = _DIRECTORY.match(line)
            if m:
                image.directories[int(m.group(1), 16)] = (int(m.group(2), 16), int(m.group(3), 16))
            continue
        m = _DESCRIPTOR.match(line)
        if m:
            hint_table, name_rva, first_thunk = int(m.group(2), 16), int(m.group(5), 16), int(m.group(6), 16)
            descriptor = (name_rva, hint_table or first_thunk, 0)
            index = 0
            continue
        m = _DLL_NAME.match(line)
        if m:
            dll = m.group(1).strip()
            continue
        m = _MEMBER.match(line)
        if m and descriptor is not None:
            value, name = int(m.group(1), 16), m.group(3)
            if name == _NO_NAME and value & ORDINAL_FLAG[bits]:
                imp = Import(dll, "", value & ORDINAL_MASK, value, descriptor[0], descriptor[1], index)
            else:
                imp = Import(dll, name, None, value, descriptor[0], descriptor[1], index)
            image.imports.append(imp)
            index += 1
    for part in ("MajorOSystem", "MinorOSystem", "MajorSubsystem", "MinorSubsystem"):
        if part not in versions:
            raise ReadError(f"objdump printed no {part}Version")
    image.os_version = (versions["MajorOSystem"], versions["MinorOSystem"])
    image.subsystem_version = (versions["MajorSubsystem"], versions["MinorSubsystem"])
    if not image.file_format or not image.magic:
        raise ReadError("objdump printed no file format or magic")
    return image


def read_image(path: str, bits: int) -> Image:
    try:
        done = subprocess.run([OBJDUMP[bits], "-p", path], stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=OBJDUMP_SECONDS)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise ReadError(f"{OBJDUMP[bits]} could not run: {e}") from None
    complaint = done.stderr.decode("utf-8", "replace").strip()
    # objdump is silent on a sound image; anything it says means it may have
    # left something out.
    if done.returncode != 0 or complaint:
        raise ReadError(f"not a readable {MACHINE[bits]} PE image: {complaint or 'objdump failed'}")
    return parse_objdump(done.stdout.decode("latin-1"), bits)


# --- the list of what the old systems lack ------------------------------------------

@dataclass
class OldWindowsList:
    present_dlls: Dict[str, str] = field(default_factory=dict)     # lowered DLL -> note
    missing_dlls: Dict[str, str] = field(default_factory=dict)
    # lowered DLL -> function -> note
    lacking: Dict[str, Dict[str, str]] = field(default_factory=dict)
    stubs: Dict[str, Dict[str, str]] = field(default_factory=dict)
    tolerated: Dict[str, Dict[str, str]] = field(default_factory=dict)
    msvcrt: Set[str] = field(default_factory=set)

    @staticmethod
    def find(kind: Dict[str, Dict[str, str]], dll: str, function: str) -> Optional[str]:
        return kind.get(dll.lower(), {}).get(function)


def read_list(path: str) -> OldWindowsList:
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError:
        raise ReadError(f"cannot open {path}") from None
    result = OldWindowsList()
    for number, line in enumerate(text.splitlines(), 1):
        words = line.split(None, 1)
        if not words or words[0].startswith("#"):
            continue
        kind, rest = words[0], (words[1] if len(words) > 1 else "")
        where = f"{path}:{number}: "
        if kind == "msvcrt":
            names = rest.split()
            if not names:
                raise ReadError(where + "an msvcrt line without names")
            result.msvcrt.update(names)
        elif kind in ("present", "missing"):
            parts = rest.split(None, 1)
            if not parts:
                raise ReadError(where + "no library named")
            into = result.present_dlls if kind == "present" else result.missing_dlls
            into[parts[0].lower()] = parts[1].strip() if len(parts) > 1 else ""
        elif kind in ("lacking", "stub", "tolerated"):
            parts = rest.split(None, 2)
            if len(parts) < 2:
                raise ReadError(where + "needs a library and a function")
            if len(parts) < 3 or not parts[2].strip():
                raise ReadError(where + f"says nothing of when {parts[1]} appeared or why")
            into = {"lacking": result.lacking, "stub": result.stubs, "tolerated": result.tolerated}[kind]
            into.setdefault(parts[0].lower(), {})[parts[1]] = parts[2].strip()
        else:
            raise ReadError(where + f'unknown kind "{kind}"')
    return result


# --- the check --------------------------------------------------------------------------

@dataclass(frozen=True)
class Finding:
    dll: str            # empty for the image as a whole
    function: str       # a name, "#ordinal", or empty
    reason: str

    def describe(self, binary: str) -> str:
        where = binary + (f": {self.dll}" if self.dll else "") + (f"!{self.function}" if self.function else "")
        return f"{where}: {self.reason}"


def version_text(v: Tuple[int, int]) -> str:
    return f"{v[0]}.{v[1]}"


def check_image(image: Image, bits: int, old: OldWindowsList) -> List[Finding]:
    found: List[Finding] = []
    oldest = OLDEST[bits]
    if image.file_format != FILE_FORMAT[bits] or image.magic != MAGIC[bits]:
        found.append(Finding("", "", f"machine is not {MACHINE[bits]}"))
    if image.os_version > oldest:
        found.append(Finding("", "", f"OS version {version_text(image.os_version)} is above {version_text(oldest)}"))
    if image.subsystem_version > oldest:
        found.append(Finding("", "", f"subsystem version {version_text(image.subsystem_version)} is above "
                                     f"{version_text(oldest)}"))
    # A 64-bit image runs from XP x64 on; Windows 95's refusal of TLS in a
    # DLL does not concern it.
    if bits == 32 and image.is_dll and image.directory(TLS_DIRECTORY) != (0, 0):
        found.append(Finding("", "", "a DLL with a TLS directory (data directory 9): Windows 95's LoadLibrary "
                                     "refuses it (KB118816)"))
    if image.directory(DELAY_IMPORT_DIRECTORY) != (0, 0):
        found.append(Finding("", "", "delay-loaded imports (data directory 13): objdump does not list them, so "
                                     "they cannot be held against the list; link without delay loading"))
    reported_dlls: Set[str] = set()
    for imp in image.imports:
        dll = imp.dll.lower()
        if dll in old.missing_dlls:
            found.append(Finding(imp.dll, imp.function,
                                 f"library missing on Windows 95 or NT 4.0: {old.missing_dlls[dll]}"))
            continue
        if dll not in old.present_dlls:
            if dll not in reported_dlls:
                reported_dlls.add(dll)
                found.append(Finding(imp.dll, "", "library not known to exist on Windows 95 and NT 4.0; if it "
                                                  'does, add a "present" line with the source to the list'))
            continue
        if imp.ordinal is not None:
            found.append(Finding(imp.dll, imp.function, "imported by ordinal: ordinals are not kept between "
                                                        "versions of a system library; import by name"))
            continue
        note = old.find(old.lacking, imp.dll, imp.name)
        if note is not None:
            found.append(Finding(imp.dll, imp.function, f"not on Windows 95 or NT 4.0: {note}"))
            continue
        note = old.find(old.stubs, imp.dll, imp.name)
        if note is not None:
            if old.find(old.tolerated, imp.dll, imp.name) is None:
                found.append(Finding(imp.dll, imp.function, f"a stub that fails on Windows 95/98/ME: {note}"))
            continue
        # The first 64-bit Windows came with a later msvcrt (XP's), which has
        # what MinGW's 64-bit runtime imports (__iob_func and its data): the
        # Visual C++ 4.2 set concerns 32-bit images only.
        if dll == "msvcrt.dll" and bits == 32 and imp.name not in old.msvcrt:
            found.append(Finding(imp.dll, imp.function,
                                 "not among the msvcrt functions allowed (those of the first runtime, Visual C++ "
                                 "4.2 and NT 4.0). Look it up in mingw-w64's mingw-w64-crt/lib-common/"
                                 "msvcrt.def.in: if it is in the Visual C++ 4.2 list, before the first \"These "
                                 "symbols were added in\", add it to an msvcrt line of the list; otherwise the old "
                                 "runtime lacks it"))
    return found


def check_file(path: str, bits: int, old: OldWindowsList) -> Tuple[Image, List[Finding]]:
    image = read_image(path, bits)
    return image, check_image(image, bits, old)


def bits_of(path: str) -> int:
    """The bitness a shipped binary is built for, by its name."""
    return 64 if re.search(r"64\.(dll|exe)$", os.path.basename(path), re.IGNORECASE) else 32


def main(argv: List[str]) -> int:
    list_path = DEFAULT_LIST
    if argv[:1] == ["--list"] and len(argv) > 1:
        list_path, argv = argv[1], argv[2:]
    if not argv:
        print(__doc__.strip().splitlines()[-4].strip(), file=sys.stderr)
        return 2
    try:
        old = read_list(list_path)
    except ReadError as e:
        print(e, file=sys.stderr)
        return 2
    code = 0
    for path in argv:
        try:
            _, found = check_file(path, bits_of(path), old)
        except ReadError as e:
            print(f"{path}: {e}")
            code = 2
            continue
        for f in found:
            print(f.describe(path))
        if found and code == 0:
            code = 1
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
