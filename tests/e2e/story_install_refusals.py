#!/usr/bin/python3
"""Setups and uninstalls that cannot do their work stop with their reason (a
message, a line on the error output, an exit code) and leave the previous
install as it was and usable: a second setup while one runs, read-only
installed files, an install folder that cannot be made, a running panel that
does not answer, a system older than the panel supports. An uninstall while the panel shows an error box ends the
panel through Exit inside the box and completes.
"""
from installlib import *

story = Story("setups that cannot do their work")
UNIT = "E2EREFUSE1"
SETUP_TITLE = "VelPanel %s Setup" % VERSION


def usable(before):
    expect_equal(install_state(), before, "the install")
    result = wine(installed_exe(), "--exit", check=False)
    expect(result.returncode in (0, 3), "the installed VelPanel.exe runs (--exit answered %d)" % result.returncode)


def second_setup_at_once():
    """a setup or uninstall while a setup shows its first page: exit 3 and its reason, nothing changed"""
    ensure_installed()
    before = install_state()
    first = subprocess.Popen(["wine", SETUP], env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        ctl("window", SETUP_TITLE, 20000)
        expect_refused(setup("/S"), EXIT_ANOTHER_SETUP, "Another VelPanel setup or uninstall is running")
        expect_refused(uninstall("/S"), EXIT_ANOTHER_SETUP, "Another VelPanel setup or uninstall is running")
    finally:
        first.kill()  # the first setup was started here and has written nothing yet
        first.wait(10)
    usable(before)


def read_only_files():
    """installed files made read-only: setup and uninstall stop (5), the running panel keeps running"""
    panel = story.panel(tray_box=False, expect_connected=False, command=[installed_exe(), "--background"])
    before = install_state()
    wine("cmd", "/c", "attrib", "+r", installed_exe())
    try:
        expect_refused(setup("/S"), EXIT_FOLDER, "are read-only and cannot be replaced")
        expect(panel.alive(), "the setup left the running panel alone")
        expect_refused(uninstall("/S"), EXIT_FOLDER, "cannot be removed")
        expect(not panel.alive(), "the uninstall had ended the panel through Exit before it tried")
        ctl("find", 15000)  # and started it again
    finally:
        wine("cmd", "/c", "attrib", "-r", installed_exe())
    usable(before)


def folder_cannot_be_made():
    """setup /D= a folder below a file: exit 5 and its reason; an uninstall of a folder without VelPanel: 5"""
    before = install_state()
    with open(os.path.join(PREFIX, "drive_c", "velpanel-blocker"), "w") as blocker:
        blocker.write("a file where a folder would go\n")
    expect_refused(setup("/S", r"/D=C:\velpanel-blocker\VelPanel"), EXIT_FOLDER, "cannot be created")
    expect_refused(uninstall("/S", folder=r"C:\velpanel-nowhere"), EXIT_FOLDER, "VelPanel is not installed in")
    usable(before)


def panel_not_answering():
    """a panel that does not answer (its process stopped): setup waits its bound, stops with 4, kills nothing"""
    before = install_state()
    panel = story.panel(tray_box=False, expect_connected=False, command=[installed_exe(), "--background"])
    # Stopped once it takes requests (its window exists a little earlier).
    wine(installed_exe(), "--status")
    os.kill(panel.process.pid, signal.SIGSTOP)
    try:
        expect_refused(setup("/S"), EXIT_PANEL_RUNS, "VelPanel is running and did not end")
    finally:
        os.kill(panel.process.pid, signal.SIGCONT)
    expect_equal(panel.process.wait(10), 0, "exit code of the panel, answering again (the Exit it was sent)")
    usable(before)


def older_windows():
    """the setup on Windows Vista (Wine says so to the setup alone): exit 6 and its reason"""
    before = install_state()
    key = r"HKCU\Software\Wine\AppDefaults\%s" % os.path.basename(SETUP)
    wine("reg", "add", key, "/v", "Version", "/d", "vista", "/f")
    try:
        expect_refused(setup("/S"), EXIT_SYSTEM, "needs 64-bit Windows 7 or later")
    finally:
        wine("reg", "delete", key, "/f")
    usable(before)


def uninstall_over_error_box():
    """uninstall while the panel shows an error box: the panel ends with code 0 and its record, the uninstall completes"""
    plug(UNIT)
    sim("fault", UNIT, hex(0x2200D0), 9, "fail", 1)  # the rate cannot be set at arrival
    panel = story.panel(tray_box=False, expect_connected=False, command=[installed_exe(), "--background"])
    wait_for("the error box", lambda: ctl("boxes", "Function error USBDevice::setConfiguration()") == "1")
    result = uninstall("/S")
    expect_equal(result.returncode, 0, "exit code of the uninstall (%s)" % result.stderr.strip())
    expect_equal(panel.process.wait(10), 0, "exit code of the panel")
    expect_equal(reg_read().user_fields(), Record.defaults().user_fields(), "the record the panel saved")
    expect_equal(install_state(), dict(entry=None, files={}, run=None, shortcut=False), "what is left")


story.cleanups.append(end_running_panel)
story.run([second_setup_at_once, read_only_files, folder_cannot_be_made, panel_not_answering, older_windows,
           uninstall_over_error_box])
