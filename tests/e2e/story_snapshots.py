#!/usr/bin/python3
"""Snapshots stored and recalled in one step.

A snapshot stored from the command line (--store) and recalled from the
command line (--recall), from the Config menu and from the tray menu gives
the unit the stored registers; the slot is a text value beside the record,
read back with `reg`. A recall the unit refuses in part names that part and
keeps the rest; a damaged slot is refused by its number and changes nothing.
"""
import threading

from e2elib import *

story = Story("snapshots")
UNIT = "E2ESNAP1"
IOCTL_COMMAND, CMD_SET_LATENCY = 0x2200D0, 14
CMD_SNAPSHOT_STORE, CMD_SNAPSHOT_FIRST = 32800, 32801  # recall slot n is 32800 + n, in Config > Snapshots and the tray
state = {}


def velpanel(*args, timeout=60):
    result = run_wine([VELPANEL, *map(str, args)], timeout)
    # The answer's line goes to standard output when done, to errors otherwise.
    return result.returncode, (result.stdout + result.stderr).replace("\r", "").strip()


def expect_code(args, code):
    got = velpanel(*args)
    expect_equal(got[0], code, "exit code of %s (%s)" % (" ".join(map(str, args)), got[1]))
    return got[1]


def slot_value(slot):
    result = wine("reg", "query", REG_KEY, "/v", "Snapshot%d" % slot, check=False)
    return result.stdout if result.returncode == 0 else None


def changed(what, args, predicate):
    expect_code(args, 0)
    return wait_stored(what, predicate)


def store_and_recall_from_command_line():
    """a snapshot stored and recalled from the command line gives the unit its registers"""
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [100, 100, 90, 90, 127, 127, 60, 60]
    record.sample_rate = 96000
    reg_write_raw(bytes(record.raw))
    state["panel"] = story.panel()
    wait_unit_matches(UNIT, record)
    expect_code(["--store", 2, "Mischen ü"], 0)
    expect("Snapshot2    REG_SZ    Mischen " in (slot_value(2) or ""), "the slot as text beside the record")
    state["mixing"] = reg_read()
    changed("volume 1 lowered", ["--volume", 1, -40], lambda r: r.out_volume[0] == 47)
    expect_code(["--rate", 44100], 0)
    wait_stored("rate 44100", lambda r: r.sample_rate == 44100)
    out = expect_code(["--recall", 2], 0)
    expect("Mischen" in out, "the answer names the snapshot: %r" % out)
    wait_unit_matches(UNIT, state["mixing"])
    wait_stored("the recalled settings as the record", lambda r: r.user_fields() == state["mixing"].user_fields())
    # By name as well.
    changed("volume 7 raised", ["--volume", 7, 0], lambda r: r.out_volume[6] == 127)
    expect_code(["--recall", "Mischen ü"], 0)
    wait_unit_matches(UNIT, state["mixing"])


def recall_from_menus():
    """recalled from the Config menu and from the tray, the unit gets the stored registers"""
    listening = changed("volume 3 lowered", ["--volume", 3, -20], lambda r: r.out_volume[2] == 87)
    state["panel"].command(CMD_SNAPSHOT_STORE)  # Config > Snapshots > "Store Current As..."
    ctl("store-dialog", 3, "Listening")
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    expect("Listening" in (slot_value(3) or ""), "slot 3 stored from the dialog")
    state["panel"].command(CMD_SNAPSHOT_FIRST + 1)  # Config > Snapshots > "2 Mischen ü"
    wait_unit_matches(UNIT, state["mixing"])
    state["panel"].command(CMD_SNAPSHOT_FIRST + 2)  # tray > Snapshots > "3 Listening"
    wait_unit_matches(UNIT, listening)
    expect_equal(state["panel"].boxes(), 0, "boxes after recalls the unit took")


def refused_in_part():
    """a recall the unit refuses in part names that part and keeps the rest"""
    expect_code(["--latency", 2], 0)
    expect_code(["--store", 4, "Tracking"], 0)
    tracking = reg_read()
    expect_code(["--latency", 5], 0)
    changed("volume 5 lowered", ["--volume", 5, -10], lambda r: r.out_volume[4] == 107)
    sim("fault", UNIT, hex(IOCTL_COMMAND), CMD_SET_LATENCY, "fail", 1)
    # The panel tells the failed send in its box as for any change; the
    # answer comes once the box is answered.
    got = {}
    sender = threading.Thread(target=lambda: got.update(answer=velpanel("--recall", 4)))
    sender.start()
    wait_for("the answer or the panel's box", lambda: not sender.is_alive() or ctl("boxes") != "0", 30)
    while ctl("boxes") != "0":
        ctl("dismiss", check=False)
    sender.join(60)
    code, out = got["answer"]
    expect_equal(code, 1, "exit code of a recall refused in part (%s)" % out)
    expect("setLatency" in out, "the refused part is named: %r" % out)
    kept = tracking.copy()
    kept.latency = 5
    wait_unit_matches(UNIT, kept)
    wait_stored("the rest kept as the record", lambda r: r.user_fields() == kept.user_fields())


def damaged_slot():
    """a damaged slot is refused by its number and changes nothing"""
    before = dump(UNIT)
    wine("reg", "add", REG_KEY, "/v", "Snapshot5", "/t", "REG_SZ", "/d", "garbage", "/f")
    out = expect_code(["--recall", 5], 1)
    expect("Snapshot 5 is damaged:" in out, "the answer names the slot: %r" % out)
    state["panel"].command(CMD_SNAPSHOT_FIRST + 4)
    state["panel"].expect_box("Snapshot 5 is damaged: it holds no settings. Nothing was changed.")
    after = dump(UNIT)
    for field in ("codec", "cpld", "selector", "configuration", "latency"):
        expect_equal(after[field], before[field], "unit's %s after the damaged slot" % field)


story.run([store_and_recall_from_command_line, recall_from_menus, refused_in_part, damaged_slot])
