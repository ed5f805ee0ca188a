#!/usr/bin/python3
"""The panel driven from the command line and through settings files, and the
diagnostics log it keeps.

A second VelPanel.exe hands each request to the running panel and ends with
its answer: --status as JSON, --save and --load of a settings file, --rate,
--latency, --volume, --mute, --show and --exit, each with its exit code. A
damaged settings file is refused, naming its field, and changes nothing.
Without a running panel, a request that changes the unit starts a panel in
the background and hands itself over. The log holds arrivals,
removals and failed sends, and rotates.
"""
import glob
import json

from e2elib import *

story = Story("command line, settings files and the log")
UNIT = "E2ECMD1"
PRESET = r"C:\velpanel-e2e\live set.velpanel"
DAMAGED = r"C:\velpanel-e2e\damaged.velpanel"
IOCTL_COMMAND, CMD_SET_SELECTOR = 0x2200D0, 3
EXIT_USAGE, EXIT_NO_PANEL = 2, 3
CMD_SAVE_SETTINGS_AS, CMD_LOAD_SETTINGS = 32790, 32791
state = {}


def host_path(windows_path):
    return os.path.join(PREFIX, "drive_c", windows_path[3:].replace("\\", "/"))


def log_folder():
    found = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel"))
    return found[0] if found else None


def velpanel(*args, timeout=60):
    """A second start of the exe with arguments: (exit code, output, errors)."""
    result = run_wine([VELPANEL, *map(str, args)], timeout)
    return result.returncode, result.stdout.replace("\r", "").strip(), result.stderr.replace("\r", "")


def expect_code(args, code):
    got = velpanel(*args)
    expect_equal(got[0], code, "exit code of %s (%s)" % (" ".join(map(str, args)), got[2].strip()))
    return got


def status_and_save():
    """--status answers the state as JSON; --save writes it to a file by name"""
    os.makedirs(host_path(r"C:\velpanel-e2e"), exist_ok=True)
    # A log that is nearly full: the panel's first lines rotate it.
    folder = log_folder()
    if folder:
        for name in ("velpanel.log", "velpanel.log.1"):
            if os.path.exists(os.path.join(folder, name)):
                os.remove(os.path.join(folder, name))
    state["filler"] = "x" * 99 + "\n"
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [100, 100, 90, 90, 127, 127, 60, 60]
    record.sample_rate = 48000
    reg_write_raw(bytes(record.raw))
    state["saved"] = record
    if not folder:
        story.panel().exit()  # the first run makes the folder
        folder = log_folder()
    expect(folder, "a log folder under LOCALAPPDATA")
    with open(os.path.join(folder, "velpanel.log"), "w") as f:
        f.write(state["filler"] * 2620)  # 262,000 bytes of 262,144
    state["panel"] = story.panel()
    wait_unit_matches(UNIT, record)

    code, out, _ = expect_code(["--status"], 0)
    status = json.loads(out)
    expect_equal(status["unit"], "VELMORA\\UNIT\\" + UNIT, "unit in --status")
    expect_equal(status["settings"]["sampleRate"], 48000, "rate in --status")
    expect_equal([o["volume"] for o in status["settings"]["outputs"]], list(record.out_volume), "volumes")
    with open(host_path(PRESET), "w") as f:
        f.write("an earlier file, replaced whole")
    expect_code(["--save", PRESET], 0)
    preset = json.load(open(host_path(PRESET)))
    expect_equal((preset["format"], preset["version"]), ("VelPanel settings", 2), "file format")
    expect_equal(preset["outputs"][6]["volumeDb"], -33.5, "output 7 in dB")


def requests_change_the_unit():
    """--rate, --latency, --volume and --mute reach the unit; wrong values are refused"""
    expect_code(["--rate", 96000], 0)
    expect_code(["--latency", 2], 0)
    expect_code(["--volume", 3, -20], 0)  # outputs 3 and 4 are linked
    expect_code(["--mute", 1, "on"], 0)
    changed = state["saved"].copy()
    changed.sample_rate, changed.latency = 96000, 2
    changed.out_volume = [100, 100, 87, 87, 127, 127, 60, 60]
    changed.out_mute = [1, 0, 0, 0, 0, 0, 0, 0]
    wait_unit_matches(UNIT, changed)
    wait_stored("the requests", lambda r: r.user_fields() == changed.user_fields())
    expect_code(["--rate", 22050], EXIT_USAGE)
    expect_code(["--volume", 9, 0], EXIT_USAGE)
    expect_code(["--frobnicate"], EXIT_USAGE)


def load_brings_the_file_back():
    """--load applies the file as one change; a damaged file names its field and changes nothing"""
    expect_code(["--load", PRESET], 0)
    wait_unit_matches(UNIT, state["saved"])
    wait_stored("the loaded file", lambda r: r.user_fields() == state["saved"].user_fields())
    text = open(host_path(PRESET)).read().replace('"latency": 4', '"latency": 9')
    open(host_path(DAMAGED), "w").write(text)
    before = reg_read().raw
    _, _, errors = expect_code(["--load", DAMAGED], 1)
    expect("latency" in errors, "the refusal names the field: %r" % errors)
    expect_equal(reg_read().raw, before, "stored record after the damaged file")
    wait_unit_matches(UNIT, state["saved"])


def file_menu():
    """File > Save Settings As... and Load Settings... through the file dialogs"""
    panel = state["panel"]
    menu_file = r"C:\velpanel-e2e\from the menu.velpanel"
    if os.path.exists(host_path(menu_file)):
        os.remove(host_path(menu_file))  # an earlier run's: the dialog would ask before replacing it
    panel.command(CMD_SAVE_SETTINGS_AS)
    ctl("file-dialog", menu_file)
    wait_for("the file from the menu", lambda: os.path.exists(host_path(menu_file)))
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")  # no request runs under it
    expect_code(["--volume", 7, 0], 0)
    wait_unit(UNIT, "output 7 at 0 dB", lambda d: d["codec"][VOLUME_REGISTER[6]] == 0xFF)
    panel.command(CMD_LOAD_SETTINGS)
    ctl("file-dialog", menu_file)
    wait_unit_matches(UNIT, state["saved"])


def show_and_exit():
    """--show shows the window; --exit ends the panel"""
    expect_code(["--show"], 0)
    ctl("wait-visible", 1, 5000)
    expect_code(["--exit"], 0)
    expect(state["panel"].process.wait(10) == 0, "the panel ended")
    expect_code(["--status"], EXIT_NO_PANEL)


def request_without_a_panel():
    """with no panel running, --rate starts one in the background; with no unit it answers 4 and sets nothing"""
    unplug(UNIT)
    expect_code(["--rate", 88200, "--wait", 1], 4)
    state["panel"] = Panel()  # started by the request: the story's cleanup ends it
    story.cleanups.append(lambda: velpanel("--exit"))
    plug(UNIT)
    state["panel"].wait_connected()
    expect_code(["--rate", 88200], 0)
    wait_unit(UNIT, "the requested rate", lambda d: d["configuration"][0] == 88200)
    wait_stored("the requested rate", lambda r: r.sample_rate == 88200)


def log_of_a_faulted_session():
    """the log holds the arrival, a failed send with its code and the removal, and it rotated"""
    panel = state["panel"]
    sim("fault", UNIT, hex(IOCTL_COMMAND), CMD_SET_SELECTOR, "fail", 1)
    panel.click(ID_SELECTOR_FIRST + 2)
    panel.expect_box("Function error USBDevice::setDigitalOutSelector()")
    unplug(UNIT)
    wait_for("the removal", lambda: panel.title().endswith("No Device"))
    folder = log_folder()
    text = open(os.path.join(folder, "velpanel.log")).read()
    for line in ("arrival VELMORA\\UNIT\\" + UNIT + ": driver 1.06", "request rate 88200 Hz: 4 ",
                 "send failed on VELMORA\\UNIT\\%s: Function error USBDevice::setDigitalOutSelector() "
                 "(I/O control 0x2200D0 command 3" % UNIT, "removal VELMORA\\UNIT\\" + UNIT,
                 "request load C:\\velpanel-e2e\\damaged.velpanel: 1"):
        expect(line in text, "the log holds %r" % line)
    older = open(os.path.join(folder, "velpanel.log.1")).read()
    expect(older.startswith(state["filler"] * 3), "the nearly full log moved to velpanel.log.1")
    for name in ("velpanel.log", "velpanel.log.1"):
        expect(os.path.getsize(os.path.join(folder, name)) <= 256 * 1024, "%s within 256 KiB" % name)


story.run([status_and_save, requests_change_the_unit, load_brings_the_file_back, file_menu, show_and_exit,
           request_without_a_panel, log_of_a_faulted_session])
