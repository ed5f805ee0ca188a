#!/usr/bin/python3
"""Things that happen while the panel shows a failure box, and stores that
cannot be written: the unit is pulled out (and plugged back) before the user
presses OK, fader notches queued behind the failing one, a storm of
device-change messages, a settings key the user may read but not change.

The panel must not touch a unit that left, must show no boxes for it, must
keep the record as the removal saved it, and what the unit holds, what the
store holds and what the user was told must agree.
"""
from e2elib import *

story = Story("failures, unplugs and locked keys")
UNIT = "E2EREL1"
IOCTL_RAW_WRITE, IOCTL_COMMAND = 0x2200C0, 0x2200D0
CMD_WRITE_CPLD = 5
MON_BOX = "Function error USBDevice::setVelCpldDigitalMon()"
VOLUME_BOX = "Function error VelmoraController::setOutVolume()"
SAVE_BOX = "Your settings could not be saved to"
state = {}


def user_record():
    r = Record.defaults()
    r.out_volume = [100, 100, 90, 90, 80, 80, 70, 70]
    return r


def fault(code, command, count=1):
    sim("fault", UNIT, hex(code), command, "fail", count)


def no_more_boxes(panel):
    """No box comes up for a unit that left (given a moment to show one)."""
    time.sleep(0.5)
    expect_equal(panel.boxes(), 0, "message boxes after OK")
    expect(panel.alive(), "the panel still runs")


def unplugged_during_mon_box():
    """MON's CPLD write fails; the unit is pulled out before OK: no crash, the record as the removal saved it"""
    plug(UNIT)
    reg_write_raw(bytes(user_record().raw))
    panel = story.panel()
    state["panel"] = panel
    before = reg_read()
    fault(IOCTL_COMMAND, CMD_WRITE_CPLD)
    panel.click(ID_MON)
    wait_for("the MON box", lambda: panel.boxes(MON_BOX))
    unplug(UNIT)
    wait_for("the removal", lambda: panel.title().endswith("No Device"))
    panel.expect_box(MON_BOX)
    no_more_boxes(panel)
    expect_equal(reg_read().raw, before.raw, "stored record")
    # The master stayed as the removal left it: ending the panel now (its
    # last save) stores nothing the unit never had.
    expect_equal(panel.exit(), 0, "exit code")
    expect_equal(reg_read().raw, before.raw, "stored record after Exit")


def replugged_during_mon_box():
    """the same with the unit plugged back before OK: it comes up with MON off, and so do the store"""
    plug(UNIT)
    panel = story.panel()
    state["panel"] = panel
    fault(IOCTL_COMMAND, CMD_WRITE_CPLD)
    panel.click(ID_MON)
    wait_for("the MON box", lambda: panel.boxes(MON_BOX))
    unplug(UNIT)
    plug(UNIT)
    wait_unit_matches(UNIT, user_record())  # the new unit got the stored record, MON off
    panel.expect_box(MON_BOX)
    no_more_boxes(panel)
    d = dump(UNIT)
    expect_equal(d["cpld"] & CPLD_MON, 0, "MON bit of the new unit")
    expect_equal(reg_read().digital_mon, 0, "stored MON")
    # The unit, the page and the store agree: the next MON click turns it on.
    panel.click(ID_MON)
    wait_unit(UNIT, "MON on", lambda d: d["cpld"] & CPLD_MON)
    wait_stored("MON on", lambda r: r.digital_mon == 1)


def unplugged_during_factory_default():
    """Factory Default's volume frames fail; the unit leaves at the first box: no second box"""
    panel = state["panel"]
    fault(IOCTL_RAW_WRITE, -1, 8)
    panel.command(CMD_FACTORY_DEFAULT)
    panel.answer(FACTORY_DEFAULT_QUESTION, yes=True)
    wait_for("the first volume box", lambda: panel.boxes(VOLUME_BOX))
    unplug(UNIT)
    panel.expect_box(VOLUME_BOX)
    no_more_boxes(panel)
    # The removal saved what the unit had: the defaults it never got are not stored.
    expect_equal(reg_read().out_volume, user_record().out_volume, "stored volumes")


def notches_queued_behind_a_failing_one():
    """four fader notches, the first one's frame fails: the queued ones are not taken while its box is open"""
    panel = state["panel"]
    plug(UNIT)
    panel.wait_connected()
    record = user_record()
    record.digital_mon = 1  # turned on two steps ago
    wait_unit_matches(UNIT, record)
    fault(IOCTL_RAW_WRITE, -1, 1)
    panel.fader(7, -4)  # outputs 6 and 7 are linked
    panel.expect_box(VOLUME_BOX)
    no_more_boxes(panel)
    d = dump(UNIT)
    stored = reg_read()
    for output in (6, 7):
        expect_equal(d["codec"][VOLUME_REGISTER[output]] & 0x7F, stored.out_volume[output],
                     "output %d: unit and store" % output)
    # The page shows what the unit has: one more notch moves both from there.
    panel.fader(7, -1)
    want = stored.out_volume[7] - 1
    wait_unit(UNIT, "outputs 6 and 7 one step down", lambda d: d["codec"][VOLUME_REGISTER[7]] == 0x80 | want
              and d["codec"][VOLUME_REGISTER[6]] == 0x80 | want)
    wait_stored("the notch", lambda r: r.out_volume[6] == want and r.out_volume[7] == want)


def storm_of_device_changes():
    """a hundred device-change messages, then a unit leaves: the panel notices the last change"""
    panel = state["panel"]
    ctl("storm", 100)
    unplug(UNIT)
    ctl("storm", 100)
    wait_for("the removal", lambda: panel.title().endswith("No Device"), timeout=10)
    plug(UNIT)
    panel.wait_connected()
    expect(panel.alive(), "the panel still runs")


def read_only_settings_key():
    """the settings key may be read but not written: the user's record is applied, and the user is told once"""
    panel = state["panel"]
    panel.exit()
    unplug(UNIT)
    reg_write_raw(bytes(user_record().raw))
    key = REG_KEY.replace("HKCU\\", "")
    ctl("key-access", key, "read-only")
    try:
        plug(UNIT)
        panel = story.panel()
        wait_unit_matches(UNIT, user_record())  # not the louder defaults
        # The arrival's save (the unit's versions) is the first to fail.
        panel.expect_box(SAVE_BOX)
        no_more_boxes(panel)
        # Changes are in effect though they cannot be stored, and not told again.
        panel.fader(0, -2)
        wait_unit(UNIT, "outputs 0 and 1 at 98", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | 98)
        panel.fader(0, -1)
        wait_unit(UNIT, "outputs 0 and 1 at 97", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | 97)
        no_more_boxes(panel)
        expect_equal(reg_read().out_volume, user_record().out_volume, "the locked record")
    finally:
        ctl("key-access", key, "full", check=False)


story.run([unplugged_during_mon_box, replugged_during_mon_box, unplugged_during_factory_default,
           notches_queued_behind_a_failing_one, storm_of_device_changes, read_only_settings_key])
