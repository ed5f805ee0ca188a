#!/usr/bin/python3
"""The round trip of a request to the running panel under Wine, as median and
p99, written to the "Request round trip" section of docs/figures.md (the
soak keeps that section when it rewrites the file). Run by scripts/bench.sh.

With the panel running hidden and a simulated unit attached, requestbench.exe
times, in one run: a second VelPanel.exe --status from its start to its end
(CreateProcess to exit), the request channel alone (sendRequest from one
process: request and answer as WM_COPYDATA), and beside them a bare
SendMessageTimeout of WM_NULL to the panel's window. From the Linux side, a
whole `wine VelPanel.exe --status` is timed as well (what a host script sees,
Wine's start included).

Environment: BENCH_ROUNDS (1000 channel and bare rounds), BENCH_PROCESS_ROUNDS
(100), BENCH_HOST_ROUNDS (20), VELPANEL_BUILD (default: build/windows),
BENCH_OUTPUT (default: docs/figures.md; "-" prints only).
"""
import os
import re
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winesession  # noqa: E402
from benchfigures import measured_on, percentile, write_section  # noqa: E402

ROUNDS = int(os.environ.get("BENCH_ROUNDS", "1000"))
PROCESS_ROUNDS = int(os.environ.get("BENCH_PROCESS_ROUNDS", "100"))
HOST_ROUNDS = int(os.environ.get("BENCH_HOST_ROUNDS", "20"))
SECTION = "## Request round trip"
UNIT = "BENCH0001"

winesession.start("wineprefix-bench", ["requestbench"], REQUESTBENCH_EXE="tests/e2e/requestbench.exe")
from e2elib import *  # noqa: E402,F401,F403


def windows_path(host):
    return "Z:" + os.path.abspath(host).replace("/", "\\")





def main():
    reg_clear()
    unplug_all()
    plug(UNIT)
    panel = Panel().start()
    try:
        result = wine(os.environ["REQUESTBENCH_EXE"], windows_path(VELPANEL), ROUNDS, PROCESS_ROUNDS, timeout=1800)
        figures = {}
        for line in result.stdout.replace("\r", "").splitlines():
            match = re.match(r"(\w+) n=(\d+) median_us=([\d.]+) p99_us=([\d.]+) failed=(\d+)", line)
            if match:
                figures[match.group(1)] = (int(match.group(2)), float(match.group(3)), float(match.group(4)),
                                           int(match.group(5)))
        host = []
        for _ in range(HOST_ROUNDS):
            t0 = time.monotonic()
            answer = run_wine([VELPANEL, "--status"], 60)
            if answer.returncode == 0:
                host.append((time.monotonic() - t0) * 1e6)
        figures["host"] = (len(host), statistics.median(host) if host else 0.0,
                           percentile(host, 0.99) if host else 0.0, HOST_ROUNDS - len(host))
    finally:
        panel.stop()
        unplug_all()
    for way in ("bare", "channel", "copy", "window", "process", "host"):
        if way not in figures:
            print("requestbench gave no %s figure: %s %s" % (way, result.stdout, result.stderr))
            return 1
    report(figures)
    return 0 if all(f[3] == 0 for f in figures.values()) else 1


def report(figures):
    def row(name, way, unit="ms"):
        n, median, p99, failed = figures[way]
        scale = 1000.0 if unit == "ms" else 1.0
        return "| %s | %d | %.*f %s | %.*f %s | %d |" % (name, n, 2 if unit == "ms" else 0, median / scale, unit,
                                                       2 if unit == "ms" else 0, p99 / scale, unit, failed)

    lines = [
        SECTION, "",
        measured_on("bench_requests.py"),
        "",
        "| Round trip | Rounds | Median | p99 | Failed |",
        "|---|---|---|---|---|",
        row("Bare `SendMessageTimeout` (WM_NULL to the panel's window)", "bare", "us"),
        row("Request channel alone (`--status` request and its answer, WM_COPYDATA)", "channel", "us"),
        row("&nbsp;&nbsp;part: the request's WM_COPYDATA alone, refused by its kind", "copy", "us"),
        row("&nbsp;&nbsp;part: the answer window made and destroyed", "window", "us"),
        row("Second process: `VelPanel.exe --status`, CreateProcess to exit", "process"),
        row("Host script: `wine VelPanel.exe --status`, Wine's start included", "host"),
        "",
        "The panel runs hidden with a simulated unit attached (null graphics driver, meters polled 20 times a "
        "second). `requestbench.exe` times each round with QueryPerformanceCounter: the bare and channel rounds "
        "alternate in one process (the channel through `sendRequest` of `app/win32/RequestChannel.cpp`, its answer "
        "window and message wait included), after one untimed request; its two parts are timed in the same rounds (what "
        "is left is the panel's queue, the status itself and the answer's way back); then the second processes one after the "
        "other, their output to NUL. The host rounds are timed from Python around the whole `wine` command.",
        "",
    ]
    write_section(SECTION, "\n".join(lines))


sys.exit(main())
