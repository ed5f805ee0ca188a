"""Shared plumbing of the end-to-end stories.

The panel under test is the unchanged VelPanel.exe. It is driven from outside
the way a user and the notification area drive it (window messages posted by
panelctl.exe), the unit is the simulated bus driver's device model (plugged,
changed and read back with velmora-sim.exe), and the stored settings are read
back with Wine's own `reg`. Nothing here sleeps blindly: every wait polls an
observable state with a deadline.

Environment (set by tests/e2e/CMakeLists.txt): WINEPREFIX, VELPANEL_EXE,
PANELCTL_EXE, VELMORA_SIM_EXE.
"""
import json
import os
import re
import signal
import struct
import subprocess
import sys
import tempfile
import time

PREFIX = os.environ["WINEPREFIX"]
VELPANEL = os.environ["VELPANEL_EXE"]
PANELCTL = os.environ["PANELCTL_EXE"]
SIMTOOL = os.environ["VELMORA_SIM_EXE"]
ENV = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES=os.environ.get("WINEDLLOVERRIDES", "mscoree,mshtml="))

REG_KEY = r"HKCU\Software\Qor\VelPanel\velpanel"
REG_VALUE = "VelConfig"
RECORD_SIZE = 352

# Commands and control ids of the panel.
CMD_OPEN, CMD_EXIT, CMD_FACTORY_DEFAULT = 32771, 32773, 32774
CMD_RATE = {44100: 32776, 48000: 32777, 88200: 32785, 96000: 32778}
CMD_CLOCK_AUTO, CMD_CLOCK_INTERNAL = 32786, 32787
CMD_LATENCY_FIRST = 32779  # latency n is 32778 + n
ID_LEVEL = (16416, 16417)
ID_FORMAT = (16432, 16433)
ID_TAB_INFO = 8194
ID_MON, ID_MIX = 12288, 12289
ID_MUTE_FIRST, ID_LINK_FIRST, ID_SELECTOR_FIRST = 12304, 12320, 12336

# The unit's hardware: output i's volume lives in this register of the output
# converter (bit 7 set on every write); the S/PDIF format in register 13 of the
# digital-output interface; the CPLD's power-on value and its two panel bits.
VOLUME_REGISTER = (4, 5, 6, 7, 8, 9, 11, 12)
FORMAT_REGISTER = 13
CPLD_POWER_ON, CPLD_MIX, CPLD_MON = 0xA5, 0x08, 0x10

def _project_version():
    """The version as project(VelPanel VERSION x.y.z) in the top CMakeLists.txt defines it."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt")) as top:
        major, minor, patch = re.search(r"project\(VelPanel VERSION (\d+)\.(\d+)\.(\d+)", top.read()).groups()
    return "%s.%s.%s" % (major, minor, patch), "Ver %s.%02d" % (major, int(minor))


# "1.6.0" (files, installer, --version) and "Ver 1.06" (the window title).
VERSION, TITLE_VERSION = _project_version()

TRAY_FAIL_TEXT = "Create fail! : Tray"
# The beginning of Factory Default's question (boxes are named by their text's beginning).
FACTORY_DEFAULT_QUESTION = "Factory Default sets all eight outputs to 0.0 dB"


class StoryFailure(Exception):
    pass


# ---------------------------------------------------------------- processes

def run_wine(argv, timeout):
    """Runs a Wine program and waits for its exit, not for the end of its output.

    The first Wine program of a session may start Wine's background services,
    which inherit its standard output and live on; reading a pipe until its end
    would then wait for them. Output goes through files instead."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.run(["wine", *map(str, argv)], env=ENV, stdin=subprocess.DEVNULL,
                                 stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(process.args, process.returncode,
                                           out.read().decode("utf-8", "replace"),
                                           err.read().decode("utf-8", "replace"))


def wine(exe, *args, timeout=30, check=True):
    result = run_wine([exe, *args], timeout)
    if check and result.returncode != 0:
        raise StoryFailure("%s %s failed (%d): %s" % (os.path.basename(exe), " ".join(map(str, args)),
                                                       result.returncode, result.stderr.strip()))
    return result


def sim(*args, check=True):
    return wine(SIMTOOL, *args, check=check).stdout.replace("\r", "")


def dump(serial):
    return json.loads(sim("dump", serial))


def ctl(*args, check=True, timeout=30):
    result = wine(PANELCTL, *args, check=check, timeout=timeout)
    return result.stdout.replace("\r", "").strip() if check else result


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Polls probe() until it answers a true value; returns that value."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except StoryFailure as error:
            last = error
        if last and not isinstance(last, StoryFailure):
            return last
        if time.monotonic() > deadline:
            raise StoryFailure("timed out waiting for %s (last: %r)" % (what, last))
        time.sleep(interval)


def wait_unit(serial, what, predicate, timeout=10.0):
    """Waits until predicate(dump) holds for the unit; returns that dump."""
    return wait_for(what, lambda: (lambda d: d if predicate(d) else None)(dump(serial)), timeout)


# ---------------------------------------------------------------- units

def plug(serial):
    sim("plug", serial)
    sim("wait-present", serial, 5000)


def unplug(serial):
    sim("unplug", serial, check=False)
    sim("wait-absent", serial, 5000, check=False)


def plugged_units():
    units = []
    for line in sim("list").splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[1] == "plugged":
            units.append(parts[0])
    return units


def unplug_all():
    for serial in plugged_units():
        unplug(serial)


def sent_volume(volume, mute, level):
    """What the unit's converter must hold for one output (bit 7 aside)."""
    if mute:
        return 0
    if level == 1:
        value = volume - 10
        return value if 0 <= value <= 127 else 0
    return volume


def unit_matches(d, record):
    """Differences between the unit's registers and what the record asks for."""
    problems = []
    for i in range(8):
        want = sent_volume(record.out_volume[i], record.out_mute[i], record.output_level) | 0x80
        got = d["codec"][VOLUME_REGISTER[i]]
        if got != want:
            problems.append("output %d: codec[%d]=%#x, wanted %#x" % (i, VOLUME_REGISTER[i], got, want))
    if d["frames"]["dit"] < 1 or d["dit"][FORMAT_REGISTER] != record.digital_format:
        problems.append("dit[13]=%d after %d frames, wanted %d" % (d["dit"][FORMAT_REGISTER], d["frames"]["dit"],
                                                                  record.digital_format))
    want_cpld = (CPLD_POWER_ON & ~(CPLD_MIX | CPLD_MON)) | (CPLD_MIX if record.mix_out_sel else 0) | (
        CPLD_MON if record.digital_mon else 0)
    if d["cpld"] != want_cpld:
        problems.append("cpld=%#x, wanted %#x" % (d["cpld"], want_cpld))
    if d["selector"] != record.selector:
        problems.append("selector=%d, wanted %d" % (d["selector"], record.selector))
    if d["configuration"][0] != record.sample_rate:
        problems.append("rate=%d, wanted %d" % (d["configuration"][0], record.sample_rate))
    if d["latency"] != record.latency:
        problems.append("latency=%d, wanted %d" % (d["latency"], record.latency))
    return problems


def wait_unit_matches(serial, record, timeout=10.0):
    last = []

    def probe():
        d = dump(serial)
        last[:] = unit_matches(d, record)
        return d if not last else None
    try:
        return wait_for("unit %s to hold the record" % serial, probe, timeout)
    except StoryFailure:
        raise StoryFailure("unit %s does not hold the record: %s" % (serial, "; ".join(last)))


# ---------------------------------------------------------------- settings record

def _int(offset):
    return property(lambda self: struct.unpack_from("<i", self.raw, offset)[0],
                    lambda self, v: struct.pack_into("<i", self.raw, offset, v))


def _byte(offset):
    return property(lambda self: self.raw[offset], lambda self, v: self.raw.__setitem__(offset, v))


class _ByteRun:
    """A run of byte fields inside a record, written through: record.out_volume[3] = 90."""

    def __init__(self, raw, offset, count):
        self.raw, self.offset, self.count = raw, offset, count

    def __getitem__(self, i):
        return list(self)[i]

    def __setitem__(self, i, value):
        if not 0 <= i < self.count:
            raise IndexError(i)
        self.raw[self.offset + i] = value

    def __iter__(self):
        return iter(self.raw[self.offset:self.offset + self.count])

    def __len__(self):
        return self.count

    def __eq__(self, other):
        return list(self) == list(other)

    def __repr__(self):
        return repr(list(self))


def _bytes(offset, count):
    return property(lambda self: _ByteRun(self.raw, offset, count),
                    lambda self, v: self.raw.__setitem__(slice(offset, offset + count), bytes(v)))


class Record:
    """The 352-byte settings record, field by field."""

    def __init__(self, raw=None):
        raw = bytearray(raw if raw is not None else RECORD_SIZE)
        if len(raw) != RECORD_SIZE:
            raise ValueError("record of %d bytes" % len(raw))
        self.raw = raw

    @classmethod
    def defaults(cls):
        r = cls()
        r.out_volume = [127] * 8
        r.out_mute = [0] * 8
        r.out_link = [1] * 4
        r.clock_status = 1
        r.sample_rate = 44100
        r.input_channels = 18
        r.output_channels = 8
        r.latency = 4
        return r

    out_volume = _bytes(0, 8)
    out_mute = _bytes(8, 8)
    out_link = _bytes(16, 4)
    selector = _byte(20)
    mix_out_sel = _byte(21)
    digital_mon = _byte(22)
    clock_status = _int(24)
    sample_rate = _int(28)
    output_level = _int(32)
    digital_format = _int(36)
    input_channels = _int(40)
    output_channels = _int(44)
    driver_version = _bytes(48, 100)
    firmware_version = _bytes(148, 100)
    panel_major = _int(248)
    panel_minor = _int(252)
    latency = _int(348)

    def user_fields(self):
        """The fields the user sets, for comparing two records."""
        return dict(out_volume=list(self.out_volume), out_mute=list(self.out_mute), out_link=list(self.out_link),
                    selector=self.selector, mix_out_sel=self.mix_out_sel, digital_mon=self.digital_mon,
                    sample_rate=self.sample_rate, output_level=self.output_level,
                    digital_format=self.digital_format, latency=self.latency)

    def copy(self):
        return Record(bytes(self.raw))


def reg_read_raw():
    """The stored value's bytes, or None when there is none."""
    result = wine("reg", "query", REG_KEY, "/v", REG_VALUE, check=False)
    if result.returncode != 0:
        return None
    for line in result.stdout.replace("\r", "").splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[0] == REG_VALUE:
            if parts[1] != "REG_BINARY":
                raise StoryFailure("stored value has type %s" % parts[1])
            return bytes.fromhex(parts[2]) if len(parts) > 2 else b""
    return None


def reg_read():
    raw = reg_read_raw()
    if raw is None:
        raise StoryFailure("no stored record")
    if len(raw) != RECORD_SIZE:
        raise StoryFailure("stored record has %d bytes" % len(raw))
    return Record(raw)


def reg_write_raw(raw):
    wine("reg", "add", REG_KEY, "/v", REG_VALUE, "/t", "REG_BINARY", "/d", raw.hex(), "/f")


def reg_clear():
    wine("reg", "delete", r"HKCU\Software\Qor", "/f", check=False)


def wait_stored(what, predicate, timeout=10.0):
    def probe():
        raw = reg_read_raw()
        if raw is None or len(raw) != RECORD_SIZE:
            return None
        record = Record(raw)
        return record if predicate(record) else None
    return wait_for("stored record: " + what, probe, timeout)


# ---------------------------------------------------------------- the panel

class Panel:
    """One VelPanel.exe process, started through wine."""

    def __init__(self):
        self.process = None

    def start(self, expect_connected=True, tray_box=True, command=None):
        """Starts the panel (the built exe, or `command`) and waits until it is
        up: the tray failure box of the null graphics driver answered, the
        title showing the connection."""
        self.process = subprocess.Popen(["wine", *(command or [VELPANEL])], env=ENV, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        ctl("find", 15000)
        if tray_box:
            self.expect_box(TRAY_FAIL_TEXT)
        if expect_connected:
            self.wait_connected()
        return self

    def wait_connected(self, timeout=10.0):
        wait_for("the title of a connected panel",
                 lambda: (lambda t: t if t.endswith(TITLE_VERSION) else None)(ctl("title")), timeout)

    def title(self):
        return ctl("title")

    def visible(self):
        return ctl("visible") == "1"

    def command(self, command_id):
        ctl("command", command_id)

    def click(self, control_id):
        ctl("page-command", control_id)

    def fader(self, output, steps):
        ctl("fader", output, steps)

    def expect_box(self, text, timeout=10.0):
        """Waits for a message box with exactly this text, then presses its OK."""
        try:
            wait_for("a message box %r" % text, lambda: ctl("boxes", text) != "0", timeout)
        except StoryFailure:
            shown = ctl("wait-box", 100, check=False).stdout.strip()
            raise StoryFailure("no message box %r (shown: %r)" % (text, shown))
        ctl("dismiss", text)
        wait_for("the message box to close", lambda: ctl("boxes", text) == "0")

    def answer(self, text, yes, timeout=10.0):
        """Waits for a Yes/No box whose text begins so, then answers it."""
        wait_for("a question %r" % text, lambda: ctl("boxes", text) != "0", timeout)
        ctl("answer", "yes" if yes else "no", text)
        wait_for("the question to close", lambda: ctl("boxes", text) == "0")

    def boxes(self, text=None):
        return int(ctl("boxes", text) if text else ctl("boxes"))

    def alive(self):
        return self.process is not None and self.process.poll() is None

    def exit(self, timeout=10.0):
        """Ends the panel through its Exit command; answers the exit code."""
        if not self.alive():
            return self.process.returncode if self.process else None
        ctl("command", CMD_EXIT, check=False)
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise StoryFailure("the panel did not end after Exit")

    def kill(self):
        """kill -9 of the panel's own process (started here; no other)."""
        if self.alive():
            os.kill(self.process.pid, signal.SIGKILL)
            self.process.wait(10)
        ctl("wait-gone", 10000, check=False)

    def stop(self):
        """Leaves no panel behind, whatever state the story ended in."""
        if not self.alive():
            return
        try:
            while self.boxes():
                ctl("dismiss", check=False)
            self.exit(5.0)
        except (StoryFailure, subprocess.TimeoutExpired):
            self.kill()


# ---------------------------------------------------------------- running a story

class Story:
    """Runs the steps of one story in order and reports each one; a failed
    step ends the story (later steps build on it)."""

    def __init__(self, name):
        self.name = name
        self.panels = []
        self.cleanups = []  # called at the end, whatever happened
        self.started = time.monotonic()

    def panel(self, **start_args):
        p = Panel()
        self.panels.append(p)
        return p.start(**start_args)

    def run(self, steps):
        failed = False
        try:
            reg_clear()
            unplug_all()
            for step in steps:
                t0 = time.monotonic()
                try:
                    step()
                except (StoryFailure, AssertionError, subprocess.TimeoutExpired) as error:
                    print("FAIL %s: %s" % (step.__doc__ or step.__name__, error), flush=True)
                    failed = True
                    break
                print("ok   %s (%.1f s)" % (step.__doc__ or step.__name__, time.monotonic() - t0), flush=True)
        finally:
            for p in self.panels:
                p.stop()
            for cleanup in self.cleanups:
                try:
                    cleanup()
                except Exception as error:  # the story's result stands
                    print("cleanup %s: %s" % (cleanup.__name__, error), flush=True)
            unplug_all()
        print("%s: %s in %.1f s" % (self.name, "FAILED" if failed else "passed", time.monotonic() - self.started))
        sys.exit(1 if failed else 0)


def expect(condition, message):
    if not condition:
        raise StoryFailure(message)


def expect_equal(got, wanted, what):
    if got != wanted:
        raise StoryFailure("%s: got %r, wanted %r" % (what, got, wanted))
