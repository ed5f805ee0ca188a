#!/usr/bin/python3
"""Benchmark: a request's round trip under Wine, with a unit attached.

A second process (`VelPanel.exe --status`, from its start to its answer), the
channel alone (panelctl sending the same request and waiting for the answer)
and, in the same run, a bare SendMessageTimeout round trip to the panel's
window. Prints the median and the 99th percentile of each. Run it as the
stories run (the same environment, a session started by sim-session.sh):
    bench_requests.py [starts] [channel round trips]
"""
import statistics
import sys
import time

from e2elib import *

STARTS = int(sys.argv[1]) if len(sys.argv) > 1 else 30
TRIPS = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
UNIT = "BENCHREQ"


def spread(name, seconds):
    ms = sorted(s * 1000 for s in seconds)
    print("%s n=%d median_ms=%.1f p99_ms=%.1f" % (name, len(ms), statistics.median(ms),
                                                  ms[min(len(ms) - 1, (len(ms) * 99 + 99) // 100 - 1)]), flush=True)


unplug_all()
plug(UNIT)
panel = Panel().start()
try:
    starts = []
    for _ in range(STARTS):
        t0 = time.monotonic()
        if run_wine([VELPANEL, "--status"], 30).returncode != 0:
            raise StoryFailure("--status failed")
        starts.append(time.monotonic() - t0)
    spread("second process (--status, start to answer)", starts)
    print(ctl("request-bench", TRIPS, r"status\n0\n0\n0.0\n0\n"), flush=True)
finally:
    panel.stop()
    unplug_all()
