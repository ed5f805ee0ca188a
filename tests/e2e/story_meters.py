#!/usr/bin/python3
"""A sound engineer reads the meters: full scale latches a red cap that a
click on the meter clears, Reset Clip Indicators clears them all, a peak
leaves its mark for a moment, and with Peak Hold switched off (kept for the next start)
the meters show exactly the level, as they always did.

The unit's meters are forced with `velmora-sim set <serial> meters <byte>`.
The meters' pixels are read back from the X server (a Wine virtual desktop on
Xvfb, in an X11 prefix of this story's own, since the null driver keeps each
window's pixels inside its own process) at the place `panelctl meter-rect`
names, and compared with the skin's own track and bar images (res/bitmaps),
row by row.
"""
import atexit
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
if not os.environ.get("DISPLAY"):
    os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", sys.executable] + sys.argv)

# The story's own X11 prefix with the simulated bus; every program runs in
# one virtual desktop the size of the screen, so screen and X coordinates agree.
BUILD = os.environ["VELMORA_SIM_BUILD"]
os.environ["WINEPREFIX"] = os.path.join(BUILD, "wineprefix-meters")
subprocess.run(["bash", os.path.join(HERE, "..", "..", "scripts", "sim-prefix.sh"), os.environ["WINEPREFIX"], "x11"],
               check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
for key, name, value in ((r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
                         (r"HKCU\Software\Wine\Explorer\Desktops", "Default", "1024x768")):
    subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

from PIL import Image  # noqa: E402

from e2elib import *  # noqa: E402

story = Story("peak hold and clip on the meters")
UNIT = "E2EMETR1"
CMD_PEAK_HOLD, CMD_RESET_CLIPS = 32793, 32794
FIRST_OUTPUT = 18
state = {}

BITMAPS = os.path.join(HERE, "..", "..", "res", "bitmaps")


def rows_of(name):
    img = Image.open(os.path.join(BITMAPS, name + ".bmp")).convert("RGB")
    w, h = img.size
    px = img.load()
    return [tuple("%02X%02X%02X" % px[x, y] for x in range(w)) for y in range(h)]


TRACK, BAR = rows_of("PEAK_BACK"), rows_of("PEAK_FORE")


def shown(meter):
    """The meter's rows as the X server shows them."""
    x, y, w, h = map(int, ctl("meter-rect", meter).split())
    raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    if len(raw) != 3 * w * h:
        raise StoryFailure("read %d bytes of meter %d" % (len(raw), meter))
    return [tuple("%02X%02X%02X" % tuple(raw[3 * (r * w + c):3 * (r * w + c) + 3]) for c in range(w))
            for r in range(h)]


def picture(meter):
    """What a meter shows, row by row: "track", "bar", "both" (a row the two
    images share: the gaps between the bar's segments), "cap" (a red row) or
    "other" (a row of neither image, such as a peak-hold mark)."""
    kinds = []
    for y, row in enumerate(shown(meter)):
        if row == TRACK[y] and row == BAR[y]:
            kinds.append("both")
        elif row == TRACK[y]:
            kinds.append("track")
        elif row == BAR[y]:
            kinds.append("bar")
        elif all(int(p[0:2], 16) > 200 and int(p[2:4], 16) < 80 and int(p[4:6], 16) < 80 for p in row):
            kinds.append("cap")
        else:
            kinds.append("other")
    return kinds


def track(kind):
    return kind in ("track", "both")


def bar(kind):
    return kind in ("bar", "both")


def level_only(kinds):
    """Today's look: the track above one boundary, the bar from it down."""
    top = kinds.index("bar") if "bar" in kinds else len(kinds)
    return all(track(k) for k in kinds[:top]) and all(bar(k) for k in kinds[top:])


def unlit(kinds):
    return all(track(k) for k in kinds)


def capped(kinds):
    return kinds[0] == "cap" and kinds[1] == "cap"


def wait_picture(meter, what, predicate, timeout=10.0):
    last = []

    def probe():
        last[:] = picture(meter)
        return list(last) if predicate(last) else None
    try:
        return wait_for("meter %d: %s" % (meter, what), probe, timeout)
    except StoryFailure:
        runs, start = [], 0
        for y in range(1, len(last) + 1):
            if y == len(last) or last[y] != last[start]:
                runs.append("%s %d-%d" % (last[start], start, y - 1))
                start = y
        raise StoryFailure("meter %d not %s; it shows %s" % (meter, what, ", ".join(runs)))


def start():
    """the panel shows the Control page with a unit attached; Peak Hold is on"""
    plug(UNIT)
    state["panel"] = story.panel(tray_box=False)
    state["panel"].command(CMD_OPEN)
    wait_for("the window shown", state["panel"].visible)


def full_scale_latches():
    """full scale on every channel: each meter lights up whole, and when the
    signal stops a red cap stays on top of every meter"""
    sim("set", UNIT, "meters", 127)
    wait_picture(0, "lit whole under a cap", lambda k: capped(k) and all(bar(x) for x in k[4:]))
    sim("set", UNIT, "meters", 0)
    for meter in (0, 7, FIRST_OUTPUT, FIRST_OUTPUT + 7):
        wait_picture(meter, "unlit under its cap", lambda k: capped(k) and unlit(k[4:]))


def peak_mark():
    """a peak leaves one light row where it stood, which falls back later"""
    sim("set", UNIT, "meters", 31)
    wait_picture(3, "lit from about row 44", lambda k: k[40] == "track" and k[46] == "bar" and level_only(k))
    sim("set", UNIT, "meters", 0)
    kinds = wait_picture(3, "one light row above the track", lambda k: sum(not track(x) for x in k) == 1)
    row = next(y for y, x in enumerate(kinds) if not track(x))
    expect(40 <= row <= 48, "the mark stands where the peak was: row %d" % row)
    wait_picture(3, "the mark gone after its hold", unlit)


def click_clears_one():
    """a click on a meter clears its cap; the others keep theirs"""
    ctl("click-meter", 5)
    wait_picture(5, "no cap", unlit)
    expect(capped(picture(6)), "meter 6 keeps its cap")
    expect(capped(picture(FIRST_OUTPUT + 2)), "output 2 keeps its cap")


def reset_clears_all():
    """Config > Reset Clip Indicators clears every cap"""
    state["panel"].command(CMD_RESET_CLIPS)
    for meter in (6, 0, FIRST_OUTPUT + 2, FIRST_OUTPUT + 7):
        wait_picture(meter, "no cap", unlit)


def peak_hold_off():
    """Config > Peak Hold off: stored beside the record, and the meters show
    the level alone: no mark, no cap, today's pixels"""
    state["panel"].command(CMD_PEAK_HOLD)
    wait_for("PeakHold stored as 0", lambda: "0x0" in wine("reg", "query", REG_KEY, "/v", "PeakHold",
                                                           check=False).stdout)
    sim("set", UNIT, "meters", 127)
    wait_picture(0, "lit whole, no cap", lambda k: all(bar(x) for x in k))
    sim("set", UNIT, "meters", 31)
    wait_picture(0, "lit from about row 44 as ever", lambda k: k[40] == "track" and k[46] == "bar" and level_only(k))
    sim("set", UNIT, "meters", 0)
    for meter in (0, FIRST_OUTPUT + 4):
        wait_picture(meter, "the track alone, no mark, no cap", unlit, timeout=5.0)


def off_after_restart():
    """the next start keeps Peak Hold off"""
    state["panel"].exit()
    state["panel"] = story.panel(tray_box=False)
    state["panel"].command(CMD_OPEN)
    wait_for("the window shown", state["panel"].visible)
    sim("set", UNIT, "meters", 127)
    wait_picture(2, "lit whole, no cap", lambda k: all(bar(x) for x in k))
    sim("set", UNIT, "meters", 0)
    wait_picture(2, "the track alone", unlit, timeout=5.0)


def cleanup():
    sim("set", UNIT, "meters", "free", check=False)


# The story's Wine session ends with it (its units with it).
atexit.register(lambda: subprocess.run(["wineserver", "-k"], env=ENV, check=False))


story.cleanups.append(cleanup)
story.run([start, full_scale_latches, click_clears_one, reset_clears_all, peak_mark, peak_hold_off,
           off_after_restart])
