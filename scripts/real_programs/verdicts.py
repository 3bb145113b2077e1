"""Verdicts: what the logs of one program in one profile say happened to it,
and the table and summary of a run."""
from __future__ import annotations

import os
import re
from dataclasses import dataclass, field
from typing import Dict, List, Optional, Tuple

OK = "ok"
CRASH = "crash"
HANG = "hang"
LOST = "lost"

CRASH_PATTERN = re.compile(r"wine: unhandled|unhandled exception|page fault", re.IGNORECASE)
# Wine's crash dialog, and the console of its debugger (which the crash
# dialog being off leaves).
CRASH_WINDOW_PATTERN = "^(Program Error|Wine Debugger)$"
# A window counts as left rolled up when it is shorter than this share of
# its height before the drive (a rolled-up window is 25 pixels).
LOST_HEIGHT_PERCENT = 60
MINIMIZED_STATE = "minimized"

# A line of tests/fixtures/window_answer_probe.cpp about one window.
_WINDOW = re.compile(r"^window pid=(\d+) hwnd=(\S+) answered=(\S+) x=(-?\d+) y=(-?\d+) width=(-?\d+) "
                     r"height=(-?\d+) state=(\S+) class=(.*?) title=(.*)$")
_PROCESS = re.compile(r"^process pid=([0-9]+)")


@dataclass(frozen=True)
class ProbedWindow:
    hwnd: str
    answered: bool
    width: int
    height: int
    state: str
    title: str      # as the probe quotes it


def parse_probe(text: str) -> List[ProbedWindow]:
    windows = []
    for line in text.splitlines():
        m = _WINDOW.match(line)
        if m:
            title = m.group(10)
            if len(title) >= 2 and title.startswith('"') and title.endswith('"'):
                title = title[1:-1]
            windows.append(ProbedWindow(m.group(2), m.group(3) == "yes", int(m.group(6)), int(m.group(7)),
                                        m.group(8), title))
    return windows


def probe_pids(text: str) -> List[str]:
    """The Windows process ids the probe found."""
    return [m.group(1) for m in map(_PROCESS.match, text.splitlines()) if m]


@dataclass
class Evidence:
    """What the run left about one program in one profile (None: no such file)."""
    ended: Optional[str] = None           # how the process ended on its own
    stderr: Optional[str] = None
    crash_dialog: Optional[str] = None    # Wine's crash dialog seen for it
    no_window: Optional[str] = None       # it showed no window in time
    before_drive: Optional[List[ProbedWindow]] = None
    after_drive: Optional[List[ProbedWindow]] = None
    after_stop: Optional[List[ProbedWindow]] = None


def _read(path: str) -> Optional[str]:
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return None


def load_evidence(directory: str, program: str) -> Evidence:
    base = os.path.join(directory, program)

    def text(suffix: str) -> Optional[str]:
        content = _read(f"{base}.{suffix}")
        return None if content is None else content.rstrip("\n")

    def probed(suffix: str) -> Optional[List[ProbedWindow]]:
        content = _read(f"{base}.{suffix}")
        return None if content is None else parse_probe(content)

    return Evidence(ended=text("ended"), stderr=_read(f"{base}.stderr"), crash_dialog=text("crashdialog"),
                    no_window=text("nowindow"), before_drive=probed("before-drive"),
                    after_drive=probed("after-drive"), after_stop=probed("after-stop"))


@dataclass
class Judgement:
    verdict: str
    reasons: List[str] = field(default_factory=list)

    def file_text(self) -> str:
        """The verdict file: the verdict, then its reasons one a line."""
        return "".join(line + "\n" for line in [self.verdict] + self.reasons)


def _lost_reasons(before: List[ProbedWindow], after: List[ProbedWindow]) -> List[str]:
    reasons = []
    for b in before:
        a = next((w for w in after if w.hwnd == b.hwnd), None)
        if a is None:
            reasons.append(f"lost: window {b.hwnd} is gone")
            continue
        if not a.answered:
            reasons.append(f"lost: window {b.hwnd} no longer answers")
        if a.width <= 0 or a.height <= 0:
            reasons.append(f"lost: window {b.hwnd} has no size ({a.width}x{a.height})")
        elif a.state == MINIMIZED_STATE:
            reasons.append(f"lost: window {b.hwnd} is left minimised")
        elif a.height * 100 < b.height * LOST_HEIGHT_PERCENT:
            reasons.append(f"lost: window {b.hwnd} is {a.height} pixels high, {b.height} before the drive "
                           "(left rolled up)")
    return reasons


def judge(e: Evidence) -> Judgement:
    """crash before hang before lost; ok when nothing is wrong."""
    reasons = []
    if e.ended is not None:
        reasons.append(f"crash: {e.ended}")
    if e.stderr is not None:
        line = next((l for l in e.stderr.splitlines() if CRASH_PATTERN.search(l)), None)
        if line is not None:
            reasons.append(f"crash: stderr: {line}")
    if e.crash_dialog is not None:
        reasons.append(f"crash: {e.crash_dialog}")
    for when, windows in (("before-drive", e.before_drive), ("after-drive", e.after_drive)):
        for w in windows or []:
            if not w.answered:
                reasons.append(f'hang: {when}: window {w.hwnd} "{w.title}" did not answer WM_NULL within 5 s')
    if e.before_drive is not None and e.after_stop is not None and e.ended is None:
        reasons += _lost_reasons(e.before_drive, e.after_stop)
    if any(r.startswith("crash:") for r in reasons):
        verdict = CRASH
    elif any(r.startswith("hang:") for r in reasons):
        verdict = HANG
    elif reasons:
        verdict = LOST
    elif e.no_window is not None:
        return Judgement(HANG, [e.no_window])
    else:
        verdict = OK
    return Judgement(verdict, reasons)


# --- the run's table ---------------------------------------------------------

CELL_WIDTH = 14
LOADER_ROW = "(vlload)"
LEGEND = "(Wine): the baseline failed the same way, so the fault is Wine's own; !: a failure of the engine"


def cell(profile: str, verdict: str, baseline_verdict: Optional[str]) -> Tuple[str, str]:
    """The table's cell and what it counts as: "ok", "wine" (explained by
    the baseline, or the baseline itself) or "engine"."""
    if verdict == OK:
        return verdict, "ok"
    if profile == "baseline" or verdict == baseline_verdict:
        return f"{verdict} (Wine)", "wine"
    return f"{verdict} !", "engine"


@dataclass
class Table:
    lines: List[str]
    unexplained: int
    explained: int


def table(programs: List[str], profiles: List[str], verdicts: Dict[Tuple[str, str], str],
          loader_ended: List[str]) -> Table:
    """The table program x profile, the loader's row and the legend.
    verdicts maps (profile, program) to a verdict; loader_ended names the
    profiles whose loader ended before "vlload /stop"."""
    def row(first: str, cells: List[str]) -> str:
        return f"{first:<{CELL_WIDTH}}" + "".join(f" {c:<{CELL_WIDTH}}" for c in cells)

    lines = [row("program", profiles)]
    unexplained = explained = 0
    for program in programs:
        cells = []
        for profile in profiles:
            text, kind = cell(profile, verdicts[(profile, program)], verdicts.get(("baseline", program)))
            if profile != "baseline":
                explained += kind == "wine"
                unexplained += kind == "engine"
            cells.append(text)
        lines.append(row(program, cells))
    # The loader must run until "vlload /stop" in every profile but the
    # baseline, where it does not run.
    cells = []
    for profile in profiles:
        if profile == "baseline":
            cells.append("-")
        elif profile in loader_ended:
            cells.append("ended !")
            unexplained += 1
        else:
            cells.append("ok")
    lines.append(row(LOADER_ROW, cells))
    lines.append(LEGEND)
    return Table(lines, unexplained, explained)


def failure_heading(program: str, profile: str, verdict: str, baseline_verdict: Optional[str]) -> str:
    if profile == "baseline":
        return f"== {program}, baseline: {verdict} (Wine's own fault: no engine was loaded)"
    if verdict == baseline_verdict:
        return f"== {program}, {profile}: {verdict} (explained: the baseline failed the same way)"
    return f"== {program}, {profile}: {verdict} (ENGINE FAILURE: the baseline did not fail this way)"


def self_check(programs: List[str], profiles: List[str], verdicts: Dict[Tuple[str, str], str],
               planted: Dict[str, str], loader_ended: bool) -> Tuple[List[str], int]:
    """Each planted fault must be found as planted, under the engine only:
    the lines to say and the count of verdicts other than planted."""
    lines = []
    wrong = 0
    for program in programs:
        for profile in profiles:
            expected = OK if profile == "baseline" else planted[program]
            got = verdicts[(profile, program)]
            if got == expected:
                lines.append(f"self-check: {program}, {profile}: {got}, as planted")
            else:
                lines.append(f"self-check: {program}, {profile}: {got} instead of {expected}")
                wrong += 1
    if loader_ended:
        lines.append("self-check: the loader ended on its own")
        wrong += 1
    return lines, wrong


def grep_after(text: str, pattern: str, after: int, limit: int) -> List[str]:
    """Lines matching the pattern and the lines after each, groups apart
    separated by "--", at most limit lines: how a backtrace is quoted."""
    lines = text.splitlines()
    regex = re.compile(pattern)
    chosen: List[int] = []
    last = -1
    for i, line in enumerate(lines):
        if regex.search(line):
            for j in range(max(i, last + 1), min(i + after + 1, len(lines))):
                chosen.append(j)
            last = max(last, min(i + after, len(lines) - 1))
    out: List[str] = []
    previous = None
    for j in chosen:
        if previous is not None and j != previous + 1:
            out.append("--")
        out.append(lines[j])
        previous = j
    return out[:limit]
