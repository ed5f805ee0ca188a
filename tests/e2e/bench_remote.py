#!/usr/bin/python3
"""Remote control's figures under Wine, in one run, written to the "Remote
control" section of docs/figures.md. Run by scripts/bench.sh.

With the panel running hidden, a simulated unit attached and remote control
on (127.0.0.1:9110), from a UDP socket on the Linux side:
  - an OSC message to the unit's register: a bundle of
    /velpanel/output/1/volume and /velpanel/ping, timed from its send to the
    /velpanel/pong (the panel answers the ping after its volume went to the
    unit, one bundle read message by message); the register is read back
    with velmora-sim at the end;
  - /velpanel/ping alone (the socket's own share);
  - the echo's delay: a volume sent by one client, timed until a subscriber
    on another socket hears it;
beside them, from requestbench.exe and meterclient.exe inside Wine, the
command line's round trip (the request channel alone, and a second
VelPanel.exe), a bare SendMessageTimeout and a bare exchange with the unit;
and the panel's CPU (utime + stime of its process, /proc) with remote control
off against remote on with one meter subscriber, alternating rounds.

Environment: BENCH_ROUNDS (1000), BENCH_PROCESS_ROUNDS (20), BENCH_CPU_SECONDS
(15), BENCH_CPU_ROUNDS (3), BENCH_OUTPUT (default docs/figures.md; "-" prints
only), VELPANEL_BUILD (default build/windows).
"""
import os
import re
import socket
import statistics
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winesession  # noqa: E402
from benchfigures import measured_on, percentile, write_section  # noqa: E402

ROUNDS = int(os.environ.get("BENCH_ROUNDS", "1000"))
PROCESS_ROUNDS = int(os.environ.get("BENCH_PROCESS_ROUNDS", "20"))
CPU_SECONDS = float(os.environ.get("BENCH_CPU_SECONDS", "10"))
CPU_ROUNDS = int(os.environ.get("BENCH_CPU_ROUNDS", "6"))
SECTION = "## Remote control"
UNIT = "BENCHOSC1"
PANEL_ADDRESS = ("127.0.0.1", 9110)
TICK = os.sysconf("SC_CLK_TCK")

winesession.start("wineprefix-bench", ["requestbench", "meterclient"],
                  REQUESTBENCH_EXE="tests/e2e/requestbench.exe", METERCLIENT_EXE="tests/e2e/meterclient.exe")
from e2elib import *  # noqa: E402,F401,F403



def padded(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def message(address, tags="", *values):
    body = b""
    for tag, value in zip(tags, values):
        body += struct.pack(">f", value) if tag == "f" else struct.pack(">i", value) if tag == "i" else padded(value)
    return padded(address) + padded("," + tags) + body


def bundle(*elements):
    return b"#bundle\0" + bytes(7) + b"\1" + b"".join(struct.pack(">i", len(e)) + e for e in elements)


def udp(timeout=2.0):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", 0))
    s.settimeout(timeout)
    return s


def receive(s, prefix):
    """The next datagram starting with `prefix`; None when none comes in time."""
    try:
        while True:
            data = s.recv(4096)
            if data.startswith(prefix):
                return data
    except socket.timeout:
        return None



def figure(values, failed):
    return (len(values), statistics.median(values) if values else 0.0, percentile(values, 0.99) if values else 0.0,
            failed)


def osc_to_register():
    client = udp()
    times, failed = [], 0
    for i in range(ROUNDS):
        db = -10.0 if i % 2 else -20.0
        t0 = time.perf_counter()
        client.sendto(bundle(message("/velpanel/output/1/volume", "f", db), message("/velpanel/ping")), PANEL_ADDRESS)
        if receive(client, b"/velpanel/pong\0") is None:
            failed += 1
        else:
            times.append((time.perf_counter() - t0) * 1e6)
    last = -10.0 if (ROUNDS - 1) % 2 else -20.0
    step = int(127 + last * 2)
    wait_unit(UNIT, "output 1 at the last volume sent", lambda d: d["codec"][VOLUME_REGISTER[0]] & 0x7F == step)
    client.close()
    return figure(times, failed)


def ping_alone():
    client = udp()
    times, failed = [], 0
    for _ in range(ROUNDS):
        t0 = time.perf_counter()
        client.sendto(message("/velpanel/ping"), PANEL_ADDRESS)
        if receive(client, b"/velpanel/pong\0") is None:
            failed += 1
        else:
            times.append((time.perf_counter() - t0) * 1e6)
    client.close()
    return figure(times, failed)


def echo_delay():
    sender, subscriber = udp(), udp()
    subscriber.sendto(message("/velpanel/subscribe"), PANEL_ADDRESS)
    # The whole state comes first; then each change.
    while receive(subscriber, b"/velpanel/clock\0") is None:
        pass
    times, failed = [], 0
    wanted = b"/velpanel/output/3/volume\0"
    for i in range(ROUNDS // 2):
        if i % 50 == 0:
            subscriber.sendto(message("/velpanel/subscribe"), PANEL_ADDRESS)  # renewed within 10 s
        db = -30.0 if i % 2 else -31.0
        t0 = time.perf_counter()
        sender.sendto(message("/velpanel/output/3/volume", "f", db), PANEL_ADDRESS)
        data = receive(subscriber, wanted)
        if data is None or struct.unpack(">f", data[-4:])[0] != db:
            failed += 1
        else:
            times.append((time.perf_counter() - t0) * 1e6)
    subscriber.sendto(message("/velpanel/unsubscribe"), PANEL_ADDRESS)
    sender.close()
    subscriber.close()
    return figure(times, failed)


def panel_pid():
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if ("WINEPREFIX=" + PREFIX).encode() not in f.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                if b"velpanel.exe" in f.read().split(b"\0")[0].lower():
                    return int(entry)
        except OSError:
            continue
    raise StoryFailure("no VelPanel.exe process")


def cpu_percent(pid, seconds, during=None):
    """The process's CPU over the interval, from the scheduler's nanosecond
    count of every thread's run time (/proc/<pid>/task/*/schedstat)."""
    def run_ns():
        total = 0
        for task in os.listdir("/proc/%d/task" % pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                    total += int(f.read().split()[0])
            except OSError:
                pass
        return total
    t0, c0 = time.monotonic(), run_ns()
    if during:
        during(seconds)
    else:
        time.sleep(seconds)  # the measured interval itself
    return 100.0 * (run_ns() - c0) / 1e9 / (time.monotonic() - t0)


def with_meter_subscriber(seconds):
    """One meter subscriber that renews every 5 s and reads what comes."""
    s = udp(0.2)
    got = [0]
    stop = time.monotonic() + seconds
    renew = 0.0
    while time.monotonic() < stop:
        if time.monotonic() >= renew:
            s.sendto(message("/velpanel/meters/subscribe"), PANEL_ADDRESS)
            renew = time.monotonic() + 5.0
        try:
            if s.recv(4096).startswith(b"/velpanel/meters\0"):
                got[0] += 1
        except socket.timeout:
            pass
    s.sendto(message("/velpanel/meters/unsubscribe"), PANEL_ADDRESS)
    s.close()
    with_meter_subscriber.received = got[0] / seconds


def main():
    reg_clear()
    unplug_all()
    plug(UNIT)
    panel = Panel().start()
    figures = {}
    try:
        answer = run_wine([VELPANEL, "--remote", "on"], 60)
        if answer.returncode != 0:
            print("--remote on answered %d: %s" % (answer.returncode, answer.stdout))
            return 1
        figures["osc"] = osc_to_register()
        figures["ping"] = ping_alone()
        figures["echo"] = echo_delay()
        result = wine(os.environ["REQUESTBENCH_EXE"], "Z:" + os.path.abspath(VELPANEL).replace("/", "\\"), ROUNDS,
                      PROCESS_ROUNDS, timeout=1800)
        result2 = wine(os.environ["METERCLIENT_EXE"], "timed", ROUNDS, timeout=600)
        for line in (result.stdout + result2.stdout).replace("\r", "").splitlines():
            match = re.match(r"(\w+) n=(\d+) median_us=([\d.]+) p99_us=([\d.]+) failed=(\d+)", line)
            if match:
                figures[match.group(1)] = (int(match.group(2)), float(match.group(3)), float(match.group(4)),
                                           int(match.group(5)))
        pid = panel_pid()
        off, idle, on, rates = [], [], [], []
        for _ in range(CPU_ROUNDS):
            run_wine([VELPANEL, "--remote", "off"], 60)
            off.append(cpu_percent(pid, CPU_SECONDS))
            run_wine([VELPANEL, "--remote", "on"], 60)
            idle.append(cpu_percent(pid, CPU_SECONDS))
            on.append(cpu_percent(pid, CPU_SECONDS, with_meter_subscriber))
            rates.append(with_meter_subscriber.received)
        figures["cpu"] = (off, idle, on, rates)
    finally:
        panel.stop()
        unplug_all()
    for way in ("osc", "ping", "echo", "bare", "channel", "process", "exchange"):
        if way not in figures:
            print("no %s figure" % way)
            return 1
    print(figures, flush=True)  # kept in the output whatever the report makes of them
    report(figures)
    return 0


def report(figures):
    def row(name, way, unit="us"):
        n, median, p99, failed = figures[way]
        scale = 1000.0 if unit == "ms" else 1.0
        digits = 2 if unit == "ms" else 0
        return "| %s | %d | %.*f %s | %.*f %s | %d |" % (name, n, digits, median / scale, unit, digits, p99 / scale,
                                                       unit, failed)

    off, idle, on, rates = figures["cpu"]
    more = statistics.median(on) - statistics.median(off)
    lines = [
        SECTION, "",
        measured_on("bench_remote.py"),
        "",
        "| Round trip | Rounds | Median | p99 | Failed |",
        "|---|---|---|---|---|",
        row("OSC volume to the unit's register (bundle of the volume and a ping, until the pong)", "osc"),
        row("&nbsp;&nbsp;OSC `/velpanel/ping` alone", "ping"),
        row("Echo: a volume sent by one OSC client until a subscriber hears it", "echo"),
        row("Command line: request channel alone (`--status` request and answer)", "channel"),
        row("Command line: second process `VelPanel.exe --status`, start to exit", "process", "ms"),
        row("Bare `SendMessageTimeout` (WM_NULL to the panel's window)", "bare"),
        row("Bare exchange with the unit (64-byte meter read, `DeviceIoControl`)", "exchange"),
        "",
        "| Panel's CPU, %% of one core | Rounds of %.0f s | Median | Each round |" % CPU_SECONDS,
        "|---|---|---|---|",
        "| Remote control off | %d | %.2f | %s |" % (len(off), statistics.median(off), ", ".join("%.2f" % c for c in off)),
        "| Remote control on, no subscriber | %d | %.2f | %s |" % (
            len(idle), statistics.median(idle), ", ".join("%.2f" % c for c in idle)),
        "| Remote control on, one meter subscriber (%.1f messages/s received) | %d | %.2f | %s |" % (
            statistics.median(rates), len(on), statistics.median(on), ", ".join("%.2f" % c for c in on)),
        "| Difference on with a meter subscriber against off (goal: at most 0.3 %% of a core more) | | %+.2f | %s |" % (
            more, "met" if more <= 0.3 else "**not met**"),
        "",
        "The panel runs hidden with a simulated unit attached (null graphics driver, meters polled 20 times a "
        "second) and remote control on 127.0.0.1:9110. The OSC rounds are timed with `time.perf_counter` around "
        "UDP sockets on the Linux side (the panel's socket is Wine's, a host socket); the bundle's pong is sent after "
        "the volume went to the unit, and the register is read back with velmora-sim after the last round. The "
        "command-line, bare and unit rounds come from `requestbench.exe` and `meterclient.exe timed` inside Wine "
        "(QueryPerformanceCounter). CPU is the run time of the panel's threads from "
        "/proc/<pid>/task/*/schedstat over each round; the rounds take turns: off, on, on with the subscriber "
        "(a Python socket that renews every 5 s and reads each message).",
        "",
    ]
    write_section(SECTION, "\n".join(lines))


sys.exit(main())
