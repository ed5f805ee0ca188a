#!/usr/bin/python3
"""Global hotkeys on the monitor pair.

The hotkeys are bound in Config > Hotkeys... (panelctl fills its fields);
each one, posted as WM_HOTKEY the way the system sends it, changes the unit's
registers as stated (read back from the device model). The dim and its undo
give back the exact registers; a kill during a dim leaves the undimmed record
(read back with `reg`); the on-screen level shows without taking the focus
from the foreground window, is heard as an alert by a screen reader, and goes; a combination another program holds is
named in a box and not kept.
"""
import subprocess

from e2elib import *

story = Story("hotkeys")
UNIT = "E2EHOTK1"
WM_HOTKEY, HOTKEY_ID_FIRST, CMD_HOTKEYS = 0x312, 0x484B, 32860
ALT, CTRL, SHIFT = 1, 2, 4
UP, DOWN, COARSE_UP, COARSE_DOWN, MUTE, DIM, MUTE_ALL, SNAPSHOT_1 = range(8)
BINDINGS = {UP: (CTRL | ALT, 0x26), DOWN: (CTRL | ALT, 0x28), COARSE_UP: (CTRL | ALT, 0x21),
            COARSE_DOWN: (CTRL | ALT, 0x22), MUTE: (CTRL | ALT, 0x4D), DIM: (CTRL | ALT, 0x44),
            MUTE_ALL: (CTRL | ALT | SHIFT, 0x4D)}
BINDINGS.update({SNAPSHOT_1 + i: (CTRL | ALT, 0x31 + i) for i in range(8)})
state = {}


def hotkey(action):
    mods, vk = BINDINGS[action]
    ctl("post", WM_HOTKEY, HOTKEY_ID_FIRST + action, (vk << 16) | mods)


def pair_is(left, right, what):
    """Outputs 1 and 2 hold these steps (bit 7 set on every write)."""
    return wait_unit(UNIT, what, lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | left
                     and d["codec"][VOLUME_REGISTER[1]] == 0x80 | right)


def hotkeys_value():
    result = wine("reg", "query", REG_KEY, "/v", "Hotkeys", check=False)
    return result.stdout if result.returncode == 0 else ""


def hold_window(*args):
    """Another program with a window in the foreground (holding a hotkey when given)."""
    process = subprocess.Popen(["wine", PANELCTL, "hold-window", "E2E foreground", "60000", *map(str, args)],
                               env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
    story.cleanups.append(lambda: (process.kill(), process.wait(10)))
    return process, process.stdout.readline().strip()


def bind_in_dialog():
    """the hotkeys bound in Config > Hotkeys... are kept beside the record"""
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [100, 90, 127, 127, 127, 127, 127, 127]
    record.out_link = [0, 1, 1, 1]
    reg_write_raw(bytes(record.raw))
    state["record"] = record
    state["panel"] = story.panel()
    wait_unit_matches(UNIT, record)
    expect_equal(hotkeys_value(), "", "hotkeys stored before any is bound")
    state["panel"].command(CMD_HOTKEYS)
    ctl("hotkeys-dialog", *["%d:%d:%d" % (a, m, v) for a, (m, v) in BINDINGS.items()], "dim=20", "onscreen=1")
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    stored = hotkeys_value()
    for text in ("volume-up=Ctrl+Alt+Up", "mute-all=Ctrl+Alt+Shift+M", "snapshot-8=Ctrl+Alt+8", "dim-db=20"):
        expect(text in stored, "%r in the stored hotkeys: %r" % (text, stored))


def each_hotkey():
    """each hotkey changes the unit's registers as stated"""
    hotkey(UP)
    pair_is(101, 91, "up 0.5 dB")
    hotkey(DOWN)
    pair_is(100, 90, "down 0.5 dB")
    hotkey(COARSE_UP)
    pair_is(106, 96, "up 3 dB")
    hotkey(COARSE_DOWN)
    pair_is(100, 90, "down 3 dB")
    hotkey(MUTE)
    d = pair_is(0, 0, "the pair muted")
    expect_equal(d["codec"][VOLUME_REGISTER[2]], 0x80 | 127, "output 3 while the pair is muted")
    hotkey(MUTE)
    pair_is(100, 90, "the pair unmuted")
    hotkey(MUTE_ALL)
    wait_unit(UNIT, "every output muted", lambda d: all(d["codec"][r] == 0x80 for r in VOLUME_REGISTER))
    hotkey(MUTE_ALL)
    wait_unit_matches(UNIT, state["record"])
    code = run_wine([VELPANEL, "--store", 3, "Mixing"], 60).returncode
    expect_equal(code, 0, "exit code of --store 3")
    hotkey(UP)
    pair_is(101, 91, "up before the recall")
    hotkey(SNAPSHOT_1 + 2)
    wait_unit_matches(UNIT, state["record"])


def dim_and_undim():
    """dim lowers the pair by 20 dB and the second press gives back the exact registers"""
    before = dump(UNIT)
    hotkey(DIM)
    pair_is(60, 50, "the pair dimmed by 20 dB")
    wait_stored("the undimmed levels while dimmed", lambda r: list(r.out_volume)[:2] == [100, 90])
    hotkey(DIM)
    after = pair_is(100, 90, "the pair undimmed")
    expect_equal(after["codec"], before["codec"], "the converter's registers after dim and undim")


def on_screen_level():
    """the on-screen level shows what a hotkey did without taking the focus, and goes"""
    process, ready = hold_window()
    expect_equal(ready, "ready none", "the foreground program")
    wait_for("the other program in the foreground", lambda: ctl("foreground") == "E2E foreground")
    # A screen reader hears the alert with the level's text as its name.
    reader = subprocess.Popen(["wine", PANELCTL, "alerts", "20000"], env=ENV, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    story.cleanups.append(lambda: (reader.kill(), reader.wait(10)))
    expect_equal(reader.stdout.readline().strip(), "listening", "the screen reader's hook")
    hotkey(DIM)
    shown = ctl("on-screen", 5000)
    expect_equal(shown, "Dim -20 dB|Dim -20 dB|topmost=1 noactivate=1", "the on-screen level")
    expect_equal(reader.stdout.readline().strip(), "alert Dim -20 dB", "what the screen reader hears")
    expect_equal(ctl("foreground"), "E2E foreground", "the foreground window while the level shows")
    ctl("on-screen-gone", 5000)
    hotkey(DIM)
    expect_equal(ctl("on-screen", 5000).split("|")[0], "Outputs 1-2  -13.5 / -18.5 dB", "the level after undim")
    expect_equal(ctl("foreground"), "E2E foreground", "the foreground window afterwards")
    process.kill()
    process.wait(10)


def kill_during_dim():
    """a kill during a dim leaves the undimmed record, and the restart applies it"""
    hotkey(DIM)
    pair_is(60, 50, "dimmed before the kill")
    state["panel"].kill()
    expect_equal(list(reg_read().out_volume)[:2], [100, 90], "stored levels after a kill during a dim")
    unplug(UNIT)
    plug(UNIT)
    state["panel"] = story.panel()
    wait_unit_matches(UNIT, state["record"])


def taken_combination():
    """a combination another program holds is named and not kept"""
    process, ready = hold_window(CTRL | ALT, 0x54)
    expect_equal(ready, "ready held", "the other program's hotkey")
    state["panel"].command(CMD_HOTKEYS)
    ctl("hotkeys-dialog", "%d:%d:%d" % (MUTE_ALL, CTRL | ALT, 0x54))
    state["panel"].expect_box("Ctrl+Alt+T is in use by another program; it is not kept.")
    stored = hotkeys_value()
    expect("Ctrl+Alt+T" not in stored and "mute-all=" not in stored, "the taken combination is not kept: %r" % stored)
    expect("volume-up=Ctrl+Alt+Up" in stored, "the other bindings are kept: %r" % stored)
    # The other hotkeys still act (registered again after the dialog).
    hotkey(UP)
    pair_is(101, 91, "up after the dialog")


def taken_at_start():
    """a stored combination another program holds at the start is named and not kept"""
    process, ready = hold_window(CTRL | ALT, 0x55)
    expect_equal(ready, "ready held", "the other program's hotkey")
    state["panel"].exit()
    wine("reg", "add", REG_KEY, "/v", "Hotkeys", "/t", "REG_SZ", "/d", "volume-up=Ctrl+Alt+U", "/f")
    state["panel"] = story.panel()
    state["panel"].expect_box("Ctrl+Alt+U is in use by another program; it is not kept.")
    expect("Ctrl+Alt+U" not in hotkeys_value(), "the taken combination is not kept: %r" % hotkeys_value())
    process.kill()
    process.wait(10)


def velpanel(*args):
    result = run_wine([VELPANEL, *map(str, args)], 60)
    return result.returncode, (result.stdout + result.stderr).replace("\r", "").strip()


def command_line():
    """--step, --dim and --mute-all act on the monitor pair and answer with their exit codes"""
    expect_equal(velpanel("--step", "down", 2), (0, "Outputs 1-2 are at -15.0 / -20.0 dB."), "--step down 2")
    pair_is(97, 87, "down 2 dB from the command line")
    expect_equal(velpanel("--step", "up")[0], 0, "exit code of --step up")
    pair_is(98, 88, "up 0.5 dB from the command line")
    expect_equal(velpanel("--dim", "on")[0], 0, "exit code of --dim on")
    pair_is(58, 48, "dimmed from the command line")
    expect_equal(velpanel("--dim", "on"), (0, "Outputs 1-2 are dimmed already."), "--dim on when dimmed")
    expect_equal(velpanel("--dim", "toggle")[0], 0, "exit code of --dim toggle")
    pair_is(98, 88, "undimmed from the command line")
    expect_equal(velpanel("--mute-all", "on"), (0, "All outputs are muted."), "--mute-all on")
    wait_unit(UNIT, "every output muted", lambda d: all(d["codec"][r] == 0x80 for r in VOLUME_REGISTER))
    expect_equal(velpanel("--mute-all", "off")[0], 0, "exit code of --mute-all off")
    pair_is(98, 88, "unmuted from the command line")
    for args in (["--step", "up", 0], ["--step", "sideways"], ["--dim", "half"], ["--mute-all"]):
        expect_equal(velpanel(*args)[0], 2, "exit code of %s" % " ".join(map(str, args)))


story.run([bind_in_dialog, each_hotkey, dim_and_undim, on_screen_level, kill_during_dim, taken_combination,
           command_line, taken_at_start])
