#!/usr/bin/env bash
# Soak and performance figures of VelPanel.exe against the simulated Velmora,
# all in one run, written to docs/figures.md:
#   - plug/unplug cycles with the panel running: no crash, every arrival
#     applied (the unit's volume registers set after each plug), windows, GDI
#     objects, kernel handles and resident memory sampled every 100 cycles;
#   - CPU over a fixed time: the panel hidden with a unit (meters polling),
#     the panel shown on the Control page, and a minimal client making the same
#     20 meter exchanges a second with nothing else;
#   - resident memory of the panel next to an empty Win32 dialog program;
#   - start-to-ready time (unit attached: started, tray step reached, unit
#     applied, window hidden);
#   - a storm of 100 device-change messages: the longest time the unit's
#     meters went unread (the panel's GUI thread busy), next to the same
#     measure without a storm;
#   - kill -9 at random moments after a change (tests/e2e/story_kill_trials.py):
#     trials and records lost.
#
#   bash scripts/soak.sh                 1000 cycles, 60 s per CPU figure, 32 kill trials
#   SOAK_CYCLES=200 SOAK_CPU_SECONDS=20 SOAK_KILL_TRIALS=10 bash scripts/soak.sh
#
# CPU is read from /proc/<pid>/stat (utime + stime, clock ticks) of every
# process of the soak's Wine prefix (found by WINEPREFIX in /proc/<pid>/environ):
# the program itself, the wineserver and winedevice.exe (the simulated driver's
# host) are shown apart. Memory is VmRSS from /proc/<pid>/status.
# VELPANEL_BUILD overrides the build tree (default: build/windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELPANEL_BUILD:-$root/build/windows}
prefix=$build/wineprefix-soak
out=${SOAK_OUTPUT:-$root/docs/figures.md}

if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset windows -B "$build" >/dev/null)
fi
cmake --build "$build" -j2 --target VelPanel velmora-sim velmorasim_driver panelctl meterclient emptydialog

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" PYTHONDONTWRITEBYTECODE=1
export VELMORA_SIM_BUILD=$build E2E_LIB=$root/tests/e2e
export VELPANEL_EXE=$build/app/win32/VelPanel.exe
export PANELCTL_EXE=$build/tests/e2e/panelctl.exe
export VELMORA_SIM_EXE=$build/sim/tools/velmora-sim.exe
export METERCLIENT_EXE=$build/tests/e2e/meterclient.exe
export EMPTYDIALOG_EXE=$build/tests/e2e/emptydialog.exe
unset DISPLAY

bash "$root/tests/e2e/sim-session.sh" start "$prefix" >/dev/null
trap 'bash "$root/tests/e2e/sim-session.sh" stop "$prefix"' EXIT

/usr/bin/python3 - "$out" "${SOAK_CYCLES:-1000}" "${SOAK_CPU_SECONDS:-60}" "${SOAK_KILL_TRIALS:-32}" <<'PYTHON'
import datetime
import json
import os
import platform
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.environ["E2E_LIB"])
from e2elib import *  # noqa: E402

out_path, cycles, cpu_seconds, kill_trials = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
TICK = os.sysconf("SC_CLK_TCK")
UNIT = "SOAK0001"


def prefix_processes():
    """pid -> short name of every process of this Wine prefix."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                env = f.read().split(b"\0")
            if ("WINEPREFIX=" + PREFIX).encode() not in env:
                continue
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
        found[int(entry)] = os.path.basename(cmd.replace("\\", "/")) or "?"
    return found


def cpu_ticks(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime, stime
    except OSError:
        return None


def rss_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def group(name):
    name = name.lower()
    if "velpanel" in name:
        return "VelPanel.exe"
    if "meterclient" in name:
        return "meterclient.exe"
    if "wineserver" in name:
        return "wineserver"
    if "winedevice" in name:
        return "winedevice.exe"
    return "other Wine processes"


def measure_cpu(seconds):
    """CPU seconds per group over `seconds` of wall time."""
    before = {pid: (name, cpu_ticks(pid)) for pid, name in prefix_processes().items()}
    time.sleep(seconds)  # the measured interval itself
    after = {pid: (name, cpu_ticks(pid)) for pid, name in prefix_processes().items()}
    use = {}
    for pid, (name, ticks) in after.items():
        if ticks is None:
            continue
        start = before.get(pid, (name, 0))[1] or 0
        use[group(name)] = use.get(group(name), 0.0) + (ticks - start) / TICK
    return use


def panel_pid(panel):
    return panel.process.pid


def resources(panel):
    values = dict(item.split("=") for item in ctl("resources").split())
    values = {k: int(v) for k, v in values.items()}
    values["rss_kib"] = rss_kib(panel_pid(panel))
    return values


results = {"cycles": [], "cpu": {}, "memory": {}, "start": []}
reg_clear()
unplug_all()

# ---- start-to-ready, five starts
for attempt in range(5):
    plug(UNIT)
    t0 = time.monotonic()
    panel = Panel()
    panel.process = subprocess.Popen(["wine", VELPANEL], env=ENV, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ctl("wait-box", 20000)
    t_tray = time.monotonic() - t0
    ctl("dismiss")
    t_dismissed = time.monotonic() - t0
    panel.wait_connected(20)
    wait_for("hidden", lambda: not panel.visible(), 20)
    t_ready = time.monotonic() - t0
    results["start"].append((t_tray, t_ready - (t_dismissed - t_tray)))
    panel.exit()
    unplug(UNIT)
    print("start %d: tray step %.2f s, ready %.2f s" % (attempt + 1, *results["start"][-1]), flush=True)

# ---- CPU and memory side by side
plug(UNIT)
panel = Panel().start()
wait_for("hidden", lambda: not panel.visible())
time.sleep(2)  # let start-up work end before the interval
results["cpu"]["panel hidden, unit attached"] = measure_cpu(cpu_seconds)
results["memory"]["VelPanel.exe hidden, unit attached"] = rss_kib(panel_pid(panel))
panel.command(CMD_OPEN)
wait_for("shown", panel.visible)
time.sleep(2)
results["cpu"]["panel shown, Control page"] = measure_cpu(cpu_seconds)
results["memory"]["VelPanel.exe shown, Control page"] = rss_kib(panel_pid(panel))
panel.command(CMD_EXIT)
panel.process.wait(20)
unplug(UNIT)
plug(UNIT)

client = subprocess.Popen(["wine", os.environ["METERCLIENT_EXE"], str(cpu_seconds + 4)], env=ENV,
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
time.sleep(2)
results["cpu"]["minimal client, 20 meter reads/s"] = measure_cpu(cpu_seconds)
client_out = client.communicate(timeout=60)[0].strip()
results["meterclient"] = client_out

for mode in ("shown", "hidden"):
    empty = subprocess.Popen(["wine", os.environ["EMPTYDIALOG_EXE"], "30"] + (["hidden"] if mode == "hidden" else []),
                             env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    time.sleep(4)
    results["memory"]["empty Win32 dialog, %s" % mode] = rss_kib(empty.pid)
    empty.kill()
    empty.wait()
print("cpu/memory done", flush=True)

# ---- a storm of device-change messages: how long the meters go unread
def meter_gap(storm):
    """Longest time (ms) without a meter read over 3 s, with `storm` device-change
    messages posted to the panel at the start."""
    watcher = subprocess.Popen(["wine", SIMTOOL, "meter-gaps", UNIT, "3000"], env=ENV, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    time.sleep(0.5)  # the watcher is up
    if storm:
        ctl("storm", storm)
    out = watcher.communicate(timeout=60)[0]
    return json.loads(out)["longestGapMs"]


unplug_all()
plug(UNIT)
panel = Panel().start()
wait_for("hidden", lambda: not panel.visible())
time.sleep(1)
results["storm"] = {"quiet": [meter_gap(0) for _ in range(3)], "storm": [meter_gap(100) for _ in range(3)]}
print("meter gaps: %s" % results["storm"], flush=True)
panel.exit()
unplug(UNIT)

# ---- kill -9 at random moments after a change
kill = subprocess.run(["/usr/bin/python3", os.path.join(os.environ["E2E_LIB"], "story_kill_trials.py")],
                      env=dict(ENV, KILL_TRIALS=str(kill_trials)), stdin=subprocess.DEVNULL,
                      capture_output=True, text=True, timeout=60 * 60)
kill_summary = [line for line in kill.stdout.splitlines() if line.startswith("kill trials:")]
kill_outcomes = [line for line in kill.stdout.splitlines() if line.startswith("trial ")]
results["kill"] = kill_summary[-1] if kill_summary else "kill trials did not finish: " + kill.stdout[-300:]
results["kill_seed"] = next((line for line in kill.stdout.splitlines() if line.startswith("seed")), "")
results["kill_new"] = sum(1 for line in kill_outcomes if "stored new" in line)
print(results["kill"], flush=True)
reg_clear()
unplug_all()

# ---- plug/unplug cycles with the panel running
unplug_all()
panel = Panel().start(expect_connected=False)
samples = []
failures = []
t_start = time.monotonic()
for cycle in range(1, cycles + 1):
    try:
        sim("plug", UNIT)
        sim("wait-present", UNIT, 5000)
        wait_unit(UNIT, "arrival %d applied" % cycle,
                  lambda d: all(d["codec"][r] == 0xFF for r in VOLUME_REGISTER), timeout=10)
    except (StoryFailure, subprocess.TimeoutExpired) as error:
        listing = sim("list", check=False).strip().replace("\n", "; ")
        failures.append("cycle %d: %s (bus: %s)" % (cycle, error, listing))
        print("cycle %d failed: %s" % (cycle, failures[-1]), flush=True)
    try:
        sim("unplug", UNIT, check=False)
        sim("wait-absent", UNIT, 5000)
    except (StoryFailure, subprocess.TimeoutExpired) as error:
        failures.append("cycle %d: unplug: %s" % (cycle, error))
    if not panel.alive():
        failures.append("the panel ended in cycle %d" % cycle)
        break
    if cycle % 100 == 0 or cycle == cycles:
        wait_for("removal seen", lambda: panel.title().endswith("No Device"))
        sample = resources(panel)
        sample["cycle"] = cycle
        sample["elapsed"] = time.monotonic() - t_start
        samples.append(sample)
        print("cycle %d: %s" % (cycle, sample), flush=True)
soak_time = time.monotonic() - t_start
alive = panel.alive()
panel.stop()

# ---- docs/figures.md
def cpu_row(label, use):
    total = sum(use.values())
    return "| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.1f %% |" % (
        label, use.get("VelPanel.exe", 0.0) + use.get("meterclient.exe", 0.0), use.get("wineserver", 0.0),
        use.get("winedevice.exe", 0.0), use.get("other Wine processes", 0.0), total,
        100.0 * total / cpu_seconds)

done = samples[-1]["cycle"] if samples else 0
lines = []
lines.append("# Figures")
lines.append("")
lines.append("Measured by `scripts/soak.sh` on %s (%s, %d cores), Wine %s, null graphics driver, "
             "the simulated bus driver; written %s UTC." % (
                 platform.node(), platform.platform(), os.cpu_count(),
                 subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip(),
                 datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M")))
lines.append("")
lines.append("## Plug/unplug soak")
lines.append("")
lines.append("%d cycles with the panel running, %.0f s (%.2f s per cycle, %.1f cycles a minute; each cycle: "
             "plug, wait until enumerable, wait until the unit's eight volume registers hold the applied "
             "record, unplug, wait until gone). Panel alive at the end: %s. Failed cycles: %d." % (
                 done, soak_time, soak_time / max(1, done), 60.0 * done / max(soak_time, 1e-9),
                 "yes" if alive and not any("ended" in f for f in failures) else "NO", len(failures)))
lines.append("")
lines.append("| cycle | windows | GDI objects | kernel handles | resident KiB |")
lines.append("|---:|---:|---:|---:|---:|")
for s in samples:
    lines.append("| %d | %d | %d | %d | %s |" % (s["cycle"], s["windows"], s["gdi"], s["handles"], s["rss_kib"]))
for f in failures[:10]:
    lines.append("")
    lines.append("- failure: " + f)
lines.append("")
lines.append("Windows: window handles owned by the panel's process (every handle slot probed with IsWindow). "
             "GDI objects: entries in use in the panel's GDI handle table, read from its memory (Wine answers 0 "
             "to GetGuiResources). Kernel handles: the panel's entries in the system handle list. Resident: "
             "VmRSS of the panel's Linux process. Sampled with the unit out, every 100 cycles.")
lines.append("")
lines.append("## CPU over %.0f s" % cpu_seconds)
lines.append("")
lines.append("| case | program | wineserver | winedevice.exe (driver) | other Wine | total CPU s | of one core |")
lines.append("|---|---:|---:|---:|---:|---:|---:|")
for label, use in results["cpu"].items():
    lines.append(cpu_row(label, use))
lines.append("")
lines.append("CPU seconds = (utime + stime) deltas from /proc/<pid>/stat over the interval, summed over every "
             "process of the soak's Wine prefix. The minimal client (`meterclient.exe`) opens the unit and "
             "reads the 64-byte meter block 20 times a second and nothing else (%s)." % results["meterclient"])
lines.append("")
lines.append("## Memory")
lines.append("")
lines.append("| program | resident KiB |")
lines.append("|---|---:|")
for label, kib in results["memory"].items():
    lines.append("| %s | %s |" % (label, kib))
lines.append("")
lines.append("VmRSS of the program's Linux process under the same Wine; the empty dialog "
             "(`emptydialog.exe`) is a modal dialog from an in-memory template with no controls.")
lines.append("")
lines.append("## Start to ready")
lines.append("")
trays = [s[0] for s in results["start"]]
readies = [s[1] for s in results["start"]]
lines.append("Five starts with a unit attached, from `wine VelPanel.exe` to: the tray step (the null driver "
             "has no notification area, so the panel's \"Create fail! : Tray\" box marks it) median %.2f s "
             "(%.2f-%.2f); connected (title with Ver 1.06), unit applied and window hidden, the time the box "
             "stood open taken out, median %.2f s (%.2f-%.2f)." % (
                 statistics.median(trays), min(trays), max(trays), statistics.median(readies), min(readies),
                 max(readies)))
lines.append("")
lines.append("## Device-change storm")
lines.append("")
quiet, storm = results["storm"]["quiet"], results["storm"]["storm"]
lines.append("The longest time the unit's meters went unread over 3 s with the panel hidden and a unit attached "
             "(the panel reads them every 50 ms on its GUI thread, so a gap is the time that thread was busy): "
             "median %.0f ms (%s) with no storm, median %.0f ms (%s) with 100 `DBT_DEVNODES_CHANGED` messages "
             "posted to the panel's listener window at once. Measured by `velmora-sim meter-gaps`, which samples "
             "the unit's meter-read counter every millisecond." % (
                 statistics.median(quiet), ", ".join("%.0f" % g for g in quiet),
                 statistics.median(storm), ", ".join("%.0f" % g for g in storm)))
lines.append("")
lines.append("## kill -9 at random moments")
lines.append("")
lines.append("`tests/e2e/story_kill_trials.py` (%s): %s (%d of them found the new record stored). Each trial: a "
             "change (a mute, a fader notch, a sample rate or a latency from the menu) sent from another process, "
             "kill -9 of the panel 0-300 ms later, the stored record checked (whole, and the state before or after "
             "the change; the new one whenever the unit already had it), then the unit re-plugged blank and the "
             "panel restarted, which must bring it to the stored record." % (
                 results["kill_seed"], results["kill"], results["kill_new"]))
lines.append("")
with open(out_path, "w") as f:
    f.write("\n".join(lines))
print("figures written to " + out_path)
lost = "records lost: 0" not in results["kill"]
sys.exit(1 if failures or lost else 0)
PYTHON
