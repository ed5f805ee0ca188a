"""Plumbing of the installer stories, on top of e2elib.

The setup and the uninstaller are the ones the build makes; what they leave
behind is read back through Wine's own `reg` and the prefix's files. A user's
sign-in is Wine's: a new session (wineserver) whose `wineboot` runs the Run
values of HKCU, as Windows does at sign-in.

Environment (set by tests/e2e/CMakeLists.txt): those of e2elib and
VELPANEL_SETUP.
"""
import functools
import hashlib
import re
import shutil

from e2elib import *

SETUP = os.environ["VELPANEL_SETUP"]
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VelPanel"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "VelPanel"
SETTINGS_KEY = r"HKCU\Software\Qor\VelPanel"

# Exit codes of the setup and the uninstaller.
EXIT_ANOTHER_SETUP, EXIT_PANEL_RUNS, EXIT_FOLDER, EXIT_SYSTEM, EXIT_OPTION = 3, 4, 5, 6, 7


def reg_values(key):
    """{name: data} of a key's values as `reg query` shows them, None without the key."""
    result = wine("reg", "query", key, check=False)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.replace("\r", "").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2] if len(parts) > 2 else ""
    return values


def host_path(windows_path):
    """The prefix's file for a C:\\... path."""
    return os.path.join(PREFIX, "drive_" + windows_path[0].lower(), *windows_path[3:].split("\\"))


def install_folder():
    """The folder the uninstall entry names, or None without an install."""
    entry = reg_values(UNINSTALL_KEY)
    return entry.get("InstallLocation") if entry else None


def installed_exe():
    return install_folder() + "\\VelPanel.exe"


@functools.lru_cache(maxsize=None)
def shortcut():
    appdata = wine("cmd", "/c", "echo", "%APPDATA%").stdout.strip()
    return appdata + r"\Microsoft\Windows\Start Menu\Programs\VelPanel.lnk"


def install_state():
    """Everything an install consists of, for comparing before and after."""
    entry = reg_values(UNINSTALL_KEY)
    folder = entry.get("InstallLocation") if entry else None
    files = {}
    if folder and os.path.isdir(host_path(folder)):
        for name in sorted(os.listdir(host_path(folder))):
            with open(os.path.join(host_path(folder), name), "rb") as f:
                files[name] = hashlib.sha256(f.read()).hexdigest()
    run = reg_values(RUN_KEY) or {}
    return dict(entry=entry, files=files, run=run.get(RUN_VALUE),
                shortcut=os.path.exists(host_path(shortcut())))


@functools.lru_cache(maxsize=None)
def log_folder():
    """The panel's diagnostics log folder (%LOCALAPPDATA%\\Qor\\VelPanel)."""
    local = wine("cmd", "/c", "echo", "%LOCALAPPDATA%").stdout.strip()
    return local + r"\Qor\VelPanel"


def short_name(windows_path):
    """The path with each folder's 8.3 name as Wine's `dir /x` lists it, None
    when no part of it has another name."""
    parts = windows_path.split("\\")
    short = [parts[0]]
    for i in range(1, len(parts)):
        listing = wine("cmd", "/c", "dir", "/x", "\\".join(parts[:i]) + "\\", check=False).stdout.replace("\r", "")
        names = dict((m.group(2), m.group(1)) for m in re.finditer(r"<DIR>\s+(\S+)\s+(.+)$", listing, re.M))
        short.append(names.get(parts[i], parts[i]))
    name = "\\".join(short)
    return name if name.lower() != windows_path.lower() else None


class DriveLetter:
    """A second drive letter for a folder of the prefix, as `subst` makes one:
    a link in the prefix's dosdevices, removed on leaving."""

    def __init__(self, letter, windows_path):
        self.link = os.path.join(PREFIX, "dosdevices", letter.lower() + ":")
        self.target = host_path(windows_path)
        self.root = letter.upper() + ":\\"

    def __enter__(self):
        os.symlink(self.target, self.link)
        return self

    def __exit__(self, *exc):
        os.remove(self.link)


def setup(*args, timeout=90):
    """Runs the built setup; its exit code, output and error output."""
    return run_wine([SETUP, *args], timeout)


def uninstall(*args, folder=None, timeout=90):
    """Runs the installed uninstaller as its own first start does: a copy of
    it outside the folder, told the folder with _?=, so that the exit code is
    the uninstall's own."""
    folder = folder or install_folder()
    copy_dir = os.path.join(PREFIX, "drive_c", "velpanel-uninstall-copy")
    os.makedirs(copy_dir, exist_ok=True)
    copy = os.path.join(copy_dir, "Au_.exe")
    shutil.copyfile(os.path.join(host_path(install_folder()), "Uninstall.exe"), copy)
    try:
        return run_wine([copy, *args, "_?=" + folder], timeout)
    finally:
        os.remove(copy)


def expect_refused(result, code, reason):
    expect_equal(result.returncode, code, "exit code (error output: %r)" % result.stderr.strip())
    expect(reason in result.stderr, "the reason %r on the error output: %r" % (reason, result.stderr.strip()))


def ensure_installed():
    if install_folder() is None:
        result = setup("/S")
        expect_equal(result.returncode, 0, "exit code of the setup: " + result.stderr)


def end_running_panel():
    """`VelPanel.exe --exit` of the built program: the panel ends through Exit."""
    return wine(VELPANEL, "--exit", check=False, timeout=30)


# ---------------------------------------------------------------- sessions

def new_session():
    """The user signs out (the session ends with every program in it) and a
    new session starts with the simulated bus running; nobody signed in yet."""
    subprocess.run(["wineserver", "-k"], env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    with tempfile.TemporaryFile() as log:
        result = subprocess.run(["bash", os.path.join(ROOT, "scripts", "sim-prefix.sh"), PREFIX], env=ENV,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, timeout=120)
        if result.returncode != 0:
            log.seek(0)
            raise StoryFailure("the new session did not start: " + log.read().decode("utf-8", "replace"))


def sign_in():
    """What Windows does when the user signs in: the Run values start."""
    wine("wineboot", timeout=60)
