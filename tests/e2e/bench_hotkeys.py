#!/usr/bin/python3
"""A hotkey's way to the unit's register under Wine, as median and p99,
written to the "Hotkey to register" section of docs/figures.md. Run by
scripts/bench.sh.

With the panel running hidden and a simulated unit attached, hotkeybench.exe
sends the panel's window the WM_HOTKEY of volume up and volume down in turn
and times each until the window has handled it (the volume frame written to
the unit through the driver, the on-screen level shown), beside a bare
WM_NULL. The unit's registers are read back before and after: one more
volume up than down must leave outputs 1 and 2 one step up.

Environment: BENCH_ROUNDS (1000), VELPANEL_BUILD (default: build/windows),
BENCH_OUTPUT (default: docs/figures.md; "-" prints only).
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winesession  # noqa: E402
from benchfigures import measured_on, write_section  # noqa: E402

ROUNDS = int(os.environ.get("BENCH_ROUNDS", "1000")) | 1  # odd: one more up than down
SECTION = "## Hotkey to register"
UNIT = "BENCHHK1"

winesession.start("wineprefix-bench", ["hotkeybench"], HOTKEYBENCH_EXE="tests/e2e/hotkeybench.exe")
from e2elib import *  # noqa: E402,F401,F403


def main():
    reg_clear()
    unplug_all()
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [100] * 8
    reg_write_raw(bytes(record.raw))
    panel = Panel().start()
    try:
        wait_unit_matches(UNIT, record)
        result = wine(os.environ["HOTKEYBENCH_EXE"], ROUNDS, timeout=1800)
        after = dump(UNIT)["codec"]
    finally:
        panel.stop()
        unplug_all()
    figures = {}
    for line in result.stdout.replace("\r", "").splitlines():
        match = re.match(r"(\w+) n=(\d+) median_us=([\d.]+) p99_us=([\d.]+) failed=(\d+)", line)
        if match:
            figures[match.group(1)] = (int(match.group(2)), float(match.group(3)), float(match.group(4)),
                                       int(match.group(5)))
    if set(figures) != {"hotkey", "bare"}:
        print("hotkeybench gave no figures: %s %s" % (result.stdout, result.stderr))
        return 1
    moved = [after[VOLUME_REGISTER[i]] & 0x7F for i in range(2)]
    if moved != [101, 101]:
        print("the unit's outputs 1-2 are at %s after the rounds, wanted [101, 101]" % moved)
        return 1
    report(figures)
    return 0 if all(f[3] == 0 for f in figures.values()) else 1


def report(figures):
    def row(name, way):
        n, median, p99, failed = figures[way]
        return "| %s | %d | %.0f us | %.0f us | %d |" % (name, n, median, p99, failed)

    lines = [
        SECTION, "",
        measured_on("bench_hotkeys.py"),
        "",
        "| Way | Rounds | Median | p99 | Failed |",
        "|---|---|---|---|---|",
        row("Hotkey (WM_HOTKEY volume up/down) until the volume frame is in the unit's register", "hotkey"),
        row("Bare `SendMessageTimeout` (WM_NULL to the panel's window)", "bare"),
        "",
        "The panel runs hidden with a simulated unit attached (null graphics driver, meters polled 20 times a "
        "second). `hotkeybench.exe` sends the WM_HOTKEY the system sends for a bound combination with "
        "SendMessageTimeout, volume up and volume down in turn, and times each with QueryPerformanceCounter until "
        "the window has handled it: by then the volume frames of both outputs have been written through the driver "
        "(synchronous exchanges), the record stored and the on-screen level shown. The unit's registers read back "
        "afterwards hold the level the rounds leave (one step up). The keyboard's own way to WM_HOTKEY is the "
        "system's and is not in the figure.",
        "",
    ]
    write_section(SECTION, "\n".join(lines))


sys.exit(main())
