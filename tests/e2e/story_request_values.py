#!/usr/bin/python3
"""The values a request carries, as the running panel takes and answers them.

A volume between two steps sets the nearest step, and the answer states that
step rather than the value asked for. A settings file whose clock mode the
unit refuses is taken in every other part and answered 1, naming the clock
mode; the same file on a unit that takes it answers 0.
"""
import json

from e2elib import *

story = Story("request values")
UNIT = "E2EVAL1"
PRESET = r"C:\velpanel-e2e\clock mode.velpanel"
IOCTL_COMMAND, CMD_SET_CLOCK_MODE = 0x2200D0, 17
state = {}


def host_path(windows_path):
    return os.path.join(PREFIX, "drive_c", windows_path[3:].replace("\\", "/"))


def velpanel(*args, timeout=60):
    """A second start of the exe with arguments: (exit code, everything it printed)."""
    result = run_wine([VELPANEL, *map(str, args)], timeout)
    return result.returncode, (result.stdout + result.stderr).replace("\r", "").strip()


def volume_between_steps():
    """--volume 1 -0.3 sets output 1 to -0.5 dB and the answer says -0.5 dB"""
    plug(UNIT)
    state["panel"] = story.panel()
    code, said = velpanel("--volume", 1, "-0.3")
    expect_equal(code, 0, "exit code of --volume 1 -0.3 (%s)" % said)
    expect("-0.5 dB" in said and "-0.3" not in said, "the answer states the step set: %r" % said)
    wait_unit(UNIT, "output 1 at step 126 (-0.5 dB)", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | 126)


def load_with_a_refused_clock_mode():
    """a file whose clock mode the unit refuses answers 1 naming it; the rest of it is taken"""
    os.makedirs(host_path(r"C:\velpanel-e2e"), exist_ok=True)
    code, said = velpanel("--save", PRESET)
    expect_equal(code, 0, "exit code of --save (%s)" % said)
    preset = json.load(open(host_path(PRESET)))
    preset["clockMode"] = "Internal Only"
    preset["outputs"][6].update({"volume": 60, "volumeDb": -33.5})
    with open(host_path(PRESET), "w") as f:
        json.dump(preset, f)
    expect_equal(dump(UNIT)["clockMode"], 0, "the unit's clock mode before")

    sim("fault", UNIT, hex(IOCTL_COMMAND), CMD_SET_CLOCK_MODE, "fail", 1)
    code, said = velpanel("--load", PRESET)
    expect_equal(code, 1, "exit code of --load with the clock mode refused (%s)" % said)
    expect("setClockMode" in said, "the answer names the clock mode: %r" % said)
    wait_unit(UNIT, "output 7 from the file", lambda d: d["codec"][VOLUME_REGISTER[6]] == 0x80 | 60)
    expect_equal(dump(UNIT)["clockMode"], 0, "the unit's clock mode after the refusal")

    code, said = velpanel("--load", PRESET)
    expect_equal(code, 0, "exit code of --load taken whole (%s)" % said)
    wait_unit(UNIT, "the file's clock mode", lambda d: d["clockMode"] == 1)


story.run([volume_between_steps, load_with_a_refused_clock_mode])
