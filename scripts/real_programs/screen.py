"""Looking at the Xvfb screen: window geometry, visibility and stacking
from the X server (xdotool, xwininfo)."""
from __future__ import annotations

import subprocess
import time
from dataclasses import dataclass
from typing import Dict, Iterable, List, Optional, Tuple

from . import geometry
from .geometry import Rect, Spot
from .verdicts import CRASH_WINDOW_PATTERN

GONE_WAIT = 4.0         # a closed popup or dialog to go
CHANGE_WAIT = 1.2       # a window's size after a click that may change it
POLL = 0.1


def _output(args: List[str]) -> Optional[str]:
    try:
        done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, errors="replace")
    except OSError:
        return None
    return done.stdout if done.returncode == 0 else None


def window_geometry(window: int) -> Optional[Rect]:
    """Screen coordinates of an X window; None when it is gone."""
    out = _output(["xdotool", "getwindowgeometry", "--shell", str(window)])
    if out is None:
        return None
    values: Dict[str, int] = {}
    for line in out.splitlines():
        key, _, value = line.partition("=")
        if key in ("X", "Y", "WIDTH", "HEIGHT"):
            try:
                values[key] = int(value)
            except ValueError:
                return None
    if len(values) != 4:
        return None
    return Rect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"])


def is_viewable(window: int) -> bool:
    out = _output(["xwininfo", "-id", str(window)])
    return out is not None and "IsViewable" in out


def window_name(window: int) -> str:
    out = _output(["xdotool", "getwindowname", str(window)])
    return "" if out is None else out.rstrip("\n")


def _ids(out: Optional[str]) -> List[int]:
    return [int(line) for line in (out or "").split() if line.isdigit()]


def visible_windows(pid: int) -> List[int]:
    """The visible X windows of a Unix process, sorted."""
    return sorted(_ids(_output(["xdotool", "search", "--onlyvisible", "--pid", str(pid)])), key=str)


def crash_window_shown() -> bool:
    return bool(_ids(_output(["xdotool", "search", "--onlyvisible", "--name", CRASH_WINDOW_PATTERN])))


def main_window(pid: int) -> Optional[int]:
    """The biggest visible X window of a Unix process, unless that is a tooltip."""
    best, area = None, 0
    for w in visible_windows(pid):
        r = window_geometry(w)
        if r is not None and r.w * r.h > area:
            best, area = w, r.w * r.h
    if best is not None and geometry.is_main_window_area(area):
        return best
    return None


def wait_new_window(pid: int, known: Iterable[int], seconds: float) -> Optional[int]:
    """The first visible window of the process that is not among the known
    ones and is no tooltip; looks at least once."""
    known = set(known)
    deadline = time.monotonic() + seconds
    first = True
    while first or time.monotonic() < deadline:
        first = False
        for w in visible_windows(pid):
            if w in known:
                continue
            r = window_geometry(w)
            if r is not None and r.is_popup_size():
                return w
        time.sleep(POLL)
    return None


def wait_gone(window: int) -> bool:
    deadline = time.monotonic() + GONE_WAIT
    while time.monotonic() < deadline:
        if not is_viewable(window):
            return True
        time.sleep(POLL)
    return False


def wait_size_change(window: int, before: Rect) -> Tuple[bool, Rect]:
    """Until the window's size differs from before's, or CHANGE_WAIT has
    passed: whether it changed, and the last geometry seen."""
    last = before
    deadline = time.monotonic() + CHANGE_WAIT
    while time.monotonic() < deadline:
        r = window_geometry(window)
        if r is None:
            return False, last
        last = r
        if (r.w, r.h) != (before.w, before.h):
            return True, r
        time.sleep(POLL)
    return False, last


@dataclass
class View:
    """How much of a window a person sees: whether any visible window above
    overlaps it (and which), and a spot no other window covers, if any."""
    rect: Rect
    in_front: bool
    covered_by: str
    spot: Optional[Spot]


def view(target: int) -> Optional[View]:
    """None when the window is gone."""
    rect = window_geometry(target)
    if rect is None:
        return None
    visible = _ids(_output(["xdotool", "search", "--onlyvisible", "--maxdepth", "1", "--class", "."]))
    stacking = geometry.parse_stacking(_output(["xwininfo", "-root", "-children"]) or "")
    above = geometry.windows_above(stacking, target, visible)
    cover = geometry.first_cover(rect, above)
    covered_by = ""
    if cover is not None:
        c = cover.rect
        covered_by = f'{cover.id} "{window_name(cover.id)}" {c.w}x{c.h}+{c.x}+{c.y}'
    return View(rect, cover is None, covered_by, geometry.free_spot(rect, above))


def screenshot(display: str, path: str) -> bool:
    return subprocess.run(["import", "-display", display, "-window", "root", path], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
