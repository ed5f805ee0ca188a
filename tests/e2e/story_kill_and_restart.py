#!/usr/bin/python3
"""The panel is killed (kill -9) right after a fader move: nothing the unit had
taken is lost when the panel starts again.
"""
from e2elib import *

story = Story("killed right after a fader move")
UNIT = "E2EKILL1"


def killed_after_fader_move():
    """kill -9 once the unit has the new volume; the restart applies it"""
    plug(UNIT)
    panel = story.panel()
    panel.fader(2, -40)  # outputs 2 and 3 (linked) to 87
    wait_unit(UNIT, "outputs 2 and 3 at 87", lambda d: d["codec"][VOLUME_REGISTER[2]] == 0x80 | 87
              and d["codec"][VOLUME_REGISTER[3]] == 0x80 | 87)
    panel.kill()
    stored = reg_read()
    expect_equal(stored.out_volume, [127, 127, 87, 87, 127, 127, 127, 127], "stored volumes after the kill")
    # The unit is pulled and plugged again so that it powers up blank: what it
    # holds afterwards comes from the restarted panel alone.
    unplug(UNIT)
    plug(UNIT)
    expect_equal(dump(UNIT)["codec"][VOLUME_REGISTER[2]], 0, "the re-plugged unit starts blank")
    story.panel()
    record = Record.defaults()
    record.out_volume = [127, 127, 87, 87, 127, 127, 127, 127]
    wait_unit_matches(UNIT, record)


def killed_after_many_moves():
    """kill -9 right after a run of quick moves on two faders"""
    panel = story.panels[-1]
    panel.fader(0, -5)
    panel.fader(7, -60)
    panel.fader(0, -5)
    wait_unit(UNIT, "the last moves", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | 117
              and d["codec"][VOLUME_REGISTER[7]] == 0x80 | 67)
    panel.kill()
    expect_equal(reg_read().out_volume, [117, 117, 87, 87, 127, 127, 67, 67], "stored volumes after the kill")


story.run([killed_after_fader_move, killed_after_many_moves])
