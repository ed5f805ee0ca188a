#!/usr/bin/python3
"""A stored record damaged on disk never drives an output loud.

The record holds volumes 200, 140 and 128 (outside 0..127) for outputs 1, 3
and 5 and a latency the unit has not: the unit comes up with those outputs
muted (their converter registers hold volume 0) and the latency at its
default, the rest as stored; the repaired record is stored, and the user is
told once, in a box after the arrival, which outputs were muted and what
else was set back. The log has a line for it.
"""
import glob

from e2elib import *

story = Story("a damaged stored record arrives muted and the user is told")
UNIT = "E2EDAMAGE1"
NOTICE = "Outputs 1, 3 and 5 had a damaged volume in your stored settings; they were muted."


def log_text():
    found = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel",
                                   "velpanel.log"))
    return open(found[0], encoding="utf-8", errors="replace").read() if found else ""


def damaged_volumes_arrive_muted():
    """volumes 200, 140 and 128 stored: those outputs muted on the unit, a box naming them"""
    stored = Record.defaults()
    stored.out_volume = [200, 100, 140, 90, 128, 80, 127, 0]
    stored.out_mute = [0, 0, 0, 0, 0, 1, 0, 0]
    stored.sample_rate = 48000
    stored.latency = 9
    reg_write_raw(bytes(stored.raw))
    plug(UNIT)
    log_before = log_text()
    panel = story.panel()

    want = stored.copy()
    for output in (0, 2, 4):
        want.out_volume[output] = 127
        want.out_mute[output] = 1
    want.latency = 4
    d = wait_unit_matches(UNIT, want)
    expect_equal([d["codec"][VOLUME_REGISTER[o]] & 0x7F for o in (0, 2, 4)], [0, 0, 0], "the damaged outputs")

    text = wait_for("the notice", lambda: (lambda t: t if t.startswith(NOTICE) else None)(
        ctl("wait-box", 5000, check=False).stdout.replace("\r", "").strip()))
    expect("Also damaged and set back to the default: the latency." in text, "the latency named: %r" % text)
    panel.expect_box(NOTICE)
    expect_equal(panel.boxes(), 0, "boxes left open")

    record = wait_stored("the repaired record", lambda r: r.out_mute[0] == 1)
    expect_equal(record.user_fields(), want.user_fields(), "stored record")

    expect("repaired: volume of outputs 1, 3, 5 (muted); the latency" in log_text()[len(log_before):],
           "the repair in the log")
    panel.exit()
    unplug(UNIT)


story.run([damaged_volumes_arrive_muted])
