"""Where a person points: window geometry under Wine's own frames (X11
driver Managed=N), in pixels from the window's outer edges, and the
arrangement of the programs on the Xvfb screen."""
from __future__ import annotations

import re
from dataclasses import dataclass
from typing import List, Optional, Tuple

CAPTION_Y = 12              # the middle of the caption strip
MENU_Y = 31                 # the middle of the menu bar
FIRST_MENU_X = 20           # inside the first menu bar item
BORDER_INSET = 1            # inside the sizing border (also inside a thin border)
CAPTION_END_MARGIN = 70     # clear of the caption boxes at either end (striped: close box left)
CORNER_MARGIN = 30          # clear of the sizing corners on a border
SCREEN_WIDTH = 1280         # the Xvfb screen (scripts/wine-env)
SCREEN_HEIGHT = 1024
# Arranged windows: no larger than this, in a staircase running down and to
# the left from the top right, below the system tray window Wine puts at the
# top left. Each window's caption then shows its left end (SLOT_DX wide) from
# under the windows started before it, which stand higher and further right,
# while those started after it stand lower, below its caption.
MAX_WIDTH = 700
MAX_HEIGHT = 540
SLOT_DX = 62
SLOT_DY = 36
SLOT_Y0 = 50
RESIZE_BY = 90              # a resize drag shrinks the window by this much and grows it back
MOVE_BY = 40                # a move drag shifts the window by this much and back
MIN_POPUP_SIZE = 30         # a popup or dialog smaller than this is a tooltip
MINIMIZED_HEIGHT = 24       # a minimised window: a strip this high at the screen's bottom
MINIMIZED_SLACK = 4         # how far above the bottom such a strip may stand
DOUBLE_CLICK_DISTANCE = 6   # farther apart than this, two clicks never pair (the system's is 4)
DRAG_STEPS = 8              # pointer moves of a drag (Wine's move and size loops follow motion, not jumps)
RAISE_DRAG = 8              # pixels of the drag that raises a window at last
HOVER_POINTS = 10           # points of the mouse's way along a caption
HOVER_INSET = 5             # from either end of the caption

# The spots a person looks for, as offsets from the middle of the edge.
CAPTION_OFFSETS = [0] + [o for step in range(20, 361, 20) for o in (-step, step)]
BOTTOM_OFFSETS = [0] + [o for step in range(40, 321, 40) for o in (-step, step)]
RIGHT_OFFSETS = [0] + [o for step in range(40, 241, 40) for o in (-step, step)]

CAPTION = "caption"
BOTTOM_BORDER = "bottom-border"
RIGHT_BORDER = "right-border"


def idiv(a: int, b: int) -> int:
    """Integer division toward zero, as the pointer arithmetic was written."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    w: int
    h: int

    def contains(self, x: int, y: int) -> bool:
        return self.x <= x < self.x + self.w and self.y <= y < self.y + self.h

    def overlaps(self, other: "Rect") -> bool:
        return (other.x < self.x + self.w and self.x < other.x + other.w and
                other.y < self.y + self.h and self.y < other.y + other.h)

    @property
    def size(self) -> str:
        return f"{self.w}x{self.h}"

    @property
    def centre(self) -> Tuple[int, int]:
        return self.x + idiv(self.w, 2), self.y + idiv(self.h, 2)

    @property
    def sizing_corner(self) -> Tuple[int, int]:
        """Inside the bottom right corner of the sizing border."""
        return self.x + self.w - 1 - BORDER_INSET, self.y + self.h - 1 - BORDER_INSET

    def is_maximized(self) -> bool:
        # Wine puts a maximised window's borders off the screen.
        return self.x < 0 and self.w >= SCREEN_WIDTH

    def is_minimized_strip(self) -> bool:
        return self.y >= SCREEN_HEIGHT - MINIMIZED_HEIGHT - MINIMIZED_SLACK and self.h <= MINIMIZED_HEIGHT

    def is_popup_size(self) -> bool:
        """Big enough to be a menu or dialog rather than a tooltip."""
        return self.w >= MIN_POPUP_SIZE and self.h >= MIN_POPUP_SIZE


@dataclass(frozen=True)
class Spot:
    kind: str   # CAPTION, BOTTOM_BORDER or RIGHT_BORDER
    x: int
    y: int


@dataclass(frozen=True)
class StackedWindow:
    id: int
    rect: Rect


# A child of the root as "xwininfo -root -children" lists it:
#   0x600004 "Notepad": ("notepad.exe" "Wine")  700x540+518+50  +518+50
_CHILD = re.compile(r"^(0x[0-9a-f]+) .* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) +\+-?[0-9]+\+-?[0-9]+$")


def parse_stacking(xwininfo_children: str) -> List[StackedWindow]:
    """The root's children, top window first, as the X server stacks them."""
    out = []
    for line in xwininfo_children.splitlines():
        m = _CHILD.match(line.lstrip(" "))
        if m:
            out.append(StackedWindow(int(m.group(1), 16),
                                     Rect(int(m.group(4)), int(m.group(5)), int(m.group(2)), int(m.group(3)))))
    return out


def windows_above(stacking: List[StackedWindow], target: int, visible: List[int]) -> List[StackedWindow]:
    """The visible windows stacked above the target."""
    above = []
    for w in stacking:
        if w.id == target:
            break
        if w.id in visible:
            above.append(w)
    return above


def first_cover(target: Rect, above: List[StackedWindow]) -> Optional[StackedWindow]:
    for w in above:
        if w.rect.overlaps(target):
            return w
    return None


def candidate_spots(target: Rect) -> List[Spot]:
    """Where a person would click to reach a window, best first: on the
    caption clear of its boxes, else on its bottom border, else on its right
    border (a click there without a drag only activates)."""
    tx, ty, tw, th = target.x, target.y, target.w, target.h
    caption_y = ty + CAPTION_Y
    bottom_y = ty + th - 1 - BORDER_INSET
    right_x = tx + tw - 1 - BORDER_INSET
    spots = []
    for offset in CAPTION_OFFSETS:
        x = tx + idiv(tw, 2) + offset
        if tx + idiv(CAPTION_END_MARGIN, 2) <= x <= tx + tw - CAPTION_END_MARGIN:
            spots.append(Spot(CAPTION, x, caption_y))
    for offset in BOTTOM_OFFSETS:
        x = tx + idiv(tw, 2) + offset
        if tx + CORNER_MARGIN <= x <= tx + tw - CORNER_MARGIN:
            spots.append(Spot(BOTTOM_BORDER, x, bottom_y))
    for offset in RIGHT_OFFSETS:
        y = ty + idiv(th, 2) + offset
        if ty + CORNER_MARGIN <= y <= ty + th - CORNER_MARGIN:
            spots.append(Spot(RIGHT_BORDER, right_x, y))
    return spots


def free_spot(target: Rect, above: List[StackedWindow]) -> Optional[Spot]:
    """The first candidate spot on the screen that no window above covers."""
    for spot in candidate_spots(target):
        if not (0 <= spot.x < SCREEN_WIDTH and 0 <= spot.y < SCREEN_HEIGHT):
            continue
        if not any(w.rect.contains(spot.x, spot.y) for w in above):
            return spot
    return None


def cascade_slot(slot: int) -> Tuple[int, int]:
    """The top left corner of the slot-th arranged window."""
    return (SCREEN_WIDTH - MAX_WIDTH - idiv(SLOT_DX, 10) - slot * SLOT_DX, SLOT_Y0 + slot * SLOT_DY)


def shrink_to_fit(r: Rect) -> Tuple[int, int]:
    """How far to drag the sizing corner to make the window no larger than
    MAX_WIDTH x MAX_HEIGHT (0, 0 when it fits)."""
    return (MAX_WIDTH - r.w if r.w > MAX_WIDTH else 0, MAX_HEIGHT - r.h if r.h > MAX_HEIGHT else 0)


def drag_path(x: int, y: int, dx: int, dy: int, steps: int = DRAG_STEPS) -> List[Tuple[int, int]]:
    return [(x + idiv(dx * i, steps), y + idiv(dy * i, steps)) for i in range(1, steps + 1)]


def hover_path(r: Rect) -> List[Tuple[int, int]]:
    """Along the caption, over its boxes at both ends."""
    y = r.y + CAPTION_Y
    return [(r.x + HOVER_INSET + idiv((r.w - 2 * HOVER_INSET) * i, HOVER_POINTS), y)
            for i in range(1, HOVER_POINTS + 1)]


def on_screen(v: int) -> int:
    """A point off the screen's left or top edge (a maximised window's
    border) is clamped onto it."""
    return max(v, 0)


def may_pair(x: int, y: int, last_x: int, last_y: int) -> bool:
    """Whether a click here could pair with the last one into a double click."""
    return abs(x - last_x) <= DOUBLE_CLICK_DISTANCE and abs(y - last_y) <= DOUBLE_CLICK_DISTANCE


def is_main_window_area(area: int) -> bool:
    """Bigger than any tooltip: a program's main window."""
    return area > MIN_POPUP_SIZE * MIN_POPUP_SIZE
