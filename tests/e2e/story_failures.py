#!/usr/bin/python3
"""A request fails on the unit: the user is told which operation failed, in a
message box with the failing operation's name, and the panel carries on.

Failures are injected into the simulated unit for a given number of requests
(velmora-sim fault); each box is found, read and dismissed from outside.
"""
from e2elib import *

story = Story("failures on the unit reach the user")
UNIT = "E2EFAIL1"
IOCTL_RAW_WRITE, IOCTL_COMMAND = 0x2200C0, 0x2200D0
CMD_SET_SELECTOR, CMD_WRITE_CPLD, CMD_SET_CONFIGURATION = 3, 5, 9
state = {}


def fault(code, command, count=1):
    sim("fault", UNIT, hex(code), command, "fail", count)


def failing_arrival():
    """the rate cannot be set at arrival: one box, then the rest still applied"""
    plug(UNIT)
    fault(IOCTL_COMMAND, CMD_SET_CONFIGURATION)
    panel = story.panel(expect_connected=False)
    state["panel"] = panel
    panel.expect_box("Function error USBDevice::setConfiguration()")
    panel.wait_connected()
    expect_equal(panel.boxes(), 0, "message boxes left")
    record = Record.defaults()
    record.sample_rate = 48000  # the unit kept its own rate
    wait_unit_matches(UNIT, record)


def failing_selector():
    """the S/PDIF selector cannot be set: its box; the next choice works"""
    panel = state["panel"]
    fault(IOCTL_COMMAND, CMD_SET_SELECTOR)
    panel.click(ID_SELECTOR_FIRST + 3)
    panel.expect_box("Function error USBDevice::setDigitalOutSelector()")
    expect_equal(dump(UNIT)["selector"], 0, "selector after the failed write")
    panel.click(ID_SELECTOR_FIRST + 1)
    wait_unit(UNIT, "selector 1", lambda d: d["selector"] == 1)


def failing_volume():
    """a volume frame cannot be written: its box; the output stays where the unit has it and the next move works"""
    panel = state["panel"]
    fault(IOCTL_RAW_WRITE, -1)
    panel.fader(4, -1)  # outputs 4 and 5 are linked: two frames, the first fails
    panel.expect_box("Function error VelmoraController::setOutVolume()")
    wait_stored("output 4 as the unit has it", lambda r: r.out_volume[4] == 127 and r.out_volume[5] == 126)
    panel.fader(4, -1)  # the fader of output 4 went back to 127: one notch takes both to 126
    wait_unit(UNIT, "outputs 4 and 5 at 126",
              lambda d: d["codec"][VOLUME_REGISTER[4]] == 0x80 | 126 and d["codec"][VOLUME_REGISTER[5]] == 0x80 | 126)


def failing_cpld():
    """the CPLD cannot be written: the MON box; the MIX switch still works"""
    panel = state["panel"]
    fault(IOCTL_COMMAND, CMD_WRITE_CPLD)
    panel.click(ID_MON)
    panel.expect_box("Function error USBDevice::setVelCpldDigitalMon()")
    expect_equal(dump(UNIT)["cpld"], CPLD_POWER_ON, "CPLD after the failed write")
    panel.click(ID_MIX)
    d = wait_unit(UNIT, "the MIX bit", lambda d: d["cpld"] & CPLD_MIX)
    expect_equal(d["cpld"] & ~CPLD_MIX, CPLD_POWER_ON, "the other CPLD bits")
    expect_equal(panel.boxes(), 0, "message boxes left")
    expect(panel.alive(), "the panel still runs")


story.run([failing_arrival, failing_selector, failing_volume, failing_cpld])
