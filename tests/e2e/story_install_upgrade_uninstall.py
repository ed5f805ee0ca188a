#!/usr/bin/python3
"""An upgrade over a running panel ends it through Exit (never by force), keeps
what the user changed just before and brings the upgraded panel back; it keeps
the user's sign-in choice; /D= naming the installed folder another way is no
move. A silent uninstall ends the panel the same way and removes everything but
the user's settings; asked to, it removes those and the log folder too.
"""
from installlib import *

story = Story("upgrade and uninstall")
UNIT = "E2EUPGRADE1"


def upgrade_over_running_panel():
    """setup /S right after a fader move: the panel ends with code 0, the move is kept, the new panel runs"""
    ensure_installed()
    plug(UNIT)
    panel = story.panel(tray_box=False, command=[installed_exe(), "--background"])
    panel.fader(0, -10)  # outputs 0 and 1 (linked) to 117
    wait_unit(UNIT, "outputs 0 and 1 at 117", lambda d: d["codec"][VOLUME_REGISTER[0]] == 0x80 | 117)
    old_pid = ctl("pid")
    result = setup("/S")
    expect_equal(result.returncode, 0, "exit code of the setup (%s)" % result.stderr.strip())
    expect_equal(panel.process.wait(10), 0, "exit code of the panel the upgrade ended")
    expect_equal(reg_read().out_volume, [117, 117, 127, 127, 127, 127, 127, 127], "stored volumes")
    ctl("find", 15000)
    expect(ctl("pid") != old_pid, "the upgraded panel runs in a new process")
    wait_for("the upgraded panel to hold the unit", lambda: dump(UNIT)["openHandles"] == 1)
    expect(reg_values(RUN_KEY).get(RUN_VALUE), "the sign-in entry is kept")


def sign_in_choice():
    """/SIGNIN=0 drops the sign-in entry, a plain upgrade keeps it off, /SIGNIN=1 brings it back"""
    for args, wanted in ((["/SIGNIN=0"], False), ([], False), (["/SIGNIN=1"], True)):
        result = setup("/S", *args)
        expect_equal(result.returncode, 0, "setup /S %s (%s)" % (" ".join(args), result.stderr.strip()))
        expect_equal(RUN_VALUE in (reg_values(RUN_KEY) or {}), wanted, "sign-in entry after setup /S " + " ".join(args))
    expect_refused(setup("/S", "/SIGNIN=yes"), EXIT_OPTION, "/SIGNIN= takes 1")


def upgrade_into_another_folder():
    """setup /S /D=<another folder>: the install moves there, the old folder goes"""
    old = install_folder()
    result = setup("/S", r"/D=C:\Program Files\VelPanel moved")
    expect_equal(result.returncode, 0, "exit code of the setup (%s)" % result.stderr.strip())
    expect_equal(install_folder(), r"C:\Program Files\VelPanel moved", "the folder in the uninstall entry")
    expect_equal(sorted(os.listdir(host_path(install_folder()))), ["Uninstall.exe", "VelPanel.exe"], "files")
    expect(not os.path.exists(host_path(old)), "the old folder is gone")
    expect_equal(reg_values(RUN_KEY).get(RUN_VALUE), '"%s" --background' % installed_exe(), "sign-in entry")
    ctl("find", 15000)  # the panel the upgrade ended runs again, from the new folder


def upgrade_through_another_name():
    """setup /S /D= naming the installed folder through a subst-like drive letter and its 8.3 name: the same
    folder, so nothing of the install is removed and the entry keeps its name"""
    folder = install_folder()
    parent, leaf = folder.rsplit("\\", 1)
    names = []
    with DriveLetter("v", parent) as drive:
        names.append(drive.root + leaf)
        short = short_name(folder)
        names += [short] if short else []
        for name in names:
            result = setup("/S", "/D=" + name)
            expect_equal(result.returncode, 0, "exit code of the setup /D=%s (%s)" % (name, result.stderr.strip()))
            expect_equal(sorted(os.listdir(host_path(folder))), ["Uninstall.exe", "VelPanel.exe"],
                         "files after /D=" + name)
            expect_equal(install_folder(), folder, "the folder in the uninstall entry after /D=" + name)
            ctl("find", 15000)  # the panel the upgrade ended runs again
    print("names tried: %s" % names)


def quiet_uninstall_keeps_settings():
    """the entry's QuietUninstallString: the panel ends, everything goes but the settings"""
    stored = reg_read()
    folder = install_folder()
    quiet = reg_values(UNINSTALL_KEY)["QuietUninstallString"]
    program, argument = quiet.rsplit(" ", 1)
    wine(program.strip('"'), argument)  # returns at once; the uninstall runs from a copy of itself
    wait_for("the uninstall to finish", lambda: install_folder() is None and not os.path.exists(host_path(folder)),
             timeout=30)
    expect_equal(ctl("wait-gone", 10000, check=False).returncode, 0, "the panel ended")
    expect(RUN_VALUE not in (reg_values(RUN_KEY) or {}), "the sign-in entry is gone")
    expect(not os.path.exists(host_path(shortcut())), "the shortcut is gone")
    expect_equal(reg_read().raw, stored.raw, "the stored settings")
    result = end_running_panel()
    expect_refused(result, 3, "no panel is running")


def uninstall_with_settings():
    """installed again, then uninstalled through another name of its folder with /REMOVESETTINGS: the whole
    install goes, the settings and the log folder as well"""
    ensure_installed()
    expect(os.path.isfile(os.path.join(host_path(log_folder()), "velpanel.log")), "the panel has written its log")
    parent, leaf = install_folder().rsplit("\\", 1)
    with DriveLetter("w", parent) as drive:
        result = uninstall("/S", "/REMOVESETTINGS", folder=drive.root + leaf)
    expect_equal(result.returncode, 0, "exit code of the uninstall (%s)" % result.stderr.strip())
    expect_equal(install_state(), dict(entry=None, files={}, run=None, shortcut=False), "what is left")
    expect(reg_values(SETTINGS_KEY) is None, "the settings are gone")
    expect(not os.path.exists(host_path(log_folder())), "the log folder (paths and serials) is gone")


story.cleanups.append(end_running_panel)
story.run([upgrade_over_running_panel, sign_in_choice, upgrade_into_another_folder, upgrade_through_another_name,
           quiet_uninstall_keeps_settings, uninstall_with_settings])
