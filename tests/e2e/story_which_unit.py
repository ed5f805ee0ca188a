#!/usr/bin/python3
"""The user can tell which unit the panel works with: the Info page shows the
unit's serial, and a screen reader, asking from its own process, hears it
there and hears the controls by name with their values.
"""
from e2elib import *

story = Story("which unit, heard by a screen reader")
FIRST, SECOND = "E2ESN001", "E2ESN002"
state = {}


def serial_of_the_unit():
    """the Info page's serial line names the unit the panel took"""
    plug(FIRST)
    panel = story.panel()
    state["panel"] = panel
    expect_equal(ctl("acc-value", "Serial"), FIRST, "serial line")
    expect_equal(ctl("acc-value", "Firmware"), "2.1.3", "firmware line")


def controls_heard_by_name():
    """opened, the controls are heard by name with their values, and follow a change"""
    state["panel"].command(CMD_OPEN)  # the status texts are made while the window is shown
    wait_for("the window to show", state["panel"].visible)
    expect_equal(ctl("acc-value", "Sample rate"), "44100 Hz", "status column")
    state["panel"].fader(0, -12)
    wait_for("the fader to read -6 dB", lambda: ctl("acc-value", "Output 1 volume") == "-6.0 dB")


def another_unit():
    """the next unit the panel takes shows its own serial"""
    unplug(FIRST)
    plug(SECOND)
    state["panel"].wait_connected()
    expect_equal(ctl("acc-value", "Serial"), SECOND, "serial line")


story.run([serial_of_the_unit, controls_heard_by_name, another_unit])
