#!/usr/bin/python3
"""A second start while the panel runs ends at once and leaves the first one
alone; Exit ends the panel and keeps what the user set; the window's close
box only hides it.
"""
import subprocess
import time

from e2elib import *

story = Story("one panel at a time, Exit")
UNIT = "E2EINST1"
state = {}


def second_start():
    """a second start ends at once, with no window and no message"""
    plug(UNIT)
    first = story.panel()
    state["panel"] = first
    t0 = time.monotonic()
    second = run_wine([VELPANEL], timeout=30)
    took = time.monotonic() - t0
    expect_equal(second.returncode, 0, "exit code of the second start")
    expect(took < 15, "the second start ended (%.1f s)" % took)
    expect(first.alive(), "the first panel still runs")
    expect_equal(first.boxes(), 0, "message boxes")
    expect_equal(first.title(), "Velmora Control Panel - Ver 1.06", "the first panel's title")
    expect_equal(dump(UNIT)["openHandles"], 1, "handles on the unit")


def close_box_hides():
    """Open shows the Control page's window; the close box only hides it"""
    panel = state["panel"]
    panel.command(ID_TAB_INFO)
    panel.command(CMD_OPEN)
    wait_for("the window to show", panel.visible)
    expect_equal(ctl("control-page"), "1", "the Control page shown after Open")
    ctl("close")
    wait_for("the window to hide", lambda: not panel.visible())
    expect(panel.alive(), "the panel still runs after its close box")


def exit_saves():
    """Exit right after a change: the process ends, the change is stored"""
    panel = state["panel"]
    panel.click(ID_MUTE_FIRST + 5)
    wait_unit(UNIT, "output 5 muted", lambda d: d["codec"][VOLUME_REGISTER[5]] == 0x80)
    expect_equal(panel.exit(), 0, "exit code")
    expect_equal(reg_read().out_mute, [0, 0, 0, 0, 0, 1, 0, 0], "stored mutes")
    wait_unit(UNIT, "the unit's channel closed", lambda d: d["openHandles"] == 0)
    again = story.panel()
    expect(again.alive(), "a new start after Exit runs")


story.run([second_start, close_box_hides, exit_saves])
