"""Where the drive points: the free spot of a window under others as the X
server stacks them, the arrangement and the pointer's paths."""
import unittest

from real_programs import geometry as g
from real_programs.geometry import Rect, Spot, StackedWindow

XWININFO = """
xwininfo: Window id: 0x1d0 (the root window) (has no name)

  Root window id: 0x1d0 (the root window) (has no name)
  Parent window id: 0x0 (none)
     4 children:
     0x1600001 "WineMine": ("winemine.exe" "Wine")  160x226+450+122  +450+122
     0x1400001 "Registry Editor": ("regedit.exe" "Wine")  700x540+512+86  +512+86
     0x1200001 "Notepad": ("notepad.exe" "Wine")  700x540+574+50  +574+50
     0x1000001 (has no name): ()  1x1+-1+-1  +-1+-1
"""
NOTEPAD, REGEDIT, MINE = 0x1200001, 0x1400001, 0x1600001


class Stacking(unittest.TestCase):
    def test_children_top_first_and_only_visible_ones_above_the_target(self):
        stacking = g.parse_stacking(XWININFO)
        self.assertEqual([MINE, REGEDIT, NOTEPAD, 0x1000001], [w.id for w in stacking])
        self.assertEqual(Rect(512, 86, 700, 540), stacking[1].rect)
        self.assertEqual(Rect(-1, -1, 1, 1), stacking[3].rect)
        above = g.windows_above(stacking, NOTEPAD, [NOTEPAD, REGEDIT])
        self.assertEqual([REGEDIT], [w.id for w in above])
        self.assertEqual([], g.windows_above(stacking, MINE, [MINE, REGEDIT, NOTEPAD]))


class FreeSpots(unittest.TestCase):
    NOTEPAD = Rect(574, 50, 700, 540)

    def test_an_uncovered_window_is_clicked_mid_caption(self):
        self.assertIsNone(g.first_cover(self.NOTEPAD, []))
        self.assertEqual(Spot(g.CAPTION, 924, 62), g.free_spot(self.NOTEPAD, []))

    def test_the_caption_end_that_shows_beside_a_window_above(self):
        above = [StackedWindow(REGEDIT, Rect(512, 86, 700, 540))]
        # Regedit starts below Notepad's caption: the caption is still free.
        self.assertEqual(Spot(g.CAPTION, 924, 62), g.free_spot(self.NOTEPAD, above))
        self.assertEqual(REGEDIT, g.first_cover(self.NOTEPAD, above).id)
        over_middle = [StackedWindow(1, Rect(700, 0, 400, 100))]
        # Offsets alternate left and right from the middle: +180 clears it before -240 does.
        self.assertEqual(Spot(g.CAPTION, 1104, 62), g.free_spot(self.NOTEPAD, over_middle))

    def test_covered_caption_falls_back_to_the_bottom_then_the_right_border(self):
        caption_covered = [StackedWindow(1, Rect(500, 0, 900, 100))]
        self.assertEqual(Spot(g.BOTTOM_BORDER, 924, 588), g.free_spot(self.NOTEPAD, caption_covered))
        all_but_right = caption_covered + [StackedWindow(2, Rect(500, 100, 770, 600))]
        self.assertEqual(Spot(g.RIGHT_BORDER, 1272, 320), g.free_spot(self.NOTEPAD, all_but_right))
        everything = [StackedWindow(3, Rect(0, 0, 1280, 1024))]
        self.assertIsNone(g.free_spot(self.NOTEPAD, everything))

    def test_spots_off_the_screen_and_near_the_caption_boxes_are_never_chosen(self):
        # A window mostly off the left edge: only caption spots on the screen.
        spot = g.free_spot(Rect(-600, 100, 700, 300), [])
        self.assertEqual(g.CAPTION, spot.kind)
        self.assertGreaterEqual(spot.x, 0)
        for s in g.candidate_spots(Rect(100, 100, 300, 200)):
            if s.kind == g.CAPTION:
                self.assertTrue(100 + 35 <= s.x <= 400 - g.CAPTION_END_MARGIN)
            else:
                self.assertTrue(s.x <= 400 - g.CORNER_MARGIN or s.kind == g.RIGHT_BORDER)
        # Too narrow for any caption spot.
        self.assertNotIn(g.CAPTION, [s.kind for s in g.candidate_spots(Rect(0, 0, 100, 200))])


class Arrangement(unittest.TestCase):
    def test_staircase_down_and_left_from_the_top_right(self):
        self.assertEqual((574, 50), g.cascade_slot(0))
        self.assertEqual((512, 86), g.cascade_slot(1))
        self.assertEqual((450, 122), g.cascade_slot(2))

    def test_shrink_only_what_is_too_large(self):
        self.assertEqual((-272, -189), g.shrink_to_fit(Rect(0, 0, 972, 729)))
        self.assertEqual((0, -10), g.shrink_to_fit(Rect(0, 0, 160, 550)))
        self.assertEqual((0, 0), g.shrink_to_fit(Rect(0, 0, 700, 540)))


class PointerPaths(unittest.TestCase):
    def test_a_drag_moves_in_steps_rounding_toward_the_start(self):
        path = g.drag_path(100, 100, -90, 45)
        self.assertEqual(g.DRAG_STEPS, len(path))
        self.assertEqual((89, 105), path[0])
        self.assertEqual((10, 145), path[-1])

    def test_hover_runs_to_the_caption_boxes(self):
        path = g.hover_path(Rect(574, 50, 700, 540))
        self.assertEqual((648, 62), path[0])
        self.assertEqual((1269, 62), path[-1])

    def test_clicks_pair_only_near_each_other(self):
        self.assertTrue(g.may_pair(100, 100, 106, 94))
        self.assertFalse(g.may_pair(100, 100, 107, 100))
        self.assertFalse(g.may_pair(100, 100, 100, 93))
        self.assertEqual((0, 5), (g.on_screen(-4), g.on_screen(5)))


class WindowStates(unittest.TestCase):
    def test_maximised_minimised_and_popup_sizes(self):
        self.assertTrue(Rect(-4, -4, 1288, 1032).is_maximized())
        self.assertFalse(Rect(0, 0, 1280, 1024).is_maximized())
        self.assertTrue(Rect(0, 1000, 160, 24).is_minimized_strip())
        self.assertFalse(Rect(0, 990, 160, 24).is_minimized_strip())
        self.assertFalse(Rect(0, 1000, 160, 27).is_minimized_strip())
        self.assertTrue(Rect(0, 0, 30, 30).is_popup_size())
        self.assertFalse(Rect(0, 0, 200, 29).is_popup_size())
        self.assertTrue(g.is_main_window_area(31 * 30))
        self.assertFalse(g.is_main_window_area(30 * 30))
        self.assertEqual((1272, 588), Rect(574, 50, 700, 540).sizing_corner)


if __name__ == "__main__":
    unittest.main()
