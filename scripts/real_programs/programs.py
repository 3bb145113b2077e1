"""The programs the run drives: where each lives in the prefix, what its
command line adds, and what a person may do with it."""
from __future__ import annotations

from dataclasses import dataclass, replace
from typing import Dict, FrozenSet, List, Optional

# What a person may do with each program without ending it by accident:
MENUBAR = "menubar"                  # it has a menu bar (click its first item, Alt then Escape)
ESCAPE_CLOSES = "escapecloses"       # a bare Escape or a lone Alt would end it (a dialog as main
                                     # window): Escape goes only to a popup or dialog seen to be open
EDIT = "edit"                        # its client area takes typed text
HIDES_WHEN_MINIMIZED = "hideswhenminimized"  # minimising hides it with nothing left to restore
                                     # it from (Task Manager's default), so it is not minimised
TABS = "tabs"                        # its client area is a property sheet: pages change with
                                     # Ctrl+Page Down/Up instead of clicks that would press its buttons
TITLE_TOGGLE = "titletoggle"         # a double click on it hides its caption and menu bar (or
                                     # shows them again) instead of maximising it


@dataclass(frozen=True)
class Program:
    name: str
    exe: str
    args: Optional[str] = None
    traits: FrozenSet[str] = frozenset()
    # The keys that open a common dialog (Escape cancels it), if any.
    dialog_key: Optional[str] = None
    # The self-check's fixtures: the verdict the planted fault must get
    # under the engine (without it: ok).
    planted: Optional[str] = None

    def has(self, trait: str) -> bool:
        return trait in self.traits

    @property
    def image(self) -> str:
        """The executable's file name, as the probe finds processes by it."""
        return self.exe.replace("\\", "/").rsplit("/", 1)[-1]

    def command(self) -> List[str]:
        return [self.exe] + ([self.args] if self.args else [])


def _program(name: str, exe: str, *traits: str, dialog: Optional[str] = None,
             args: Optional[str] = None) -> Program:
    return Program(name, exe, args, frozenset(traits), dialog)


ALL: List[Program] = [
    _program("notepad", r"C:\windows\system32\notepad.exe", MENUBAR, EDIT, dialog="ctrl+o"),
    _program("regedit", r"C:\windows\regedit.exe", MENUBAR, dialog="ctrl+f"),
    _program("winefile", r"C:\windows\system32\winefile.exe", MENUBAR),
    _program("wordpad", r"C:\Program Files\Windows NT\Accessories\wordpad.exe", MENUBAR, EDIT, dialog="ctrl+o"),
    _program("winemine", r"C:\windows\system32\winemine.exe", MENUBAR),
    _program("taskmgr", r"C:\windows\system32\taskmgr.exe", MENUBAR, ESCAPE_CLOSES, HIDES_WHEN_MINIMIZED),
    _program("control", r"C:\windows\system32\control.exe", MENUBAR),
    _program("winecfg", r"C:\windows\system32\winecfg.exe", ESCAPE_CLOSES, TABS),
    _program("clock", r"C:\windows\system32\clock.exe", MENUBAR, TITLE_TOGGLE),
    _program("explorer", r"C:\windows\explorer.exe", args=r"C:\windows"),
]
SMALL_NAMES: List[str] = ["notepad", "regedit", "winemine"]

# The self-check's programs: a fixture with one fault planted in each, let
# out by a right click on the frame when the engine is loaded. Their
# executable is the build's, set once the build directory is known.
PLANTED_FIXTURE = "PLANTED_FAULTS"
PLANTED: List[Program] = [
    Program(f"planted-{fault}", PLANTED_FIXTURE, fault, frozenset({MENUBAR}), None, fault)
    for fault in ("crash", "hang", "lost")
]

BY_NAME: Dict[str, Program] = {p.name: p for p in ALL + PLANTED}


def with_planted_fixture(program: Program, fixture_windows_path: str) -> Program:
    if program.exe != PLANTED_FIXTURE:
        return program
    return replace(program, exe=fixture_windows_path)


def windows_path(unix_path: str) -> str:
    """A Unix path as the programs see it (drive Z:)."""
    return "Z:" + unix_path.replace("/", "\\")
