"""What the Wine benchmarks share: percentiles, the line that says where and
when a figure was measured, and writing a figure's section into
docs/figures.md (BENCH_OUTPUT; "-" prints only)."""
import datetime
import os
import platform
import subprocess

from winesession import ROOT

OUTPUT = os.environ.get("BENCH_OUTPUT", os.path.join(ROOT, "docs", "figures.md"))
LOAD_AT_START = os.getloadavg()[0]


def percentile(values, q):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * (len(ordered) - 1) + 0.5))]


def measured_on(script):
    """The line under a section's heading: the machine, its load when the
    run began, the Wine version and the time."""
    return ("Measured by `scripts/bench.sh` (`tests/e2e/%s`) on %s (%s, %d cores, load average %.1f at the start), "
            "%s; written %s UTC." % (
                script, platform.node(), platform.platform(), os.cpu_count(), LOAD_AT_START,
                subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip(),
                datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M")))


def write_section(section, text):
    """Prints `text` and puts it in place of the section headed `section`
    (or after the last one)."""
    print(text)
    if OUTPUT == "-":
        return
    old = open(OUTPUT).read() if os.path.exists(OUTPUT) else "# Figures\n"
    start = old.find(section)
    if start >= 0:
        end = old.find("\n## ", start + len(section))
        old = old[:start] + (old[end + 1:] if end >= 0 else "")
    with open(OUTPUT, "w") as f:
        f.write(old.rstrip("\n") + "\n\n" + text)
    print("written to " + OUTPUT)
