#!/usr/bin/python3
"""A user works the panel's menus and controls; the unit's registers change
exactly as intended, and nothing else changes with them.

Menu: sample rate, clock, latency, Factory Default. Control page: a fader of a
linked and of an unlinked pair, a mute, a link, MON, MIX, the S/PDIF selector.
Main window: S/PDIF format and output level. Each step compares the unit's
whole register state with what the steps so far ask for.
"""
from e2elib import *

story = Story("menus and controls reach the unit")
UNIT = "E2ECTRL1"
state = {}


def expect_unit(record, rate=None, latency=None, clock_mode=None):
    """The unit holds `record` (rate and latency as given when the menu set
    them on the unit alone) and no frame was malformed."""
    want = record.copy()
    if rate is not None:
        want.sample_rate = rate
    if latency is not None:
        want.latency = latency
    d = wait_unit_matches(UNIT, want)
    expect_equal(d["frames"]["malformed"], 0, "malformed frames")
    if clock_mode is not None:
        wait_unit(UNIT, "clock mode %d" % clock_mode, lambda d: d["clockMode"] == clock_mode)
    return d


def start():
    """the panel runs with the unit at the defaults"""
    plug(UNIT)
    state["panel"] = story.panel()
    state["record"] = Record.defaults()
    expect_unit(state["record"])


def menu_rate_clock_latency():
    """Config menu: 96000 Hz, Internal Only, "rapid", then Auto"""
    panel, record = state["panel"], state["record"]
    panel.command(CMD_RATE[96000])
    expect_unit(record, rate=96000)
    # The unit reports the change; the record follows it.
    wait_stored("the rate the unit took", lambda r: r.sample_rate == 96000)
    record.sample_rate = 96000
    panel.command(CMD_CLOCK_INTERNAL)
    expect_unit(record, clock_mode=1)
    panel.command(CMD_LATENCY_FIRST + 1)  # "rapid"
    expect_unit(record, latency=2, clock_mode=1)
    panel.command(CMD_CLOCK_AUTO)
    expect_unit(record, latency=2, clock_mode=0)
    state["latency"] = 2


def faders():
    """a fader of a linked pair moves both outputs; of an unlinked pair one"""
    panel, record = state["panel"], state["record"]
    panel.fader(0, -27)
    record.out_volume[0] = record.out_volume[1] = 100
    expect_unit(record, latency=state["latency"])
    panel.click(ID_LINK_FIRST + 1)  # unlink outputs 2 and 3
    record.out_link[1] = 0
    panel.fader(2, -7)
    record.out_volume[2] = 120
    expect_unit(record, latency=state["latency"])
    stored = wait_stored("the fader moves", lambda r: r.out_volume[:4] == [100, 100, 120, 127])
    expect_equal(stored.out_link, [1, 0, 1, 1], "stored links")


def mute_mon_mix_selector():
    """a mute, MON, MIX and the S/PDIF selector"""
    panel, record = state["panel"], state["record"]
    panel.click(ID_MUTE_FIRST + 3)
    record.out_mute[3] = 1
    expect_unit(record, latency=state["latency"])
    panel.click(ID_MON)
    record.digital_mon = 1
    expect_unit(record, latency=state["latency"])
    panel.click(ID_MIX)  # shown on at mix-out 0: the click turns it off
    record.mix_out_sel = 1
    expect_unit(record, latency=state["latency"])
    panel.click(ID_SELECTOR_FIRST + 2)
    record.selector = 2
    expect_unit(record, latency=state["latency"])
    wait_stored("the switches", lambda r: (r.out_mute[3], r.digital_mon, r.mix_out_sel, r.selector) == (1, 1, 1, 2))


def format_and_level():
    """Professional format; the -10 dBV level resends every volume 10 steps lower"""
    panel, record = state["panel"], state["record"]
    panel.command(ID_FORMAT[1])
    record.digital_format = 1
    expect_unit(record, latency=state["latency"])
    panel.command(ID_LEVEL[1])
    record.output_level = 1
    d = expect_unit(record, latency=state["latency"])
    expect_equal([d["codec"][r] for r in VOLUME_REGISTER], [0x80 | v for v in (90, 90, 110, 0, 117, 117, 117, 117)],
                 "converter volumes at -10 dBV")
    wait_stored("format and level", lambda r: (r.digital_format, r.output_level) == (1, 1))


def factory_default():
    """Factory Default asks first; No keeps everything, Yes resets the unit and the store"""
    panel = state["panel"]
    before = reg_read()
    panel.command(CMD_FACTORY_DEFAULT)
    panel.answer(FACTORY_DEFAULT_QUESTION, yes=False)
    expect_equal(reg_read().user_fields(), before.user_fields(), "stored record after No")
    panel.command(CMD_FACTORY_DEFAULT)
    panel.answer(FACTORY_DEFAULT_QUESTION, yes=True)
    defaults = Record.defaults()
    expect_unit(defaults, clock_mode=0)
    wait_stored("the defaults", lambda r: r.user_fields() == defaults.user_fields())


story.run([start, menu_rate_clock_latency, faders, mute_mon_mix_selector, format_and_level, factory_default])
