#!/usr/bin/python3
"""A second start while the panel runs ends at once and shows the first one,
whatever hid it (hidden after start, its close box, Escape, the unit pulled
out); Escape and the close box only hide the window; Exit ends the panel and
keeps what the user set.
"""
import time

from e2elib import *

story = Story("one panel at a time, hiding and Exit")
UNIT = "E2EINST1"
VK_ESCAPE = 0x1B
state = {}


def second_start(expect_visible=True):
    t0 = time.monotonic()
    second = run_wine([VELPANEL], timeout=30)
    took = time.monotonic() - t0
    expect_equal(second.returncode, 0, "exit code of the second start")
    expect(took < 15, "the second start ended (%.1f s)" % took)
    panel = state["panel"]
    expect(panel.alive(), "the first panel still runs")
    if expect_visible:
        wait_for("the second start to show the panel", panel.visible)


def second_start_shows_the_hidden_panel():
    """a second start ends at once and shows the panel hidden after its start"""
    plug(UNIT)
    first = story.panel()
    state["panel"] = first
    wait_for("the window to hide itself", lambda: not first.visible())
    second_start()
    expect_equal(first.boxes(), 0, "message boxes")
    expect_equal(first.title(), "Velmora Control Panel - " + TITLE_VERSION, "the first panel's title")
    expect_equal(ctl("control-page"), "1", "the Control page shown")
    expect_equal(dump(UNIT)["openHandles"], 1, "handles on the unit")


def close_box_and_escape_hide():
    """the close box and Escape only hide the window; a second start brings it back"""
    panel = state["panel"]
    panel.command(ID_TAB_INFO)
    ctl("close")
    wait_for("the window to hide", lambda: not panel.visible())
    second_start()
    expect_equal(ctl("control-page"), "1", "the Control page shown after a second start")
    ctl("key", VK_ESCAPE)
    wait_for("Escape to hide the window", lambda: not panel.visible())
    expect(panel.alive(), "the panel still runs after Escape")
    second_start()


def unplugged_panel_comes_back():
    """with the unit pulled out the panel hides; a second start shows it all the same"""
    panel = state["panel"]
    unplug(UNIT)
    wait_for("the removal to hide the window", lambda: not panel.visible())
    second_start()
    expect_equal(panel.title(), "Velmora Control Panel - " + TITLE_VERSION + " - No Device", "title without the unit")
    plug(UNIT)
    panel.wait_connected()


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


story.run([second_start_shows_the_hidden_panel, close_box_and_escape_hide, unplugged_panel_comes_back, exit_saves])
