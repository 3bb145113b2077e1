"""The steps of a drive: what a person does with one program's main window.
Each step says whether it could reach the window; the log says what it did."""
from __future__ import annotations

import time
from typing import Callable, Dict, List, Optional, Tuple

from . import geometry, screen
from .geometry import BORDER_INSET, CAPTION_Y, Rect
from .hands import RIGHT, Hands
from .programs import (EDIT, ESCAPE_CLOSES, HIDES_WHEN_MINIMIZED, MENUBAR, TABS, TITLE_TOGGLE, Program)

POPUP_WAIT = 4.0            # a menu
DIALOG_WAIT = 10.0          # a dialog (the file dialogs load much of the shell)
RAISE_ATTEMPTS = 2          # clicks to bring a window to the front before dragging it
SETTLE = 0.3                # after a click that brings a window to the front
TITLE_TOGGLE_SETTLE = 0.5
TYPED_LINES = ["varnel drives Wine's own programs", "like a person at the keyboard"]


class StepLog:
    """A program's step log: seconds since its start, then what was done."""

    def __init__(self, path: str, t0: float) -> None:
        self.path = path
        self.t0 = t0

    def __call__(self, text: str) -> None:
        with open(self.path, "a", encoding="utf-8") as f:
            f.write("%7.1fs  %s\n" % (time.monotonic() - self.t0, text))


class Driver:
    def __init__(self, program: Program, upid: int, window: int, log: StepLog, hands: Hands,
                 others: Callable[[], List[Tuple[str, int]]]) -> None:
        self.p = program
        self.upid = upid
        self.win = window
        self.log = log
        self.hands = hands
        # The run's other programs and their main windows, in the order to
        # try them for focus.
        self.others = others

    def steps(self) -> Dict[str, Callable[[], bool]]:
        return {
            "hover": self.hover, "caption_click": self.caption_click,
            "caption_double_click": self.caption_double_click, "roll_up_and_down": self.roll_up_and_down,
            "menu_bar": self.menu_bar, "alt_key": self.alt_key, "system_menu": self.system_menu,
            "about_dialog": self.about_dialog, "common_dialog": self.common_dialog, "typing": self.typing,
            "page_keys": self.page_keys, "resize": self.resize, "move": self.move,
            "minimize_restore": self.minimize_restore, "roll_up_maximized": self.roll_up_maximized,
            "focus_elsewhere": self.focus_elsewhere,
        }

    # --- reaching the window ---------------------------------------------------

    def geometry(self) -> Optional[Rect]:
        return screen.window_geometry(self.win)

    def to_front(self) -> bool:
        """Brings the main window to the front, unless it is in front
        already: a click on a visible bit of it, and again when Wine left it
        behind (with X11 Managed=N a click on a caption raises the window
        only now and then, with or without the engine); at last a short drag
        of its caption there and back, since a move always raises a window."""
        for _ in range(RAISE_ATTEMPTS):
            v = screen.view(self.win)
            if v is None or v.spot is None:
                if v is not None and v.in_front:
                    return True
                self.log(f"  no visible bit of {self.p.name}'s window to click")
                return False
            if v.in_front:
                return True
            self.log(f"click the {v.spot.kind} at {v.spot.x},{v.spot.y} (to the front: under {v.covered_by})")
            self.hands.click(v.spot.x, v.spot.y)
            time.sleep(SETTLE)
        v = screen.view(self.win)
        if v is not None and not v.in_front and v.spot is not None and v.spot.kind == geometry.CAPTION:
            x, y = v.spot.x, v.spot.y
            self.log(f"drag the caption at {x},{y} by {geometry.RAISE_DRAG},0 and back "
                     f"(to the front: under {v.covered_by})")
            self.hands.drag(x, y, geometry.RAISE_DRAG, 0)
            self.hands.drag(x + geometry.RAISE_DRAG, y, -geometry.RAISE_DRAG, 0)
        v = screen.view(self.win)
        if v is not None and v.in_front:
            return True
        self.log(f"  {self.p.name}'s window stays under {v.covered_by if v else ''}")
        return False

    def caption_point(self) -> Optional[geometry.Spot]:
        """A free point of the main window's caption."""
        v = screen.view(self.win)
        if v is not None and v.spot is not None and v.spot.kind == geometry.CAPTION:
            return v.spot
        self.log("  no free bit of caption")
        return None

    def front_caption(self) -> Optional[geometry.Spot]:
        return self.caption_point() if self.to_front() else None

    def escape_from(self, popup: int, what: str) -> None:
        """Escape for a popup or dialog seen open, then its going is checked."""
        self.hands.key("Escape")
        if screen.wait_gone(popup):
            self.log(f"  Escape closed the {what}")
            return
        # A file dialog may first close a drop-down of its own.
        if screen.is_viewable(popup):
            self.hands.key("Escape")
        if screen.wait_gone(popup):
            self.log(f"  a second Escape closed the {what}")
        else:
            self.log(f"  the {what} stayed open")

    def popup_then_escape(self, what: str, action: Callable[[], None]) -> bool:
        """Opens a popup with the action and closes it with Escape once it is
        seen; without a popup no Escape is sent (it could end a dialog program)."""
        known = screen.visible_windows(self.upid)
        action()
        popup = screen.wait_new_window(self.upid, known, POPUP_WAIT)
        if popup is not None:
            self.log(f"  the {what} opened")
            self.escape_from(popup, what)
            return True
        self.log(f"  no {what} opened")
        return False

    def wait_size_change(self, before: Rect) -> Rect:
        return screen.wait_size_change(self.win, before)[1]

    def click_for_size(self, click: str, place: str, x: int, y: int, change: str, before: Rect) -> Rect:
        """A "right click" or "double click" on place at x,y for a change of
        the window's size from before (change: which one); logs the size it
        comes to and returns it."""
        self.log(f"{click} {place} at {x},{y} ({change})")
        if click == "double click":
            self.hands.double_click(x, y)
        else:
            self.hands.click(x, y, RIGHT)
        now = self.wait_size_change(before)
        self.log(f"  {before.size} -> {now.size}")
        return now

    def dragged(self, x: int, y: int, dx: int, dy: int) -> Optional[Rect]:
        """Drags from x,y by dx,dy; the window's place and size after."""
        self.hands.drag(x, y, dx, dy)
        return self.geometry()

    def escape_new_popup(self, known: List[int], note: str) -> None:
        """Closes a popup that opened since known was taken, saying note."""
        popup = screen.wait_new_window(self.upid, known, 0)
        if popup is not None:
            self.log(note)
            self.escape_from(popup, "popup")

    # --- the steps ---------------------------------------------------------------

    def hover(self) -> bool:
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        self.log("move the mouse along the caption, over its boxes, and off it")
        for x, y in geometry.hover_path(r):
            self.hands.move(x, y)
        self.hands.move(*r.centre)
        return True

    def caption_click(self) -> bool:
        spot = self.front_caption()
        if spot is None:
            return False
        self.log(f"click the caption at {spot.x},{spot.y}")
        self.hands.click(spot.x, spot.y)
        return True

    def caption_double_click(self) -> bool:
        spot = self.front_caption()
        r = self.geometry() if spot else None
        if spot is None or r is None:
            return False
        if self.p.has(TITLE_TOGGLE):
            self.log(f"double click the caption at {spot.x},{spot.y} (the caption and menu bar go away)")
            self.hands.double_click(spot.x, spot.y)
            time.sleep(TITLE_TOGGLE_SETTLE)
            self.log(f"double click the same place at {spot.x},{spot.y} (they come back)")
            self.hands.double_click(spot.x, spot.y)
            time.sleep(TITLE_TOGGLE_SETTLE)
            return True
        now = self.click_for_size("double click", "the caption", spot.x, spot.y, "maximise", r)
        if now.size != r.size:
            x, y = now.x + now.w // 2, now.y + CAPTION_Y
            if y < 0:
                self.log("  the caption is off the screen")
                self.restore_by_system_menu()
                return True
            self.click_for_size("double click", "the caption", x, y, "back", now)
        return True

    def roll_up_and_down(self) -> bool:
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        x, y = r.x + BORDER_INSET, r.y + r.h // 2
        if r.x < 0:
            self.log("the window is maximised, its borders off the screen")
            return True
        now = self.click_for_size("right click", "the left border", x, y, "roll up", r)
        if now.h == r.h:
            return True
        # Rolled up: the bottom border rolls it down again; a second try when
        # the first click did not reach it.
        for _ in range(2):
            rolled = self.geometry() if self.to_front() else None
            if rolled is None:
                return False
            x, y = rolled.x + rolled.w // 2, rolled.y + rolled.h - 1 - BORDER_INSET
            now = self.click_for_size("right click", "the bottom border", x, y, "roll down", rolled)
            if now.h != rolled.h:
                return True
        return False

    def roll_up_maximized(self) -> bool:
        if self.p.has(TITLE_TOGGLE):
            self.log(f"maximising skipped: a double click on {self.p.name} hides its caption")
            return True
        spot = self.front_caption()
        r = self.geometry() if spot else None
        if spot is None or r is None:
            return False
        self.log(f"double click the caption at {spot.x},{spot.y} (maximise)")
        self.hands.double_click(spot.x, spot.y)
        changed, maxed = screen.wait_size_change(self.win, r)
        if not changed:
            self.log("  not maximised")
            return True
        x, y = maxed.x + maxed.w // 2, maxed.y + CAPTION_Y
        if y < 0:
            self.log("  the caption is off the screen")
            self.restore_by_system_menu()
            return True
        known = screen.visible_windows(self.upid)
        now = self.click_for_size("right click", "the maximised caption", x, y, "roll up", maxed)
        # Without the engine a right click on a caption opens the system menu.
        self.escape_new_popup(known, "  a popup opened instead")
        if now.h != maxed.h:
            now = self.click_for_size("right click", "the caption", x, y, "roll down", now)
            self.escape_new_popup(known, "  a popup opened too")
        self.click_for_size("double click", "the caption", x, y, "back from maximised", now)
        return True

    def menu_bar(self) -> bool:
        if not self.p.has(MENUBAR):
            self.log("no menu bar: the system menu instead")
            return self.system_menu()
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        x, y = r.x + geometry.FIRST_MENU_X, r.y + geometry.MENU_Y
        self.log(f"click the first menu bar item at {x},{y}")
        self.popup_then_escape("menu", lambda: self.hands.click(x, y))
        # The menu bar stays selected after Escape; a click on the caption leaves it.
        spot = self.caption_point()
        if spot is not None:
            self.log(f"click the caption at {spot.x},{spot.y} (leave the menu bar)")
            self.hands.click(spot.x, spot.y)
        return True

    def alt_key(self) -> bool:
        if not self.p.has(MENUBAR) or self.p.has(ESCAPE_CLOSES):
            self.log(f"Alt and Escape skipped: {self.p.name} has no menu bar for Alt, "
                     "or would take the Escape for itself")
            return True
        if not self.to_front():
            return False
        self.log("press Alt (menu bar selected), then Escape")
        self.hands.key("alt")
        time.sleep(0.2)
        self.hands.key("Escape")
        return True

    def system_menu(self) -> bool:
        if not self.to_front():
            return False
        self.log("press Alt+Space (system menu)")
        return self.popup_then_escape("system menu", lambda: self.hands.key("alt+space"))

    def open_system_menu(self) -> Optional[int]:
        known = screen.visible_windows(self.upid)
        self.hands.key("alt+space")
        popup = screen.wait_new_window(self.upid, known, POPUP_WAIT)
        if popup is None:
            self.log("  no system menu opened")
        return popup

    def about_dialog(self) -> bool:
        if not self.to_front():
            return False
        self.log("press Alt+Space, then A (About Wine)")
        popup = self.open_system_menu()
        if popup is None:
            return True
        known = screen.visible_windows(self.upid)
        self.hands.key("a")
        dialog = screen.wait_new_window(self.upid, known, DIALOG_WAIT)
        if dialog is not None:
            self.log("  the About dialog opened")
            self.escape_from(dialog, "About dialog")
            return True
        self.log("  no About dialog opened")
        if screen.is_viewable(popup):
            self.escape_from(popup, "system menu")
            return True
        return False

    def common_dialog(self) -> bool:
        keys = self.p.dialog_key
        if not keys:
            self.log("no common dialog key: the About dialog instead")
            return self.about_dialog()
        if not self.to_front():
            return False
        known = screen.visible_windows(self.upid)
        self.log(f"press {keys} (common dialog)")
        self.hands.key(keys)
        dialog = screen.wait_new_window(self.upid, known, DIALOG_WAIT)
        if dialog is not None:
            self.log("  the dialog opened")
            self.escape_from(dialog, "dialog")
        else:
            self.log("  no dialog opened")
        return True

    def typing(self) -> bool:
        if not self.p.has(EDIT):
            self.log("no edit to type into")
            return True
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        x, y = r.centre
        self.log(f"click the edit at {x},{y} and type two lines")
        self.hands.click(x, y)
        for line in TYPED_LINES:
            self.hands.type(line)
            self.hands.key("Return")
        return True

    def page_keys(self) -> bool:
        if not self.to_front():
            return False
        if self.p.has(TABS):
            self.log("press Ctrl+Page Down twice and Ctrl+Page Up twice (property sheet pages)")
            self.hands.key("ctrl+Next", "ctrl+Next", "ctrl+Prior", "ctrl+Prior")
            return True
        r = self.geometry()
        if r is None:
            return False
        x, y = r.centre
        self.log(f"click the client area at {x},{y}, then Page Down x3 and Page Up x3")
        self.hands.click(x, y)
        self.hands.key("Next", "Next", "Next", "Prior", "Prior", "Prior")
        return True

    def resize(self) -> bool:
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        by = geometry.RESIZE_BY
        x, y = r.sizing_corner
        self.log(f"drag the bottom right corner from {x},{y} by -{by},-{by}")
        now = self.dragged(x, y, -by, -by)
        if now is None:
            return False
        self.log(f"  {r.size} -> {now.size}")
        x, y = now.sizing_corner
        self.log(f"drag the bottom right corner from {x},{y} by +{by},+{by}")
        now = self.dragged(x, y, by, by)
        if now is None:
            return False
        self.log(f"  -> {now.size}")
        return True

    def move(self) -> bool:
        spot = self.front_caption()
        if spot is None:
            return False
        by = geometry.MOVE_BY
        self.log(f"drag the caption from {spot.x},{spot.y} by {by},{by} and back")
        now = self.dragged(spot.x, spot.y, by, by)
        if now is None:
            return False
        self.log(f"  at {now.x},{now.y}")
        now = self.dragged(spot.x + by, spot.y + by, -by, -by)
        if now is None:
            return False
        self.log(f"  at {now.x},{now.y}")
        return True

    def minimize_restore(self) -> bool:
        if self.p.has(HIDES_WHEN_MINIMIZED):
            self.log(f"minimise skipped: {self.p.name} hides itself when minimised")
            return True
        r = self.geometry() if self.to_front() else None
        if r is None:
            return False
        self.log("press Alt+Space, then N (minimise)")
        if self.open_system_menu() is None:
            return True
        self.hands.key("n")
        now = self.wait_size_change(r)
        self.log(f"  {r.size} -> {now.size} at {now.x},{now.y}")
        if now.h == r.h:
            return True
        # A double click on the clock toggles its caption instead.
        if self.p.has(TITLE_TOGGLE):
            self.restore_minimized()
            return True
        x, y = now.x + now.w // 3, now.y + now.h // 2
        now = self.click_for_size("double click", "the minimised window", x, y, "restore", now)
        if now.h <= geometry.MINIMIZED_HEIGHT:
            self.restore_minimized()
        return True

    def restore_minimized(self) -> bool:
        """A click on a minimised window opens its system menu; R restores
        it (the clock takes a double click there for its own)."""
        r = self.geometry()
        if r is None:
            return False
        x, y = r.x + r.w // 3, r.y + r.h // 2
        self.log(f"click the minimised window at {x},{y}, then R (restore)")
        known = screen.visible_windows(self.upid)
        self.hands.click(x, y)
        popup = screen.wait_new_window(self.upid, known, POPUP_WAIT)
        if popup is None:
            self.log("  no system menu opened")
            return False
        return self.choose_restore(popup, r)

    def choose_restore(self, popup: int, before: Rect) -> bool:
        """R (Restore) in the open system menu, then the new size; the menu
        is closed if it stayed open."""
        self.hands.key("r")
        now = self.wait_size_change(before)
        self.log(f"  -> {now.size}")
        if screen.is_viewable(popup):
            self.escape_from(popup, "system menu")
        return True

    def restore_by_system_menu(self) -> bool:
        """Alt+Space, then R (Restore): for a maximised window whose caption
        is off the screen (Task Manager maximises its dialog with the
        caption above the screen's top edge, with or without the engine)."""
        r = self.geometry()
        if r is None:
            return False
        self.log("press Alt+Space, then R (restore)")
        popup = self.open_system_menu()
        if popup is None:
            return False
        return self.choose_restore(popup, r)

    def focus_elsewhere(self) -> bool:
        """Focus to the next program of the run that shows a bit of its
        window, then back."""
        for name, window in self.others():
            if not screen.is_viewable(window):
                continue
            v = screen.view(window)
            if v is not None and v.spot is not None:
                self.log(f"click {name}'s {v.spot.kind} at {v.spot.x},{v.spot.y} (focus to {name})")
                self.hands.click(v.spot.x, v.spot.y)
                time.sleep(SETTLE)
                self.log(f"focus back to {self.p.name}")
                return self.to_front()
        self.log("no other program shows a bit of its window")
        return True

    # --- after each step -----------------------------------------------------------

    def tidy(self, known_before_step: List[int]) -> None:
        """As a person tidies up before going on: a popup or dialog the step
        left open (a right click on a caption opens the system menu) is
        closed with Escape, and a window left maximised or minimised is given
        its normal size back, so that it neither covers the other programs
        nor misleads the next step. A window left rolled up stays so: that
        is the engine's to answer for, and the verdicts look at it."""
        for w in screen.visible_windows(self.upid):
            if w in known_before_step or w == self.win:
                continue
            r = screen.window_geometry(w)
            if r is None or not r.is_popup_size():
                continue
            self.log(f"tidy: a window {r.size} at {r.x},{r.y} was left open")
            self.escape_from(w, "window left open")
        r = self.geometry()
        if r is None:
            return
        if r.is_maximized():
            self.log("tidy: the window was left maximised")
            self.restore_by_system_menu()
        elif r.is_minimized_strip():
            self.log("tidy: the window was left minimised")
            self.restore_minimized()
