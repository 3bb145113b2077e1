"""The command line of scripts/real-programs."""
from __future__ import annotations

import random
from dataclasses import dataclass, field
from typing import Callable, List, Optional

from . import programs

USAGE = """\
Runs Wine's own programs under the engine and handles them the way a person
would, with xdotool: the mouse over the caption and clicks on it, double
clicks (maximise and back), right clicks on the frame border (the engine
rolls the window up to its caption and back), menus and dialogs opened and
closed, text typed, page keys, resizing and moving by dragging, minimise and
restore, and focus moving between the programs. Each program is driven for
a bounded time in each profile, and gets a verdict:

  crash  the process ended while it was being driven, Wine's crash dialog
         appeared, or its stderr shows an unhandled exception;
  hang   one of its visible top-level windows did not answer WM_NULL within
         5 s (tests/fixtures/window_answer_probe.cpp asks);
  lost   after "vlload /stop", a window recorded before the drive is gone,
         no longer answers, has no size, is left minimised, or is much
         shorter than it was (left rolled up);
  ok     none of these.

Profiles: baseline (no engine: the loader is not running), showcase (the
settings scripts/run writes), striped (showcase with macButtons on: striped
captions with the caption-box bitmaps) and random-SEED (every setting drawn
at random from SEED, and the progress-bar and plug-in marker files too). A
failure counts only when the baseline run of the same program did not fail
the same way; failures of the baseline are Wine's own and reported as such.
Prints the table program x profile and, for each failure, the steps that led
to it. Exits 0 when no failure is left unexplained by the baseline, 1 when
one is, 2 when the run itself could not be made (build, display, prefix,
loader).

  scripts/real-programs                the full run: every program, every
                                       profile, three random seeds
  scripts/real-programs --small        notepad, regedit and winemine, a few
                                       seconds each: baseline, showcase, striped
  --programs "notepad clock"           these programs
  --profiles "baseline showcase"       these profiles ("random" takes the seeds)
  --seeds "123 456"                    the random profiles' seeds, to repeat a run
  --seconds N                          driving time per program and profile
  --no-build                           use BUILD_DIR as it is (CTest does)
  --self-check                         the suite's own check: a program with a
                                       fault planted in it that only the engine
                                       lets out (tests/fixtures/planted_faults.cpp)
                                       must come out crash, hang and lost under
                                       the engine and ok without it

BUILD_DIR  build directory (default build-real); the prefix is
           BUILD_DIR/realprogramsprefix, a prefix of the script's own
OUT_DIR    screenshots (PROFILE-PROGRAM.png) and logs (default out/real-programs)

Everything runs in that prefix, with its own wineserver, on an Xvfb display
of the script's own: the loader's hooks reach only this prefix's desktop,
and the mouse and keys reach only this display. All of it is stopped at the
end, also after a failure."""

FULL_PROFILES = ["baseline", "showcase", "striped", "random"]
SMALL_PROFILES = ["baseline", "showcase", "striped"]
RANDOM_PROFILE_COUNT = 3
# The range of the seeds drawn when none are given.
SEED_LIMIT = 1000000

# Driving time per program and profile, in seconds. The full run repeats its
# steps in rotated order until the time is up; the small run does one round of
# its steps, cut short when the time is up.
FULL_SECONDS = 25.0
SMALL_SECONDS = 8.0
SELF_CHECK_SECONDS = 3.0

# The steps of one round, in order. The small run has no moving by dragging,
# no roll-up of a maximised window, no lone Alt, no system menu or About
# dialog of their own and no separate caption click (bringing a window to the
# front is one).
FULL_STEPS = ["hover", "caption_click", "caption_double_click", "roll_up_and_down", "menu_bar", "alt_key",
              "system_menu", "about_dialog", "common_dialog", "typing", "page_keys", "resize", "move",
              "minimize_restore", "roll_up_maximized", "focus_elsewhere"]
SMALL_STEPS = ["hover", "caption_double_click", "roll_up_and_down", "menu_bar", "common_dialog", "typing",
               "page_keys", "resize", "minimize_restore", "focus_elsewhere"]
SELF_CHECK_STEPS = ["roll_up_and_down"]


class UsageError(Exception):
    """The command line cannot be run; the message says why."""


class HelpRequested(Exception):
    pass


@dataclass
class Options:
    programs: List[str]
    # Expanded: the baseline first, then one "random-SEED" per seed.
    profiles: List[str]
    seeds: List[int]
    seconds: float
    steps: List[str]
    small: bool = False
    self_check: bool = False
    build: bool = True
    # Whether the steps repeat in rotated order until the time is up.
    repeat_rounds: bool = field(init=False)

    def __post_init__(self) -> None:
        self.repeat_rounds = not self.small


def _value(argv: List[str], i: int, what: str = "a list") -> str:
    if i + 1 >= len(argv) or not argv[i + 1]:
        raise UsageError(f"{argv[i]} needs {what}")
    return argv[i + 1]


def expand_profiles(requested: List[str], seeds: List[int], draw_seed: Callable[[], int]) -> List[str]:
    """The baseline always runs first, since every other profile is judged
    against it; "random" stands for one profile per seed (drawn into seeds
    when none were given)."""
    expanded = ["baseline"]
    for profile in requested:
        if profile == "baseline":
            continue
        if profile in ("showcase", "striped"):
            expanded.append(profile)
        elif profile == "random":
            if not seeds:
                seeds.extend(draw_seed() for _ in range(RANDOM_PROFILE_COUNT))
            expanded.extend(f"random-{seed}" for seed in seeds)
        elif profile.startswith("random-") and profile[len("random-"):][:1].isdigit():
            expanded.append(profile)
        else:
            raise UsageError(f"unknown profile {profile}")
    return expanded


def parse(argv: List[str], rng: Optional[random.Random] = None) -> Options:
    small = self_check = False
    build = True
    chosen_programs: List[str] = []
    chosen_profiles: List[str] = []
    seeds: List[int] = []
    seconds: Optional[float] = None
    i = 0
    while i < len(argv):
        arg = argv[i]
        if arg == "--small":
            small = True
        elif arg == "--programs":
            chosen_programs = _value(argv, i).split()
            i += 1
        elif arg == "--profiles":
            chosen_profiles = _value(argv, i).split()
            i += 1
        elif arg == "--seeds":
            try:
                seeds = [int(s) for s in _value(argv, i).split()]
            except ValueError:
                raise UsageError(f"--seeds takes whole numbers, not {argv[i + 1]}") from None
            i += 1
        elif arg == "--seconds":
            try:
                seconds = float(_value(argv, i, "a number").strip())
            except ValueError:
                raise UsageError(f"--seconds takes a number, not {argv[i + 1]}") from None
            if seconds <= 0:
                raise UsageError("--seconds takes a number above 0")
            i += 1
        elif arg == "--no-build":
            build = False
        elif arg == "--self-check":
            self_check = True
        elif arg in ("-h", "--help"):
            raise HelpRequested()
        else:
            raise UsageError(f"unknown argument {arg} (--help lists them)")
        i += 1

    if self_check:
        chosen_programs = [p.name for p in programs.PLANTED]
        chosen_profiles = ["showcase"]
        seconds = SELF_CHECK_SECONDS if seconds is None else seconds
        steps = SELF_CHECK_STEPS
        small = True
    elif small:
        chosen_programs = chosen_programs or list(programs.SMALL_NAMES)
        chosen_profiles = chosen_profiles or list(SMALL_PROFILES)
        seconds = SMALL_SECONDS if seconds is None else seconds
        steps = SMALL_STEPS
    else:
        chosen_programs = chosen_programs or [p.name for p in programs.ALL]
        chosen_profiles = chosen_profiles or list(FULL_PROFILES)
        seconds = FULL_SECONDS if seconds is None else seconds
        steps = FULL_STEPS
    for name in chosen_programs:
        if name not in programs.BY_NAME:
            known = " ".join(p.name for p in programs.ALL)
            raise UsageError(f"unknown program {name} (known: {known})")
    generator = rng or random.SystemRandom()
    profiles = expand_profiles(chosen_profiles, seeds, lambda: generator.randrange(SEED_LIMIT))
    return Options(chosen_programs, profiles, seeds, seconds, list(steps), small, self_check, build)


def format_seconds(seconds: float) -> str:
    """As given on the command line: 8, not 8.0."""
    return str(int(seconds)) if seconds == int(seconds) else str(seconds)
