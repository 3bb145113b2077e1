"""What each profile sets: the settings vlconf writes into vl.ini and the
marker files beside it."""
from __future__ import annotations

import random
import re
from dataclasses import dataclass, field
from typing import List, Tuple

BASELINE = "baseline"
SHOWCASE = "showcase"
STRIPED = "striped"
RANDOM_PREFIX = "random-"

# The delay between zoom frames blocks the window's thread for 13 frames:
# random profiles keep it short enough for menus to open within the wait
# for a popup.
RANDOM_MAX_ANIMATION_DELAY = 40
BYTE_VALUES = 256
ANIMATION_DELAY = "animationDelay"
# Markers a random profile may leave in the engine folder: progress bars
# painted with vlprog.bmp, and the caption plug-in.
RANDOM_MARKERS = ["vlprog.ini", "vlplug.ini"]
# Every file the engine reads from its folder that a profile may have left.
PROFILE_FILES = ["vl.ini", "vlprog.ini", "vlplug.ini", "vldis.ini", "vlexcl.ini"]
# The fields of a row of "vlconf reference --tsv" the run reads: the
# position, the setting's name ("-" for a position without one) and its kind.
TSV_MIN_FIELDS = 12
MARKER_LINE = re.compile(r"^marker (.*) present")


@dataclass
class ProfileSettings:
    """NAME=VALUE assignments for "vlconf set", and the marker files to make."""
    assignments: List[str] = field(default_factory=list)
    markers: List[str] = field(default_factory=list)


def is_random(profile: str) -> bool:
    return profile.startswith(RANDOM_PREFIX)


def seed_of(profile: str) -> int:
    return int(profile[len(RANDOM_PREFIX):])


def setting_kinds(reference_tsv: str) -> List[Tuple[str, str]]:
    """(name, kind) of each named setting in vlconf's table for scripts."""
    kinds = []
    for line in reference_tsv.splitlines():
        fields = line.split("\t")
        if len(fields) >= TSV_MIN_FIELDS and fields[0].isdigit() and fields[1] != "-":
            kinds.append((fields[1], fields[2]))
    return kinds


def random_assignments(seed: int, kinds: List[Tuple[str, str]]) -> List[str]:
    """A value for every flag and byte setting drawn from the seed, then the
    markers as "marker:FILE=0|1". The same seed gives the same profile."""
    rng = random.Random(seed)
    out = []
    for name, kind in kinds:
        if kind.startswith("flag"):
            out.append(f"{name}={'on' if rng.randrange(2) else 'off'}")
        elif kind == "byte":
            limit = RANDOM_MAX_ANIMATION_DELAY + 1 if name == ANIMATION_DELAY else BYTE_VALUES
            out.append(f"{name}={rng.randrange(limit)}")
    for marker in RANDOM_MARKERS:
        out.append(f"marker:{marker}={rng.randrange(2)}")
    return out


def profile_assignments(profile: str, showcase: List[str], kinds: List[Tuple[str, str]]) -> List[str]:
    if profile == SHOWCASE:
        return list(showcase)
    if profile == STRIPED:
        return list(showcase) + ["macButtons=on"]
    if is_random(profile):
        return random_assignments(seed_of(profile), kinds)
    return []


def split_markers(assignments: List[str]) -> ProfileSettings:
    """Settings apart from markers; a marker set to 1 is made, one set to
    anything else is not."""
    settings = ProfileSettings()
    for a in assignments:
        if a.startswith("marker:"):
            name, _, value = a[len("marker:"):].partition("=")
            if value == "1":
                settings.markers.append(name)
        else:
            settings.assignments.append(a)
    return settings


def settings_summary(settings_log: str) -> str:
    """One line of what vlconf changed ("name: old->new") and the markers
    made, from the profile's settings log."""
    parts = []
    for line in settings_log.splitlines():
        if "->" in line or line.startswith("marker"):
            line = line.replace(" -> ", "->", 1)
            parts.append(MARKER_LINE.sub(r"\1", line, count=1))
    return " ".join(parts)
