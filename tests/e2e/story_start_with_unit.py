#!/usr/bin/python3
"""A user starts the panel with a unit attached.

With nothing stored, the unit comes up with the default settings and they are
stored; with a stored record, the unit comes up as the record says; a stored
record that cannot be right (wrong size, a rate the unit does not run at)
gives the defaults in every field. The window hides itself, the title shows
the panel's version.
"""
from e2elib import *

story = Story("started with a unit attached")
UNIT = "E2ESTART1"


def defaults_applied():
    """no stored record: the unit gets the defaults, the store gets the record"""
    plug(UNIT)
    panel = story.panel()
    expect_equal(panel.title(), "Velmora Control Panel - " + TITLE_VERSION, "title")
    wait_for("the window to hide itself", lambda: not panel.visible())
    defaults = Record.defaults()
    d = wait_unit_matches(UNIT, defaults)
    expect(d["openHandles"] >= 1, "the panel holds the unit's control channel")
    stored = wait_stored("written at arrival", lambda r: True)
    expect_equal(stored.user_fields(), defaults.user_fields(), "stored record")
    expect_equal((stored.panel_major, stored.panel_minor), tuple(int(part) for part in VERSION.split(".")[:2]),
                 "panel version in the record")
    expect_equal((stored.input_channels, stored.output_channels, stored.clock_status), (18, 8, 1),
                 "channel counts and clock status in the record")
    expect(any(stored.driver_version) and any(stored.firmware_version), "the unit's versions in the record")
    panel.exit()
    unplug(UNIT)


def stored_record_applied():
    """a stored record: the unit comes up as the user left it"""
    record = Record.defaults()
    record.out_volume = [100, 90, 127, 0, 64, 5, 127, 126]
    record.out_mute = [0, 0, 0, 1, 0, 0, 1, 0]
    record.out_link = [0, 1, 0, 1]
    record.selector = 2
    record.mix_out_sel = 1
    record.digital_mon = 1
    record.sample_rate = 96000
    record.output_level = 1
    record.digital_format = 1
    record.latency = 2
    reg_write_raw(bytes(record.raw))
    plug(UNIT)
    panel = story.panel()
    wait_unit_matches(UNIT, record)
    stored = reg_read()
    expect_equal(stored.user_fields(), record.user_fields(), "stored record after arrival")
    panel.exit()
    unplug(UNIT)
    expect_equal(reg_read().user_fields(), record.user_fields(), "stored record after Exit")


def damaged_records_give_defaults():
    """a stored value of 351 bytes, or a record at 22050 Hz: the defaults, volumes included"""
    short = Record.defaults()
    short.out_volume = [3] * 8
    wrong_rate = short.copy()
    wrong_rate.sample_rate = 22050
    for name, raw in (("351 bytes", bytes(short.raw[:351])), ("22050 Hz", bytes(wrong_rate.raw))):
        reg_write_raw(raw)
        plug(UNIT)
        panel = story.panel()
        try:
            wait_unit_matches(UNIT, Record.defaults())
        except StoryFailure as error:
            raise StoryFailure("%s: %s" % (name, error))
        stored = wait_stored("defaults replace the " + name + " value",
                             lambda r: r.user_fields() == Record.defaults().user_fields())
        expect_equal(stored.out_volume, [127] * 8, name + ": stored volumes")
        panel.exit()
        unplug(UNIT)


story.run([defaults_applied, stored_record_applied, damaged_records_give_defaults])
