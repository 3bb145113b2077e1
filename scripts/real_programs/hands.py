"""The person's hands: the mouse and keys through xdotool, with clicks kept
from pairing into double clicks by accident."""
from __future__ import annotations

import subprocess
import time
from typing import List, Union

from . import geometry

PRESS_SECONDS = 0.12        # how long a click holds the button down
DOUBLE_CLICK_GAP = 0.6      # longer than the system's double-click time (500 ms)
DOUBLE_CLICK_DELAY_MS = 90  # between the two clicks of a double click
KEY_DELAY_MS = 60
TYPE_DELAY_MS = 12
LEFT = 1
RIGHT = 3


def xdotool(*args: Union[str, int, float]) -> bool:
    return subprocess.run(["xdotool"] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


class Hands:
    def __init__(self) -> None:
        self.last_click = 0.0
        self.last_x = -100
        self.last_y = -100

    def _gap(self, x: int, y: int) -> None:
        """Two separate clicks at about the same place never come closer in
        time than DOUBLE_CLICK_GAP, so that no click pairs with the one
        before it into a double click."""
        if not geometry.may_pair(x, y, self.last_x, self.last_y):
            return
        wait = self.last_click + DOUBLE_CLICK_GAP - time.monotonic()
        if wait > 0:
            time.sleep(wait)

    def _clicked(self, x: int, y: int) -> None:
        self.last_click = time.monotonic()
        self.last_x, self.last_y = x, y

    def click(self, x: int, y: int, button: int = LEFT) -> None:
        x, y = geometry.on_screen(x), geometry.on_screen(y)
        self._gap(x, y)
        xdotool("mousemove", x, y, "sleep", 0.05, "mousedown", button, "sleep", PRESS_SECONDS, "mouseup", button)
        self._clicked(x, y)

    def double_click(self, x: int, y: int) -> None:
        x, y = geometry.on_screen(x), geometry.on_screen(y)
        self._gap(x, y)
        xdotool("mousemove", x, y, "sleep", 0.05, "click", "--repeat", 2, "--delay", DOUBLE_CLICK_DELAY_MS, LEFT)
        self._clicked(x, y)

    def drag(self, x: int, y: int, dx: int, dy: int) -> None:
        """Press, move there in DRAG_STEPS steps, release."""
        moves: List[Union[str, int, float]] = []
        for px, py in geometry.drag_path(x, y, dx, dy):
            moves += ["mousemove", px, py, "sleep", 0.04]
        self._gap(x, y)
        xdotool("mousemove", x, y, "sleep", 0.1, "mousedown", LEFT, "sleep", 0.2, *moves,
                "sleep", 0.15, "mouseup", LEFT, "sleep", 0.1)
        self._clicked(x + dx, y + dy)

    def move(self, x: int, y: int) -> None:
        xdotool("mousemove", x, y, "sleep", 0.05)

    def key(self, *keys: str) -> None:
        xdotool("key", "--delay", KEY_DELAY_MS, *keys)

    def type(self, text: str) -> None:
        xdotool("type", "--delay", TYPE_DELAY_MS, text)
