#!/usr/bin/python3
"""Time from a resume to the user's record back on a unit that lost power
during the sleep, median of 10, and the meter reads per second while locked
and after unlock. Printed only; run inside an e2e session (the environment of
tests/e2e/CMakeLists.txt). Each time is taken from Linux: it includes the
start of the wine process that posts the message and the read-back of the
unit's registers, whose own medians are printed beside it.
"""
import statistics

from e2elib import *

UNIT = "BENCHSLEEP"
ROUNDS = 10
WM_POWERBROADCAST, PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC = 0x218, 0x4, 0x12


def timed(fn, *args):
    t0 = time.monotonic()
    result = fn(*args)
    return result, (time.monotonic() - t0) * 1000


def main():
    reg_clear()
    unplug_all()
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [100] * 8
    record.digital_format = 1
    record.sample_rate = 96000
    record.latency = 3
    reg_write_raw(bytes(record.raw))
    panel = Panel().start()
    try:
        wait_unit_matches(UNIT, record)
        applied, posts, dumps = [], [], []
        for _ in range(ROUNDS):
            ctl("post", WM_POWERBROADCAST, PBT_APMSUSPEND, 0)
            sim("set", UNIT, "reset")
            wait_unit(UNIT, "the event read", lambda d: d["eventPending"] == 0)
            t0 = time.monotonic()
            _, post = timed(ctl, "post", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0)
            posts.append(post)
            while True:
                d, ms = timed(dump, UNIT)
                dumps.append(ms)
                if not unit_matches(d, record):
                    break
            applied.append((time.monotonic() - t0) * 1000)
        print("resume to record applied: median %.0f ms (min %.0f, max %.0f) over %d rounds; "
              "one post %.0f ms, one read-back %.0f ms (medians)" % (
                  statistics.median(applied), min(applied), max(applied), ROUNDS, statistics.median(posts),
                  statistics.median(dumps)))
    finally:
        panel.stop()
        unplug_all()


main()
