"""The Wine session of the programs that run outside ctest (the soak, the
request benchmark): builds what they run, sets the environment that e2elib
reads (import e2elib only after start) and starts a session of the simulated
bus in a prefix of the build tree, stopped when the program ends.

VELPANEL_BUILD overrides the build tree (default: build/windows).
"""
import atexit
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
BUILD = os.path.abspath(os.environ.get("VELPANEL_BUILD", os.path.join(ROOT, "build", "windows")))
SESSION = os.path.join(HERE, "sim-session.sh")


def start(prefix_name, targets, **tools):
    """Builds VelPanel, the simulated bus, panelctl and `targets`; `tools`
    names further environment variables and their paths in the build tree.
    Answers the prefix."""
    if not os.path.isfile(os.path.join(BUILD, "CMakeCache.txt")):
        subprocess.run(["cmake", "--preset", "windows", "-B", BUILD], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD, "-j2", "--target", "VelPanel", "velmora-sim", "velmorasim_driver",
                    "panelctl", *targets], check=True)
    prefix = os.path.join(BUILD, prefix_name)
    os.environ.update(
        WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", PYTHONDONTWRITEBYTECODE="1",
        VELMORA_SIM_BUILD=BUILD,
        VELPANEL_EXE=os.path.join(BUILD, "app", "win32", "VelPanel.exe"),
        PANELCTL_EXE=os.path.join(BUILD, "tests", "e2e", "panelctl.exe"),
        VELMORA_SIM_EXE=os.path.join(BUILD, "sim", "tools", "velmora-sim.exe"),
        **{name: os.path.join(BUILD, *path.split("/")) for name, path in tools.items()})
    os.environ.pop("DISPLAY", None)
    subprocess.run(["bash", SESSION, "start", prefix], check=True, stdout=subprocess.DEVNULL)
    atexit.register(lambda: subprocess.run(["bash", SESSION, "stop", prefix], check=False))
    return prefix
