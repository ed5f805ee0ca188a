#!/usr/bin/python3
"""A laptop's life: the screen is locked, the host sleeps (the unit loses
power without leaving the bus, or is pulled out and plugged back late), and
another user takes the console and sets the unit another way.

Wine neither sleeps nor switches users: the messages are posted to the panel
as Windows sends them. The unit's registers are read back from the simulated
driver, the stored record with Wine's `reg`. While locked no meter is read;
after a wake or a return to the console the unit holds the user's record
again, and the stored record never takes the unit's power-on values or the
other user's.
"""
import glob

from e2elib import *

story = Story("sleep and resume, another user at the console, the locked screen")
UNIT = "E2ESLEEP1"
WM_POWERBROADCAST, WM_WTSSESSION_CHANGE = 0x218, 0x2B1
PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC = 0x4, 0x7, 0x12
WTS_CONSOLE_CONNECT, WTS_CONSOLE_DISCONNECT, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x1, 0x2, 0x7, 0x8
state = {}


def user_record():
    r = Record.defaults()
    r.out_volume = [100, 96, 90, 84, 80, 76, 70, 64]
    r.out_mute = [0, 0, 0, 1, 0, 0, 0, 0]
    r.digital_mon = 1
    r.selector = 2
    r.digital_format = 1
    r.sample_rate = 96000
    r.latency = 3
    return r


def power(event):
    ctl("post", WM_POWERBROADCAST, event, 0)


def session(change):
    ctl("post", WM_WTSSESSION_CHANGE, change, 1)


def meter_reads(ms):
    return json.loads(sim("meter-gaps", UNIT, ms))["reads"]


def event_taken():
    """The listener's poll has read the unit's event flag."""
    wait_unit(UNIT, "the panel to read the unit's event", lambda d: d["eventPending"] == 0)


def expect_record_kept(what):
    expect_equal(reg_read().user_fields(), state["record"].user_fields(), "stored record " + what)


def start():
    """the panel runs with the user's record on the unit: 96000 Hz, latency 3, volumes, a mute, S/PDIF"""
    plug(UNIT)
    state["record"] = user_record()
    reg_write_raw(bytes(state["record"].raw))
    state["panel"] = story.panel()
    wait_unit_matches(UNIT, state["record"])


def locked():
    """locked: no meter is read, the status refresh goes on; unlocked: about 20 reads a second again"""
    session(WTS_SESSION_LOCK)
    meter_reads(300)  # the lock has certainly been handled
    before = dump(UNIT)["commands"].get("8", 0)
    reads = meter_reads(2000)
    refreshes = dump(UNIT)["commands"].get("8", 0) - before
    print("     meter reads while locked: %.1f/s" % (reads / 2.0))
    expect_equal(reads, 0, "meter reads in 2 s while locked")
    expect(refreshes >= 3, "the status refresh went on while locked (%d configuration reads)" % refreshes)
    session(WTS_SESSION_UNLOCK)
    reads = meter_reads(2000)
    print("     meter reads after unlock: %.1f/s" % (reads / 2.0))
    expect(reads >= 30, "meter reads in 2 s after unlock: %d" % reads)


def reset_during_sleep():
    """the unit loses power during a sleep: the record comes back to it and the store keeps it"""
    power(PBT_APMSUSPEND)
    sim("set", UNIT, "reset")
    event_taken()
    expect_record_kept("during the sleep")
    t0 = time.monotonic()
    power(PBT_APMRESUMEAUTOMATIC)
    power(PBT_APMRESUMESUSPEND)
    wait_unit_matches(UNIT, state["record"])
    print("     record applied %.0f ms after the resume" % ((time.monotonic() - t0) * 1000))
    event_taken()
    expect_record_kept("after the resume")
    expect(state["panel"].title().endswith(TITLE_VERSION), "the panel kept the unit")
    log = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel",
                                 "velpanel.log"))
    expect(log and "record applied again to" in open(log[0], encoding="utf-8", errors="replace").read(),
           "the log tells the record applied again")


def unplugged_during_sleep():
    """pulled out during a sleep and plugged back 5 s after the resume: a plain arrival with the record"""
    panel = state["panel"]
    power(PBT_APMSUSPEND)
    unplug(UNIT)
    power(PBT_APMRESUMEAUTOMATIC)
    wait_for("the removal", lambda: panel.title().endswith("No Device"))
    time.sleep(5)  # the unit takes its time to come back
    plug(UNIT)
    panel.wait_connected()
    wait_unit_matches(UNIT, state["record"])
    expect_record_kept("after the late arrival")


def another_user():
    """another user sets the unit to 48000 Hz, latency 5 while away: its event flag is left, the store keeps 96000; back: re-applied"""
    session(WTS_CONSOLE_DISCONNECT)
    sim("set", UNIT, "rate", 48000)
    sim("set", UNIT, "latency", 5)
    expect_equal(meter_reads(1000), 0, "meter reads in 1 s while away")
    # The unit's event flag is left for the other session's panel to read.
    expect_equal(dump(UNIT)["eventPending"], 1, "the unit's event flag after 1 s away")
    expect_record_kept("while another user has the console")
    session(WTS_CONSOLE_CONNECT)
    wait_unit_matches(UNIT, state["record"])
    event_taken()
    expect_record_kept("back at the console")


story.run([start, locked, reset_during_sleep, unplugged_during_sleep, another_user])
