#!/usr/bin/python3
"""Remote control over OSC, driven by Debian's liblo tools (oscsend, oscdump).

Off until it is turned on; then a volume sent by OSC reaches the unit's
register; a subscriber hears a change made on the page, from the command line
and by the unit itself (its rate), each as its address with the new value; a
meter subscription delivers about 20 messages a second and stops when it
expires; a host that is not allowed gets nothing and changes nothing; a dim
of the monitor pair gives back its exact registers; and malformed packets change nothing, each answered with /velpanel/error, at most
ten a second.
"""
import socket
import struct
import threading
from urllib.parse import quote

from e2elib import *

story = Story("remote control")
UNIT = "E2EOSC1"
PORT = 9110
CMD_NAMES = 32840
HOST = "127.0.0.1"
state = {}


def velpanel(*args, timeout=60):
    result = run_wine([VELPANEL, *map(str, args)], timeout)
    return result.returncode, (result.stdout + result.stderr).replace("\r", "").strip()


def oscsend(address, types="", *values, host=HOST, port=PORT):
    subprocess.run(["oscsend", host, str(port), address, types, *map(str, values)], check=True, timeout=10,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Dump:
    """oscdump on a port, its lines collected ("/velpanel/rate i 96000")."""

    def __init__(self, port):
        self.lines = []
        self.process = subprocess.Popen(["oscdump", "-L", str(port)], stdout=subprocess.PIPE, text=True)
        threading.Thread(target=self._read, daemon=True).start()
        story.cleanups.append(self.stop)

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.split(" ", 1)[1].strip() if " " in line else line.strip())

    def wait(self, line, timeout=10.0):
        wait_for("oscdump to print %r" % line, lambda: line in self.lines, timeout)

    def count(self, prefix):
        return sum(1 for line in list(self.lines) if line.startswith(prefix))

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(5)


def padded(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def volume_step(d, output):
    return d["codec"][VOLUME_REGISTER[output - 1]] & 0x7F


def off_until_turned_on():
    """off at first (nothing listens); --remote on listens on 127.0.0.1:9110 and is stored beside the record"""
    plug(UNIT)
    state["panel"] = story.panel()
    oscsend("/velpanel/output/1/volume", "f", -20)
    code, said = velpanel("--remote", "on")
    expect_equal(code, 0, "exit code of --remote on (%s)" % said)
    expect("9110" in said and "127.0.0.1 only" in said, "the answer names the port and the hosts: %r" % said)
    stored = wine("reg", "query", r"HKCU\Software\Qor\VelPanel\velpanel", "/v", "RemoteControl").stdout
    expect('"on":true' in stored and "REG_SZ" in stored, "the choice stored beside the record: %r" % stored)
    expect_equal(volume_step(dump(UNIT), 1), 127, "output 1 after a message sent while off")
    code, said = velpanel("--remote-port", "70000")
    expect_equal(code, 2, "exit code of --remote-port 70000 (%s)" % said)
    # A port another program holds: told, and 1; then back to 9110.
    holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    holder.bind((HOST, 0))
    taken = holder.getsockname()[1]
    code, said = velpanel("--remote-port", taken)
    holder.close()
    expect_equal(code, 1, "exit code of --remote-port %d, a port in use (%s)" % (taken, said))
    expect("could not be opened" in said, "the answer says why: %r" % said)
    code, said = velpanel("--remote-port", PORT)
    expect_equal(code, 0, "exit code of --remote-port %d (%s)" % (PORT, said))


def volume_reaches_the_register():
    """/velpanel/output/1/volume f -12.3 sets the unit's register to the nearest step (-12.5 dB)"""
    oscsend("/velpanel/output/1/volume", "f", -12.3)
    wait_unit(UNIT, "output 1 at -12.5 dB", lambda d: volume_step(d, 1) == 102)


def subscriber_hears_every_change():
    """a subscriber gets the whole state, then a change on the page, from the command line and by the unit"""
    sub = state["sub"] = Dump(7101)
    time.sleep(0.3)  # oscdump binds its port
    oscsend("/velpanel/subscribe", "i", 7101)
    sub.wait("/velpanel/output/1/volume f -12.500000")
    sub.wait("/velpanel/rate i 44100")
    state["panel"].click(ID_MUTE_FIRST + 4)  # output 5 muted on the page
    sub.wait("/velpanel/output/5/mute i 1")
    code, said = velpanel("--volume", 7, "-20")
    expect_equal(code, 0, "exit code of --volume 7 -20 (%s)" % said)
    sub.wait("/velpanel/output/7/volume f -20.000000")
    sim("set", UNIT, "rate", 96000)
    sub.wait("/velpanel/rate i 96000")
    # Another OSC client's change, and a name; a name from the Names dialog.
    oscsend("/velpanel/output/2/name", "s", "Kopfhörer")
    sub.wait('/velpanel/output/2/name s "Kopfhörer"')
    state["panel"].command(CMD_NAMES)
    ctl("names-dialog", "set", 1, quote("Bass DI"))
    ctl("names-dialog", "ok")
    sub.wait('/velpanel/input/2/name s "Bass DI"')


def meters_for_ten_seconds():
    """a meter subscription delivers about 20 messages a second, then expires after 10 s"""
    meters = Dump(7102)
    time.sleep(0.3)
    subscribed = time.monotonic()
    oscsend("/velpanel/meters/subscribe", "i", 7102)
    wait_for("the first meter message", lambda: meters.count("/velpanel/meters") > 0)
    start, t0 = meters.count("/velpanel/meters"), time.monotonic()
    time.sleep(3.0)
    rate = (meters.count("/velpanel/meters") - start) / (time.monotonic() - t0)
    expect(14 <= rate <= 22, "meter messages a second: %.1f" % rate)
    line = next(l for l in meters.lines if l.startswith("/velpanel/meters"))
    expect(line.split()[1] == "i" * 52, "26 levels and 26 clip latches: %r" % line[:80])
    wait_for("the subscription to expire", lambda: time.monotonic() - subscribed > 10.5, timeout=12.0)
    before = meters.count("/velpanel/meters")
    time.sleep(1.0)
    expect_equal(meters.count("/velpanel/meters"), before, "meter messages after the subscription expired")


def other_host_not_allowed():
    """a host not allowed gets nothing and changes nothing, even with the socket open to other hosts"""
    # This machine's own address on another interface: a packet sent to it
    # comes from it, a host other than 127.0.0.1.
    found = subprocess.run(["hostname", "-I"], capture_output=True, text=True).stdout.split()
    own = next((a for a in found if "." in a and not a.startswith("127.")), "127.0.0.1")
    if own.startswith("127."):
        print("     (no address but 127.x: tested natively only)")
        return
    # Other hosts allowed, but only a subnet this machine is not in.
    wine("reg", "add", r"HKCU\Software\Qor\VelPanel\velpanel", "/v", "RemoteControl", "/t", "REG_SZ", "/d",
         '{"on":true,"port":9110,"allow":"203.0.113.0/24"}', "/f")
    code, said = velpanel("--remote", "on")
    expect("203.0.113.0/24" in said, "the answer names the allowed subnet: %r (%d)" % (said, code))
    stranger = Dump(7103)
    time.sleep(0.3)
    oscsend("/velpanel/subscribe", "i", 7103, host=own)
    oscsend("/velpanel/output/1/volume", "f", 0, host=own)
    oscsend("/velpanel/ping", host=own)
    # What 127.0.0.1 sends after them is taken: the stranger's came first.
    oscsend("/velpanel/output/6/volume", "f", -30)
    wait_unit(UNIT, "output 6 at -30 dB", lambda d: volume_step(d, 6) == 67)
    expect_equal(volume_step(dump(UNIT), 1), 102, "output 1 after the stranger's message")
    time.sleep(0.5)
    expect_equal(stranger.lines, [], "what the stranger got")
    # The same host, once allowed, is heard: the silence above was the allow list's.
    wine("reg", "add", r"HKCU\Software\Qor\VelPanel\velpanel", "/v", "RemoteControl", "/t", "REG_SZ", "/d",
         '{"on":true,"port":9110,"allow":"%s"}' % own, "/f")
    code, said = velpanel("--remote", "on")
    expect_equal(code, 0, "exit code of --remote on with %s allowed (%s)" % (own, said))
    oscsend("/velpanel/subscribe", "i", 7103, host=own)
    stranger.wait("/velpanel/output/1/volume f -12.500000")


def monitor_dim_gives_back_the_registers():
    """a step and a dim of outputs 1-2 by OSC; undimming gives back the exact registers; a subscriber hears the dim"""
    oscsend("/velpanel/pair/1/link", "i", 0)
    oscsend("/velpanel/output/2/volume", "f", -30)
    oscsend("/velpanel/monitor/step", "f", -1.5)
    pair = lambda d: (volume_step(d, 1), volume_step(d, 2))
    user = wait_unit(UNIT, "outputs 1-2 at -14 / -31.5 dB", lambda d: pair(d) == (99, 64))
    sub = state["sub"]
    oscsend("/velpanel/subscribe", "i", 7101)
    oscsend("/velpanel/monitor/dim", "i", 1)
    wait_unit(UNIT, "outputs 1-2 20 dB down", lambda d: pair(d) == (59, 24))
    sub.wait("/velpanel/monitor/dim i 1")
    sub.lines.clear()
    oscsend("/velpanel/monitor/dim", "i", 0)
    back = wait_unit(UNIT, "outputs 1-2 back", lambda d: pair(d) == (99, 64))
    expect_equal(back["codec"], user["codec"], "the converter's registers after the dim")
    sub.wait("/velpanel/monitor/dim i 0")


def malformed_packets_change_nothing():
    """truncated, mistyped and out-of-range packets change nothing; errors come at most ten a second"""
    client = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    client.bind((HOST, 0))
    client.settimeout(0.5)
    story.cleanups.append(client.close)
    good = padded("/velpanel/output/3/volume") + padded(",f") + struct.pack(">f", -40.0)
    bad = [
        good[:-4],                                                          # an argument missing
        good[:-8] + padded(",x") + struct.pack(">f", -40.0),                # an unknown type tag
        padded("/velpanel/output/3/volume") + padded(",f") + struct.pack(">f", float("nan")),
        padded("/velpanel/output/3/volume") + padded(",f") + struct.pack(">f", 12.0),
        padded("/velpanel/output/3/volume") + padded(",s") + padded("loud"),
        padded("/velpanel/output/33/volume") + padded(",f") + struct.pack(">f", -40.0),
        b"#bundle\0" + bytes(8) + struct.pack(">i", len(good)) + good + struct.pack(">i", 400) + good,
        b"\xff" * 7,
        b"",
        padded("/velpanel/rate") + padded(",i") + struct.pack(">i", 22050),
        padded("/velpanel/latency") + padded(",i") + struct.pack(">i", 9),
        padded("/velpanel/spdif/source") + padded(",i") + struct.pack(">i", 5),
    ]
    before = dump(UNIT)
    expect_equal(volume_step(before, 3), 127, "output 3 before")
    for packet in bad:
        client.sendto(packet, (HOST, PORT))
    client.sendto(padded("/velpanel/output/4/volume") + padded(",f") + struct.pack(">f", -10.0), (HOST, PORT))
    after = wait_unit(UNIT, "output 4 at -10 dB (sent after the bad ones)", lambda d: volume_step(d, 4) == 107)
    errors = []
    try:
        while True:
            errors.append(client.recv(2048))
    except socket.timeout:
        pass
    expect(all(e.startswith(b"/velpanel/error\0") for e in errors), "only errors came back")
    expect(1 <= len(errors) <= 10, "errors answered: %d of %d bad packets" % (len(errors), len(bad)))
    for key in ("configuration", "latency", "selector"):
        expect_equal(after[key], before[key], key)
    # Output 3 follows its linked partner 4; the bundle's -40 dB never came.
    expect_equal(volume_step(after, 3), 107, "output 3")
    expect(state["panel"].alive(), "the panel runs on")
    code, said = velpanel("--remote", "off")
    expect_equal(code, 0, "exit code of --remote off (%s)" % said)


story.run([off_until_turned_on, volume_reaches_the_register, subscriber_hears_every_change, meters_for_ten_seconds,
           other_host_not_allowed, monitor_dim_gives_back_the_registers, malformed_packets_change_nothing])
