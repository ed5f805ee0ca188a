#!/usr/bin/python3
"""The diagnostics log stays readable for a bug report.

A fader swept from the mouse wheel saves the record at every step: the log
holds that burst as one line with its count, so that a few sweeps do not
push the arrival line out. A request naming a file with a carriage return,
a tab and an escape sequence in its name is refused and logged on one line,
escaped.
"""
import glob
import re

from e2elib import *

story = Story("the diagnostics log: bursts of saves, escaped texts")
UNIT = "E2ELOG1"
SAVED = "settings saved to "
state = {}


def log_text():
    found = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel",
                                   "velpanel.log"))
    expect(found, "a log file")
    return open(found[0], encoding="utf-8", errors="replace").read()


def new_lines(before):
    return log_text()[len(before):].splitlines()


def a_sweep_is_one_line():
    """twenty notches of a fader are one "settings saved" line with their count"""
    plug(UNIT)
    state["panel"] = panel = story.panel()
    before = log_text()
    panel.fader(6, -20)  # outputs 7 and 8 are linked
    wait_unit(UNIT, "outputs 7 and 8 at 107", lambda d: d["codec"][VOLUME_REGISTER[6]] == 0x80 | 107)
    wait_stored("the swept volume", lambda r: r.out_volume[6] == 107)
    # Another line ends the burst.
    result = run_wine([VELPANEL, "--status"], 30)
    expect_equal(result.returncode, 0, "exit code of --status")
    lines = [line for line in new_lines(before) if SAVED in line]
    expect_equal(len(lines), 1, "lines of saves after the sweep (%r)" % lines)
    count = re.search(r"\((\d+) times in \d+ s\)$", lines[0])
    expect(count and int(count.group(1)) >= 2, "the line counts the saves: %r" % lines[0])


def texts_are_escaped():
    """a file name with control characters is logged on one line, escaped"""
    before = log_text()
    name = "C:\\velpanel-e2e-log\\two\rlines\x1b[2J\t.velpanel"
    result = run_wine([VELPANEL, "--load", name], 30)
    expect_equal(result.returncode, 2, "exit code of --load of a name with control characters")
    lines = new_lines(before)
    expect_equal(len(lines), 1, "lines of the request (%r)" % lines)
    expect("two\\rlines\\x1b[2J\\t.velpanel" in lines[0], "the name is escaped: %r" % lines[0])
    expect(not re.search("[\x00-\x1f\x7f]", lines[0]), "no control character in the log")


def a_rate_the_unit_takes_is_logged():
    """a rate changed on the unit itself is one line saying the record follows it"""
    before = log_text()
    sim("set", UNIT, "rate", "88200")
    wait_stored("the unit's rate", lambda r: r.sample_rate == 88200)
    wait_for("the line", lambda: [l for l in new_lines(before) if "runs at 88200 Hz" in l])
    lines = [l for l in new_lines(before) if "the record follows" in l]
    expect_equal(len(lines), 1, "lines of the followed rate (%r)" % lines)


def the_start_line_names_the_version():
    """the start line names the panel's version"""
    expect(re.search(r"start: VelPanel %s: " % re.escape(VERSION), log_text()), "a start line naming " + VERSION)


story.run([a_sweep_is_one_line, texts_are_escaped, a_rate_the_unit_takes_is_logged,
           the_start_line_names_the_version])
