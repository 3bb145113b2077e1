#!/usr/bin/env python3
"""Counts wineserver requests per operation in a trace of `bench trace`.

server_trace.cpp marks each stretch of repeated work with two named events:
one created as "varnel-bench-begin-NAME-COUNT" before the work and one as
"varnel-bench-end-NAME" after it. A wineserver started with -d1 logs every
request as "TTTT: request_name( arguments )", TTTT the thread's id. The
requests of the marking thread between the two markers, less one (the close
of the begin marker's own event), divided by COUNT, are the requests one
operation costs.

    trace_requests.py SERVER-LOG    prints "| NAME | REQUESTS |" a stretch
"""
from __future__ import annotations

import re
import sys
from dataclasses import dataclass
from typing import Iterable, Iterator, List, Optional

BEGIN_MARKER = re.compile(r'name=L"varnel-bench-begin-([a-z-]+)-([0-9]+)"')
END_MARKER = 'name=L"varnel-bench-end-'
REQUEST_LINE = re.compile(r'^[0-9a-f]+: [a-z_]+\( ')
# The trace's thread ids are four hexadecimal digits wide.
THREAD_ID_WIDTH = 4


@dataclass
class Stretch:
    name: str
    count: int
    requests: int

    @property
    def per_operation(self) -> float:
        # The begin marker's event is closed inside the stretch.
        return (self.requests - 1) / self.count


def stretches(lines: Iterable[str]) -> Iterator[Stretch]:
    """The marked stretches of a trace, in order; one left open is dropped."""
    current: Optional[Stretch] = None
    thread = ""
    for line in lines:
        begin = BEGIN_MARKER.search(line)
        if begin:
            current = Stretch(begin.group(1), int(begin.group(2)), 0)
            thread = line[:THREAD_ID_WIDTH]
            continue
        if current is None:
            continue
        if END_MARKER in line:
            yield current
            current = None
            continue
        if line[:THREAD_ID_WIDTH] == thread and REQUEST_LINE.match(line):
            current.requests += 1


def table_rows(lines: Iterable[str]) -> List[str]:
    return ["| %s | %.2f |" % (s.name, s.per_operation) for s in stretches(lines) if s.count > 0]


def main(argv: List[str]) -> int:
    if len(argv) != 2:
        print("usage: trace_requests.py SERVER-LOG", file=sys.stderr)
        return 2
    # The trace quotes strings of any program byte for byte: read it as bytes.
    with open(argv[1], encoding="latin-1") as trace:
        for row in table_rows(line.rstrip("\n") for line in trace):
            print(row)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
