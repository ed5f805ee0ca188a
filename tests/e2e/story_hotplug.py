#!/usr/bin/python3
"""A user pulls the unit out and plugs it in again while the panel runs; a
second unit comes and goes; the unit's sample rate changes on the unit itself;
the current unit is pulled out while another one is plugged.

Pulled out: the settings are saved, the window hides and the title says there
is no device. Plugged in again (the unit powers up blank): the same settings
are applied again. A second unit plugged while one is current is left alone
and its removal changes nothing. A rate change on the unit reaches the record
and the store. When the current unit leaves and another is plugged, the other
is taken as if it had just arrived.
"""
from e2elib import *

story = Story("unplug, replug, a second unit, a rate change on the unit")
UNIT, OTHER = "E2EPLUG1", "E2EPLUG2"
state = {}


def start():
    """the panel runs with the unit, a mute and a fader changed by the user"""
    plug(UNIT)
    panel = story.panel()
    state["panel"] = panel
    panel.click(ID_MUTE_FIRST + 2)  # output 2 muted
    panel.fader(6, -20)             # outputs 6 and 7 (linked) at 107
    record = Record.defaults()
    record.out_mute = [0, 0, 1, 0, 0, 0, 0, 0]
    record.out_volume = [127] * 6 + [107, 107]
    state["record"] = record
    wait_unit_matches(UNIT, record)
    wait_stored("the user's changes", lambda r: r.user_fields() == record.user_fields())
    panel.command(CMD_OPEN)
    wait_for("the window to show", panel.visible)


def unplugged():
    """pulled out: window hidden, no device in the title, the record kept"""
    panel = state["panel"]
    unplug(UNIT)
    wait_for("the No Device title", lambda: panel.title().endswith(TITLE_VERSION + " - No Device"))
    wait_for("the window to hide", lambda: not panel.visible())
    wait_unit(UNIT, "the panel to let go of the unit", lambda d: d["openHandles"] == 0)
    expect_equal(reg_read().user_fields(), state["record"].user_fields(), "stored record after removal")
    expect(panel.alive(), "the panel keeps running without a unit")


def replugged():
    """plugged in again: the same settings re-applied to the blank unit"""
    panel = state["panel"]
    plug(UNIT)
    panel.wait_connected()
    wait_unit_matches(UNIT, state["record"])
    expect(not panel.visible(), "the window stays hidden on arrival")
    expect_equal(reg_read().user_fields(), state["record"].user_fields(), "stored record after arrival")


def second_unit():
    """a second unit plugged and pulled out changes nothing"""
    panel = state["panel"]
    before = dump(UNIT)
    stored_before = reg_read().raw
    plug(OTHER)
    # The panel hears of every plug through the device-change broadcast; wait
    # until it has certainly scanned: the current unit's meters keep flowing
    # for a full listener poll period and more.
    reads = before["counters"]["0x2200CC"]
    wait_unit(UNIT, "meter reads after the plug", lambda d: d["counters"]["0x2200CC"] >= reads + 20)
    other = dump(OTHER)
    expect_equal(other["frames"]["codec"] + other["frames"]["dit"], 0, "serial frames sent to the second unit")
    for command in ("3", "5", "9", "14", "17"):
        expect(command not in other["commands"], "command %s sent to the second unit" % command)
    expect(other["configuration"][0] == 48000 and other["cpld"] == CPLD_POWER_ON,
           "the second unit is still at its power-on state")
    unplug(OTHER)
    reads = dump(UNIT)["counters"]["0x2200CC"]
    wait_unit(UNIT, "meter reads after the second unit left", lambda d: d["counters"]["0x2200CC"] >= reads + 20)
    after = dump(UNIT)
    expect_equal(after["codec"], before["codec"], "the current unit's converter registers")
    expect_equal(after["frames"], before["frames"], "the current unit's frame counts")
    expect_equal(panel.title(), "Velmora Control Panel - " + TITLE_VERSION, "title")
    expect_equal(reg_read().raw, stored_before, "stored record")


def rate_from_unit():
    """the unit switches to 96000 Hz by itself: record and store follow"""
    sim("set", UNIT, "rate", 96000)
    stored = wait_stored("the unit's new rate", lambda r: r.sample_rate == 96000)
    expect_equal(stored.out_volume, state["record"].out_volume, "volumes kept with the new rate")
    wait_unit(UNIT, "the panel to read the unit's event", lambda d: d["eventPending"] == 0)
    d = dump(UNIT)
    expect_equal(d["configuration"][0], 96000, "the panel does not set the old rate back")


def current_unit_leaves_while_another_is_plugged():
    """two units plugged, the current one pulled out: the other is taken with the user's record"""
    panel = state["panel"]
    record = state["record"].copy()
    record.sample_rate = 96000
    wait_stored("the record with the unit's rate", lambda r: r.user_fields() == record.user_fields())
    plug(OTHER)
    unplug(UNIT)
    panel.wait_connected()
    wait_unit_matches(OTHER, record)
    expect(not panel.visible(), "the window stays hidden")
    expect_equal(reg_read().user_fields(), record.user_fields(), "stored record")


story.run([start, unplugged, replugged, second_unit, rate_from_unit, current_unit_leaves_while_another_is_plugged])
