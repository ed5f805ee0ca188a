#!/usr/bin/python3
"""Settings files with names in any script, and only regular files.

A profile folder and a file named in Polish and in Japanese are saved with
--save and brought back with --load: the file exists under exactly that name
(seen from Linux in the prefix's drive_c), nothing is left beside it, and
the answer and the log name it as typed. --load of a device (NUL, COM1) or
a folder, and --save over a folder, are refused with 1 and change nothing.
Wine runs under a UTF-8 locale, where the wide command line carries every
letter and the narrow one does not.
"""
import glob
import shutil

from e2elib import *

ENV["LC_ALL"] = "C.UTF-8"

story = Story("settings files named in any script, regular files only")
UNIT = "E2EUNI1"
ROOT = r"C:\velpanel-e2e-unicode"
FILES = [ROOT + "\\Łukasz\\ustawienia Łódź.velpanel", ROOT + "\\設定\\ライブ 設定.velpanel"]
EXIT_FAILED = 1
state = {}


def host_path(windows_path):
    return os.path.join(PREFIX, "drive_c", windows_path[3:].replace("\\", "/"))


def velpanel(*args, timeout=60):
    result = run_wine([VELPANEL, *args], timeout)
    return result.returncode, result.stdout.replace("\r", "").strip(), result.stderr.replace("\r", "").strip()


def expect_code(args, code):
    got = velpanel(*args)
    expect_equal(got[0], code, "exit code of %s (%s)" % (" ".join(args), got[2]))
    return got


def leftovers():
    return glob.glob(os.path.join(host_path(ROOT), "**", "*.partial"), recursive=True)


def saved_and_loaded_by_name():
    """a Polish and a Japanese folder and file name round-trip through --save and --load"""
    for path in FILES:
        os.makedirs(os.path.dirname(host_path(path)), exist_ok=True)
    plug(UNIT)
    record = Record.defaults()
    record.out_volume = [110, 110, 90, 90, 127, 127, 70, 70]
    record.sample_rate = 48000
    reg_write_raw(bytes(record.raw))
    story.panel()
    wait_unit_matches(UNIT, record)
    for path in FILES:
        _, out, _ = expect_code(["--save", path], 0)
        expect(path in out, "the answer names the file as typed: %r" % out)
        folder, name = os.path.split(host_path(path))
        expect(name in os.listdir(folder), "%r holds %r (holds %r)" % (folder, name, os.listdir(folder)))
        expect_equal(json.load(open(host_path(path), encoding="utf-8"))["outputs"][6]["volume"], 70, "output 7")
    expect_equal(leftovers(), [], "files left beside the saved ones")

    for path in FILES:
        expect_code(["--volume", "1", "0"], 0)
        wait_unit(UNIT, "output 1 at 0 dB", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0xFF)
        expect_code(["--load", path], 0)
        wait_unit_matches(UNIT, record)
        wait_stored("the loaded file", lambda r: r.user_fields() == record.user_fields())
    state["record"] = record

    logs = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel",
                                  "velpanel.log"))
    expect(logs, "a log file")
    text = open(logs[0], encoding="utf-8").read()
    for path in FILES:
        expect("request load %s: 0" % path in text, "the log names %r" % path)


def only_regular_files():
    """--load of a device or a folder and --save over a folder are refused and change nothing"""
    before = reg_read().raw
    for target in ("NUL", "COM1", ROOT + "\\設定"):
        _, _, errors = expect_code(["--load", target], EXIT_FAILED)
        expect(errors, "the refusal of %s says why" % target)
    folder = ROOT + "\\Łukasz\\a folder.velpanel"
    os.makedirs(host_path(folder), exist_ok=True)
    expect_code(["--save", folder], EXIT_FAILED)
    expect(os.path.isdir(host_path(folder)), "the folder is still a folder")
    expect_equal(leftovers(), [], "files left beside the refused ones")
    expect_equal(reg_read().raw, before, "stored record after the refusals")
    wait_unit_matches(UNIT, state["record"])


story.cleanups.append(lambda: shutil.rmtree(host_path(ROOT), ignore_errors=True))
story.run([saved_and_loaded_by_name, only_regular_files])
