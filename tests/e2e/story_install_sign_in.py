#!/usr/bin/python3
"""The portable zip holds what it should. A user installs VelPanel silently on a fresh system, signs out, plugs a unit
and signs in: the panel starts with the sign-in, hidden and with no message,
and the unit comes up as the stored record says. Starting it again, from the
sign-in entry or from the Start menu, leaves that one panel alone.
"""
from installlib import *

story = Story("installed, started at sign-in")
UNIT = "E2ESIGNIN1"
state = {}


def silent_install():
    """setup /S: the program alone, the shortcut, the uninstall entry, the sign-in entry"""
    expect(install_folder() is None, "the fresh prefix holds no install")
    result = setup("/S")
    expect_equal(result.returncode, 0, "exit code of the setup (%s)" % result.stderr.strip())
    folder = install_folder()
    expect(folder and folder.endswith(r"\AppData\Local\Programs\VelPanel"), "per-user folder: %r" % folder)
    expect_equal(sorted(os.listdir(host_path(folder))), ["Uninstall.exe", "VelPanel.exe"], "installed files")
    with open(host_path(installed_exe()), "rb") as installed, open(VELPANEL, "rb") as built:
        expect(installed.read() == built.read(), "the installed VelPanel.exe is the built one")
    entry = reg_values(UNINSTALL_KEY)
    uninstaller = folder + r"\Uninstall.exe"
    expect_equal({k: entry.get(k) for k in ("DisplayName", "Publisher", "DisplayVersion", "DisplayIcon",
                                            "UninstallString", "QuietUninstallString")},
                 {"DisplayName": "VelPanel", "Publisher": "Qor", "DisplayVersion": VERSION,
                  "DisplayIcon": installed_exe() + ",0", "UninstallString": '"%s"' % uninstaller,
                  "QuietUninstallString": '"%s" /S' % uninstaller}, "uninstall entry")
    size_kb = int(entry["EstimatedSize"], 16)
    exe_kb = os.path.getsize(host_path(installed_exe())) // 1024
    expect(exe_kb <= size_kb <= 2 * exe_kb + 1024, "estimated size %d KB for an exe of %d KB" % (size_kb, exe_kb))
    expect_equal(reg_values(RUN_KEY).get(RUN_VALUE), '"%s" --background' % installed_exe(), "sign-in entry")
    with open(host_path(shortcut()), "rb") as link:
        expect(installed_exe().encode() in link.read(), "the Start-menu shortcut names the installed exe")
    expect(ctl("find", 100, check=False).returncode != 0, "a silent first install starts no panel")


def sign_in_applies_record():
    """sign out, plug a unit, sign in: the panel runs hidden, no box, the unit holds the stored record"""
    record = Record.defaults()
    record.out_volume = [90, 90, 127, 100, 64, 64, 127, 5]
    record.out_link = [1, 0, 1, 0]
    record.mix_out_sel = 1
    record.sample_rate = 96000
    record.digital_format = 1
    reg_write_raw(bytes(record.raw))
    new_session()
    plug(UNIT)
    expect_equal(dump(UNIT)["codec"][VOLUME_REGISTER[0]], 0, "the unit starts blank")
    sign_in()
    ctl("find", 15000)
    wait_unit_matches(UNIT, record)
    expect(ctl("visible") == "0", "the panel stays hidden")
    expect_equal(int(ctl("boxes")), 0, "message boxes")
    state["pid"] = ctl("pid")


def second_starts_stay_single():
    """the sign-in entry's command and the Start-menu shortcut again: each ends at once, one panel runs; the shortcut shows it"""
    run_command = reg_values(RUN_KEY)[RUN_VALUE]
    exe, argument = run_command.rsplit(" ", 1)
    again = run_wine([exe.strip('"'), argument], 30)
    expect_equal(again.returncode, 0, "exit code of the second sign-in start")
    expect(ctl("visible") == "0", "the panel stays hidden after the sign-in entry ran again")
    menu = run_wine(["start", "/wait", shortcut()], 30)
    expect_equal(menu.returncode, 0, "exit code of the Start-menu start")
    expect_equal(ctl("pid"), state["pid"], "the running panel")
    expect_equal(dump(UNIT)["openHandles"], 1, "handles on the unit")
    # A user who starts the program from the menu sees the running panel.
    ctl("wait-visible", 1, 5000)


def portable_zip():
    """the portable zip: the built exe, a readme and the licence with Windows line ends, the changelog, nothing else"""
    import zipfile
    with zipfile.ZipFile(os.environ["VELPANEL_ZIP"]) as archive:
        expect_equal(sorted(archive.namelist()), ["CHANGELOG.md", "LICENSE.txt", "README.txt", "VelPanel.exe"],
                     "files in the zip")
        with open(os.path.join(ROOT, "CHANGELOG.md"), "rb") as changelog:
            expect(archive.read("CHANGELOG.md") == changelog.read(), "the zipped changelog is the repository's")
        with open(VELPANEL, "rb") as exe:
            expect(archive.read("VelPanel.exe") == exe.read(), "the zipped exe is the built one")
        for text in ("LICENSE.txt", "README.txt"):
            lines = archive.read(text).split(b"\n")
            expect(all(line.endswith(b"\r") for line in lines[:-1]), text + " has Windows line ends")


story.cleanups.append(end_running_panel)
story.run([portable_zip, silent_install, sign_in_applies_record, second_starts_stay_single])
