#!/usr/bin/python3
"""Channel names set in Config > Names... survive a restart and reach the tooltips, --status and the screen reader.

Names are typed into the dialog's fields (one in Japanese, 24 characters)
and taken with OK; a name one character too long is refused with a box
naming its channel, and nothing is stored. The names are read back from the
registry with Wine's `reg` as one text value beside the 352-byte record; the
tooltips the panel holds over meters, faders and mute buttons are read from
its memory, at once after each rename (dialog, settings file, snapshot) and
after a restart; the dialog is walked by Tab and each field heard as a
screen reader hears it.
"""
import shutil
from urllib.parse import quote

from e2elib import *

ENV["LC_ALL"] = "C.UTF-8"

story = Story("channel names set in the dialog survive a restart and reach every view")
UNIT = "E2ENAME1"
CMD_NAMES = 32840
NAMES_VALUE = "ChannelNames"
JAPANESE = "ヘッドホン" * 4 + "モニタ一"  # 24 characters
OUTPUT_FIELD = 18  # the dialog's fields: inputs 0..17, then outputs
FIRST_FIELD_ID, FIRST_MUTE_ID, FIRST_FADER_ID = 1800, 12304, 12384
INPUT_METERS_ID, OUTPUT_METERS_ID = 12352, 12368  # shared by all meters of a kind
IDOK, IDCANCEL = 1, 2


def velpanel(*args):
    result = run_wine([VELPANEL, *args], 60)
    return result.returncode, result.stdout.replace("\r", "").strip()


def stored_names():
    """The names value as `reg export` writes it (UTF-16, every character kept)."""
    exported = os.path.join(PREFIX, "drive_c", "velpanel-names.reg")
    if os.path.exists(exported):
        os.remove(exported)
    wine("reg", "export", REG_KEY, r"C:\velpanel-names.reg", "/y", check=False)
    if not os.path.exists(exported):
        return None
    for line in open(exported, encoding="utf-16").read().splitlines():
        if line.startswith('"%s"=' % NAMES_VALUE):
            text = line.split("=", 1)[1]
            expect(text.startswith('"'), "the names are stored as text: %r" % text[:20])
            return json.loads(json.loads(text))  # .reg quotes text as " and \ escapes
    return None


def names_dialog(*args):
    return ctl("names-dialog", *args)


def tooltips():
    """{control id: [tooltip texts]} as the panel's tooltip windows hold them"""
    tips = {}
    for line in ctl("tooltips").splitlines():
        control, text = line.split("\t", 1)
        tips.setdefault(int(control), []).append(text)
    return tips


def expect_tooltips(inputs, outputs):
    """every channel's meter, fader and mute button carry "Output 3, Headphones" (the number alone unnamed)"""
    def text(kind, number, name):
        return "%s %d, %s" % (kind, number, name) if name else "%s %d" % (kind, number)
    tips = tooltips()
    expect_equal(tips.get(INPUT_METERS_ID), [text("Input", n + 1, inputs.get(n + 1)) for n in range(18)],
                 "input meters' tooltips")
    expected = [text("Output", n + 1, outputs.get(n + 1)) for n in range(8)]
    expect_equal(tips.get(OUTPUT_METERS_ID), expected, "output meters' tooltips")
    expect_equal([tips.get(FIRST_FADER_ID + n) for n in range(8)], [[t] for t in expected], "faders' tooltips")
    expect_equal([tips.get(FIRST_MUTE_ID + n) for n in range(8)], [[t] for t in expected], "mute buttons' tooltips")


def heard_in_the_dialog(inputs, outputs):
    """the names dialog walked by Tab: each field heard as its channel, its name as the value"""
    stops = [line.split("\t") for line in names_dialog("read").splitlines()]
    expect_equal([int(stop[0]) for stop in stops], list(range(FIRST_FIELD_ID, FIRST_FIELD_ID + 26)) + [IDOK, IDCANCEL],
                 "the stops of the Tab key, round to the first field")
    wanted = [["Input %d" % (n + 1), inputs.get(n + 1, "")] for n in range(18)] + \
             [["Output %d" % (n + 1), outputs.get(n + 1, "")] for n in range(8)]
    expect_equal([stop[1:] for stop in stops[:26]], wanted, "what a screen reader hears at each field")


def refused_then_named_in_the_dialog():
    """a name too long is refused naming its channel; the dialog's names are stored beside the record"""
    plug(UNIT)
    panel = story.panel()
    panel.command(CMD_NAMES)
    order = names_dialog("tab-order").split()
    expect_equal(order[:27], [str(1800 + i) for i in range(26)] + ["1"], "Tab order from the first field")

    names_dialog("set", OUTPUT_FIELD + 2, quote(JAPANESE + "x"))
    names_dialog("ok")
    text = names_dialog("box")
    expect("Output 3" in text and "24" in text, "the refusal names the channel: %r" % text)
    names_dialog("cancel")
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    expect_equal(stored_names(), None, "names stored after a refusal and Cancel")

    panel.command(CMD_NAMES)
    names_dialog("set", 1, quote("Bass DI"), OUTPUT_FIELD + 2, quote("Headphones"),
                 OUTPUT_FIELD + 7, quote(JAPANESE))
    names_dialog("ok")
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    names = wait_for("the stored names", stored_names)
    expect_equal(names["inputs"][1], "Bass DI", "input 2")
    expect_equal(names["outputs"][2], "Headphones", "output 3")
    expect_equal(names["outputs"][7], JAPANESE, "output 8")
    expect_equal(len(reg_read().raw), RECORD_SIZE, "the record beside the names")
    # At once the screen reader hears the name with the fader, and the tooltips show it.
    expect(ctl("acc-value", "Output 3 volume, Headphones"), "the fader's value under its new name")
    expect_tooltips({2: "Bass DI"}, {3: "Headphones", 8: JAPANESE})
    panel.command(CMD_NAMES)
    heard_in_the_dialog({2: "Bass DI"}, {3: "Headphones", 8: JAPANESE})
    names_dialog("cancel")
    wait_for("the dialog to close", lambda: ctl("boxes") == "0")
    expect_equal(panel.exit(), 0, "exit code")


def names_after_a_restart():
    """after a restart --status and the screen reader give each channel its name"""
    story.panel()
    code, out = velpanel("--status")
    expect_equal(code, 0, "--status")
    state = json.loads(out)
    expect_equal(state["inputs"][1], {"number": 2, "name": "Bass DI"}, "input 2 in --status")
    expect_equal(state["inputs"][0]["name"], "", "input 1 in --status")
    outputs = state["settings"]["outputs"]
    expect_equal((outputs[2]["output"], outputs[2]["name"]), (3, "Headphones"), "output 3 in --status")
    expect_equal(outputs[7]["name"], JAPANESE, "output 8 in --status")
    expect("volume" in outputs[2], "output 3 keeps its other fields")
    ctl("acc-value", "Output 3 volume, Headphones")
    ctl("acc-value", "Input 2 meter, Bass DI")
    ctl("acc-value", "Output 3 mute, Headphones")
    expect_tooltips({2: "Bass DI"}, {3: "Headphones", 8: JAPANESE})


def names_from_settings_files():
    """a version 2 file's names are applied with its settings; a version 1 file leaves the names"""
    folder = os.path.join(PREFIX, "drive_c", "velpanel-e2e-names")
    os.makedirs(folder, exist_ok=True)
    expect_equal(velpanel("--store", "3", "Named")[0], 0, "--store of the names as they were")
    code, _ = velpanel("--save", r"C:\velpanel-e2e-names\v2.velpanel")
    expect_equal(code, 0, "--save")
    saved = json.load(open(os.path.join(folder, "v2.velpanel"), encoding="utf-8"))
    expect_equal(saved["version"], 2, "version of a saved file")
    expect_equal(saved["outputs"][7]["name"], JAPANESE, "output 8 in the saved file")
    saved["inputs"][1]["name"] = "Synth"
    saved["outputs"][2]["name"] = ""
    json.dump(saved, open(os.path.join(folder, "v2.velpanel"), "w", encoding="utf-8"), ensure_ascii=False)
    old = dict(saved, version=1)
    del old["inputs"]
    old["outputs"] = [{k: v for k, v in o.items() if k != "name"} for o in saved["outputs"]]
    json.dump(old, open(os.path.join(folder, "v1.velpanel"), "w", encoding="utf-8"))

    expect_equal(velpanel("--load", r"C:\velpanel-e2e-names\v2.velpanel")[0], 0, "--load of version 2")
    names = stored_names()
    expect_equal((names["inputs"][1], names["outputs"][2], names["outputs"][7]), ("Synth", "", JAPANESE),
                 "names stored from the version 2 file")
    ctl("acc-value", "Input 2 meter, Synth")
    ctl("acc-value", "Output 3 volume")
    expect_tooltips({2: "Synth"}, {8: JAPANESE})
    expect_equal(velpanel("--load", r"C:\velpanel-e2e-names\v1.velpanel")[0], 0, "--load of version 1")
    expect_equal(stored_names(), names, "names after the version 1 file")


def names_in_a_snapshot():
    """a snapshot keeps the names; its recall brings them back to the tooltips at once"""
    expect_equal(velpanel("--recall", "3")[0], 0, "--recall")
    names = stored_names()
    expect_equal((names["inputs"][1], names["outputs"][2]), ("Bass DI", "Headphones"), "names after the recall")
    expect_tooltips({2: "Bass DI"}, {3: "Headphones", 8: JAPANESE})


story.cleanups.append(lambda: shutil.rmtree(os.path.join(PREFIX, "drive_c", "velpanel-e2e-names"), ignore_errors=True))
story.run([refused_then_named_in_the_dialog, names_after_a_restart, names_from_settings_files, names_in_a_snapshot])
