#!/usr/bin/python3
"""A command line a script can trust.

With no panel running, a request starts a separate panel in the background,
hands itself over and ends with the answer; the panel keeps running. With no
unit the request waits as long as --wait says and answers 4. Requests never
run under the panel's boxes and dialogs. Answers go only to windows of the
answer class, and an asker that does not look at its messages does not stop
the meters. Exit codes tell a refusal (2) and a panel that does not answer or
answers what cannot be read (1) from no panel at all (3).
"""
import glob
import json
import time

from e2elib import *

story = Story("command line answers")
UNIT = "E2EANSW1"
PRESET = r"C:\velpanel-e2e\answers.velpanel"
CMD_LOAD_SETTINGS = 32791
ANSWER_CLASS = "VelPanelRequestAnswer"
STATUS_WIRE = r"status\n0\n0\n0.0\n0\n"


def velpanel(*args, timeout=60):
    """(exit code, output, errors, seconds) of a start of the exe with arguments."""
    t0 = time.monotonic()
    result = run_wine([VELPANEL, *map(str, args)], timeout)
    return (result.returncode, result.stdout.replace("\r", "").strip(), result.stderr.replace("\r", "").strip(),
            time.monotonic() - t0)


def volume_register(serial, output):
    return dump(serial)["codec"][VOLUME_REGISTER[output - 1]] & 0x7F


def end_running_panel():
    if ctl("find", 0, check=False).returncode == 0:
        velpanel("--exit", timeout=30)
        ctl("wait-gone", 10000, check=False)


story.cleanups.append(end_running_panel)


def no_panel_starts_one():
    """no panel: --volume 1 -6 starts one in the background, answers 0 within 15 s; the panel stays"""
    plug(UNIT)
    code, _, errors, took = velpanel("--volume", 1, -6, timeout=30)
    expect_equal(code, 0, "exit code (%s)" % errors)
    expect(took < 15, "answered in %.1f s" % took)
    print("     answered in %.1f s" % took, flush=True)
    expect_equal(volume_register(UNIT, 1), 127 - 12, "output 1's converter volume")
    expect(ctl("find", 1000, check=False).returncode == 0, "a panel keeps running")
    expect_equal(ctl("boxes"), "0", "boxes of a panel started in the background")
    code, out, _, _ = velpanel("--status")
    expect_equal((code, json.loads(out)["settings"]["outputs"][0]["volumeDb"]), (0, -6.0), "--status afterwards")


def no_unit_waits_then_answers_4():
    """no panel and no unit: --wait 2 answers 4 after about 2 s; nothing is done when the unit comes"""
    end_running_panel()
    unplug(UNIT)
    code, _, errors, took = velpanel("--volume", 1, -20, "--wait", 2, timeout=30)
    expect_equal(code, 4, "exit code (%s)" % errors)
    expect(2.0 <= took < 10, "answered after %.1f s" % took)
    print("     answered after %.1f s" % took, flush=True)
    expect(ctl("find", 1000, check=False).returncode == 0, "the started panel keeps running")
    plug(UNIT)
    ctl("wait-title", TITLE_VERSION, 10000)
    time.sleep(1)  # a request carried out late would show here
    expect_equal(volume_register(UNIT, 1), 127 - 12, "output 1 after the unit came (the stored -6 dB)")


def requests_wait_for_no_dialog():
    """a request while the Load Settings dialog is open is answered at once, 1, and changes nothing"""
    os.makedirs(os.path.join(PREFIX, "drive_c", "velpanel-e2e"), exist_ok=True)
    expect_equal(velpanel("--save", PRESET)[0], 0, "--save")
    ctl("command", CMD_LOAD_SETTINGS)
    wait_for("the file dialog", lambda: ctl("boxes") != "0")
    try:
        code, _, errors, took = velpanel("--volume", 1, -30)
        expect_equal(code, 1, "exit code under the dialog (%s)" % errors)
        expect("shows a message" in errors, "the reason: %r" % errors)
        expect_equal(volume_register(UNIT, 1), 127 - 12, "output 1 under the dialog")
    finally:
        ctl("file-dialog", PRESET)
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    expect_equal(velpanel("--volume", 1, -30)[0], 0, "the same request once the dialog closed")
    expect_equal(volume_register(UNIT, 1), 127 - 60, "output 1 after the request")


def answers_only_to_answer_windows():
    """a request from a window of another class is refused and it is sent nothing; an unknown verb is 2, named"""
    lines = ctl("raw-request", "SomeoneElsesWindow", 1, 0, STATUS_WIRE).splitlines()
    expect_equal(lines, ["receipt=0 answer=none"], "another class's window")
    lines = ctl("raw-request", ANSWER_CLASS, 1, 0, r"xyz\n0\n0\n0.0\n0\n").splitlines()
    expect(len(lines) == 1 and lines[0].startswith("receipt=1 answer=2 ") and "xyz" in lines[0],
           "an unknown verb: %r" % lines)


def hung_asker_leaves_meters_running():
    """three requests from windows that do not look at their messages leave the meters running"""
    watcher = subprocess.Popen(["wine", SIMTOOL, "meter-gaps", UNIT, "3500"], env=ENV, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    time.sleep(0.7)  # the watcher is up
    lines = ctl("raw-request", ANSWER_CLASS, 3, 2500, STATUS_WIRE).splitlines()
    gap = json.loads(watcher.communicate(timeout=60)[0])["longestGapMs"]
    expect_equal([l.split()[0] for l in lines], ["receipt=1"] * 3, "receipts")
    expect(gap < 1000, "longest meter gap %.0f ms" % gap)
    print("     longest meter gap %.0f ms" % gap, flush=True)
    expect_equal(velpanel("--status")[0], 0, "--status afterwards")


def a_flood_is_answered_busy():
    """askers that do not look at their messages hold the panel; 30 more: beyond 16 waiting ones the panel says
    busy; those whose asker is gone are dropped"""
    # Ten requests whose asker stays but never takes its answer: each holds
    # the panel for its answer's time limit, about 2.6 s in all.
    holder = subprocess.Popen(["wine", PANELCTL, "raw-request", ANSWER_CLASS, "10", "4000", STATUS_WIRE], env=ENV,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(0.5)
        # Meanwhile 30 more from askers that are gone once they have sent.
        lines = ctl("raw-request", ANSWER_CLASS, 30, 1, STATUS_WIRE, "gone", timeout=60).splitlines()
    finally:
        holder.wait(60)  # it ends by itself after its 4 s
    receipts = [l.split()[0] for l in lines]
    expect(set(receipts) <= {"receipt=1", "receipt=2"}, "receipts: %r" % receipts)
    expect("receipt=2" in receipts, "the panel said busy beyond its bound: %r" % receipts)
    code, _, errors, took = velpanel("--status")
    expect_equal(code, 0, "--status after the flood (%s)" % errors)
    print("     %d of 30 taken; --status after the flood in %.1f s" % (receipts.count("receipt=1"), took), flush=True)
    # Their askers ended before their turn came: those requests were dropped, not run.
    log = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Local", "Qor", "VelPanel",
                                 "velpanel.log"))
    expect(log and "request status: dropped, its sender is gone" in open(log[0], encoding="utf-8").read(),
           "drops in the log")


def exit_codes_tell_the_truth():
    """too long 2; a panel that refuses 2, named; one that does not answer or answers nonsense 1; none 3"""
    code, _, errors, _ = velpanel("--save", "C:\\" + "x" * 5000)
    expect_equal(code, 2, "exit code of an over-long request (%s)" % errors)
    end_running_panel()
    expect_equal(velpanel("--status")[0], 3, "exit code with no panel")
    for mode, wanted, reason in (("refuse", 2, "does not know --volume"), ("garbage", 1, "could not be read"),
                                 ("hang", 1, "did not answer")):
        fake = subprocess.Popen(["wine", PANELCTL, "fake-panel", mode, "9000"], env=ENV, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            expect_equal(fake.stdout.readline().strip(), "ready", "the fake panel")
            code, _, errors, _ = velpanel("--volume", 1, -6, timeout=30)
            expect_equal(code, wanted, "exit code from a panel that does %s (%s)" % (mode, errors))
            expect(reason in errors, "the reason: %r" % errors)
        finally:
            fake.kill()  # the fake panel of this step, started above
            fake.wait(10)


story.run([no_panel_starts_one, no_unit_waits_then_answers_4, requests_wait_for_no_dialog,
           answers_only_to_answer_windows, hung_asker_leaves_meters_running, a_flood_is_answered_busy,
           exit_codes_tell_the_truth])
