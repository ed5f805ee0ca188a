#!/usr/bin/env python3
"""End-to-end check of VelPanel.exe against a simulated unit.

    panel_e2e.py --build <windows build dir> --prefix <wine prefix> [--keep]

For each scenario: a prefix with the simulated bus driver (scripts/sim-prefix.sh),
a stored record written with Wine's own `reg` (or none), one unit plugged, the
real panel started; then, once the panel has applied its record, the unit's
registers as the driver dumps them must be what that record implies, and the
record the panel stored (read back with `reg query`) must be the record it
applied. The unit is then pulled out while the panel runs: the stored record
must survive the removal unchanged.

Expected register values are derived here from the record alone: the
converter's volume register of output n (4, 5, 6, 7, 8, 9, 11, 12) holds
0x80 | the value sent (0 when muted; at the -10 dBV level the volume minus 10,
0 outside 0..127), the digital interface's register 13 holds the format.
"""
import argparse
import json
import os
import struct
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
KEY = r"HKCU\Software\Qor\VelPanel\velpanel"
VOLUME_REGISTERS = [4, 5, 6, 7, 8, 9, 11, 12]
RECORD_SIZE = 352


def defaults():
    r = dict(outVolume=[127] * 8, outMute=[0] * 8, outLink=[1] * 4, digitalOutSelector=0,
             cpldMixOutSel=0, cpldDigitalMon=0, clockStatus=1, sampleRate=44100, outputLevel=0,
             digitalFormat=0, inputChannels=18, outputChannels=8, latency=4)
    return r


def encode(r):
    b = bytearray(RECORD_SIZE)
    b[0:8] = bytes(r["outVolume"])
    b[8:16] = bytes(r["outMute"])
    b[16:20] = bytes(r["outLink"])
    b[20] = r["digitalOutSelector"]
    b[21] = r["cpldMixOutSel"]
    b[22] = r["cpldDigitalMon"]
    struct.pack_into("<6i", b, 24, r["clockStatus"], r["sampleRate"], r["outputLevel"], r["digitalFormat"],
                     r["inputChannels"], r["outputChannels"])
    struct.pack_into("<i", b, 348, r["latency"])
    return bytes(b)


def decode(b):
    (clock, rate, level, fmt, ins, outs) = struct.unpack_from("<6i", b, 24)
    return dict(outVolume=list(b[0:8]), outMute=list(b[8:16]), outLink=list(b[16:20]),
                digitalOutSelector=b[20], cpldMixOutSel=b[21], cpldDigitalMon=b[22], clockStatus=clock,
                sampleRate=rate, outputLevel=level, digitalFormat=fmt, inputChannels=ins, outputChannels=outs,
                latency=struct.unpack_from("<i", b, 348)[0],
                panelVersion=struct.unpack_from("<2i", b, 248),
                driverText=b[48 + 17:48 + 81].split(b"\0")[0].decode("latin-1"))


def volume_sent(r, ch):
    if r["outMute"][ch]:
        return 0
    v = r["outVolume"][ch]
    if r["outputLevel"] == 1:
        v -= 10
        return 0 if v < 0 or v > 127 else v
    return v


class Session:
    def __init__(self, build, prefix):
        self.build = build
        self.prefix = prefix
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.tool = os.path.join(prefix, "drive_c", "velmorasim", "velmora-sim.exe")
        self.panel = None

    def run(self, *args, check=True):
        p = subprocess.run(list(args), env=self.env, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                           timeout=120)
        if check and p.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (" ".join(args), p.returncode, p.stderr.strip()))
        return p

    def sim(self, *args, check=True):
        return self.run("wine", self.tool, *args, check=check)

    def dump(self, serial):
        return json.loads(self.sim("dump", serial).stdout)

    def stored(self):
        p = self.run("wine", "reg", "query", KEY, "/v", "VelConfig", check=False)
        for line in p.stdout.splitlines():
            parts = line.split()
            if len(parts) >= 3 and parts[0] == "VelConfig" and parts[1] == "REG_BINARY":
                return bytes.fromhex(parts[2])
        return None

    def store(self, record_bytes):
        if record_bytes is None:
            self.run("wine", "reg", "delete", KEY, "/v", "VelConfig", "/f", check=False)
        else:
            self.run("wine", "reg", "add", KEY, "/v", "VelConfig", "/t", "REG_BINARY", "/d",
                     record_bytes.hex().upper(), "/f")

    def start_panel(self):
        exe = os.path.join(self.build, "app", "win32", "VelPanel.exe")
        self.panel = subprocess.Popen(["wine", exe], env=self.env, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_panel(self):
        if self.panel and self.panel.poll() is None:
            self.panel.kill()
            self.panel.wait(timeout=30)
        self.panel = None


def wait_for(what, predicate, timeout=30.0):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        last = predicate()
        if last:
            return last
        time.sleep(0.05)
    raise RuntimeError("timed out waiting for " + what)


def compare(errors, what, expected, actual):
    if expected != actual:
        errors.append("%s: expected %r, found %r" % (what, expected, actual))


def scenario(s, name, stored_record, expected):
    serial = "SNE2E"
    print("== %s" % name)
    s.store(encode(stored_record) if isinstance(stored_record, dict) else stored_record)
    s.sim("plug", serial)
    s.sim("wait-present", serial, "10000")
    t0 = time.monotonic()
    s.start_panel()
    errors = []
    try:
        run_checks(s, serial, expected, errors, t0)
    except RuntimeError as e:
        errors.append(str(e))
    finally:
        s.stop_panel()
        s.sim("unplug", serial, check=False)
        s.sim("wait-absent", serial, "10000", check=False)
    return report(errors)


def run_checks(s, serial, expected, errors, t0):
    # Applied: eight volume frames, the format frame, the selector and
    # both CPLD writes reached the unit.
    def applied():
        d = s.dump(serial)
        c = d["commands"]
        done = (d["frames"]["codec"] >= 8 and d["frames"]["dit"] >= 1 and int(c.get("3", 0)) >= 1
                and int(c.get("5", 0)) >= 2)
        return d if done else None
    try:
        wait_for("the panel to apply its record", applied)
    except RuntimeError:
        d = s.dump(serial)
        opened = sum(d["counters"][k] for k in ("0x220000", "0x220004", "0x22009C"))
        if d["openHandles"] == 0 and opened == 0:
            raise RuntimeError("the panel never opened the unit (no handle, no identity read)")
        raise RuntimeError("the panel opened the unit but did not apply its record: frames %r, commands %r"
                           % (d["frames"], d["commands"]))
    # A rate change raises the unit's event; the panel copies the rate
    # and saves. Wait for the stored record to settle on the rate.
    wait_for("the stored record", lambda: (lambda b: b and len(b) == RECORD_SIZE
                                           and decode(b)["sampleRate"] == expected["sampleRate"])(s.stored()))
    print("   applied and stored after %.1f s" % (time.monotonic() - t0))
    # The panel has read the event the rate change raised.
    d = wait_for("the panel to read the unit's event", lambda: (lambda d: d if d["eventPending"] == 0 else None)(
        s.dump(serial)))

    for ch in range(8):
        compare(errors, "volume register of output %d" % (ch + 1), 0x80 | volume_sent(expected, ch),
                d["codec"][VOLUME_REGISTERS[ch]])
    compare(errors, "format register", expected["digitalFormat"], d["dit"][13])
    compare(errors, "S/PDIF selector", expected["digitalOutSelector"], d["selector"])
    compare(errors, "CPLD mix-out bit", expected["cpldMixOutSel"], 1 if d["cpld"] & 0x08 else 0)
    compare(errors, "CPLD monitor bit", expected["cpldDigitalMon"], 1 if d["cpld"] & 0x10 else 0)
    compare(errors, "sample rate", expected["sampleRate"], d["configuration"][0])
    compare(errors, "latency", expected["latency"], d["latency"])
    compare(errors, "malformed frames", 0, d["frames"]["malformed"])

    rec = decode(s.stored())
    for field in ("outVolume", "outMute", "outLink", "digitalOutSelector", "cpldMixOutSel", "cpldDigitalMon",
                  "sampleRate", "outputLevel", "digitalFormat", "latency", "inputChannels", "outputChannels"):
        compare(errors, "stored " + field, expected[field], rec[field])
    compare(errors, "stored panel version", (1, 6), rec["panelVersion"])

    # Pulled out while the panel runs: the record it saves is still the one.
    s.sim("unplug", serial)
    s.sim("wait-absent", serial, "10000")
    wait_for("the panel to close the unit", lambda: s.dump(serial)["openHandles"] == 0)
    after = s.stored()
    if after is None or len(after) != RECORD_SIZE:
        errors.append("stored record gone after removal")
    else:
        rec2 = decode(after)
        for field in ("outVolume", "outMute", "sampleRate", "latency", "outputLevel", "digitalFormat"):
            compare(errors, "stored %s after removal" % field, expected[field], rec2[field])


def report(errors):
    for e in errors:
        print("   FAIL " + e)
    if not errors:
        print("   ok")
    return not errors


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "windows"))
    ap.add_argument("--prefix", default=None)
    ap.add_argument("--keep", action="store_true", help="leave the prefix's wineserver running")
    a = ap.parse_args()
    build = os.path.abspath(a.build)
    prefix = os.path.abspath(a.prefix or os.path.join(build, "wineprefix-e2e"))
    if not os.path.isfile(os.path.join(build, "app", "win32", "VelPanel.exe")):
        print("no VelPanel.exe in %s (build the target VelPanel)" % build)
        return 2
    subprocess.run([os.path.join(ROOT, "scripts", "sim-prefix.sh"), prefix], check=True,
                   env=dict(os.environ, VELMORA_SIM_BUILD=build), stdin=subprocess.DEVNULL)
    s = Session(build, prefix)
    ok = True
    try:
        ok &= scenario(s, "no stored record: the defaults", None, defaults())
        custom = defaults()
        custom.update(outVolume=[127, 120, 100, 64, 5, 0, 90, 127], outMute=[0, 0, 1, 0, 0, 0, 0, 1],
                      outLink=[0, 1, 0, 1], digitalOutSelector=2, cpldMixOutSel=1, cpldDigitalMon=1,
                      sampleRate=96000, outputLevel=1, digitalFormat=1, latency=2)
        ok &= scenario(s, "a stored record: applied as stored", custom, custom)
        bad_rate = dict(custom, sampleRate=22050)
        ok &= scenario(s, "a stored record with a bad rate: the defaults", bad_rate, defaults())
        ok &= scenario(s, "a stored record of 351 bytes: the defaults", encode(custom)[:351], defaults())
    finally:
        if not a.keep:
            subprocess.run(["wineserver", "-k"], env=s.env)
    print("e2e: %s" % ("all scenarios passed" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
