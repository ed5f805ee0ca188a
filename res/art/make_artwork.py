#!/usr/bin/python3
"""Generates every bitmap and the icon of VelPanel.exe.

    make_artwork.py [--out DIR] [--scale PERCENT] [--preview FILE.png]

writes DIR/bitmaps/<NAME>.bmp, DIR/VelPanel.ico and the notification area's
icons DIR/TrayDark.ico, TrayLight.ico, TrayContrast.ico (DIR defaults to res/),
and the sets the program carries for larger screen scales,
DIR/bitmaps/<PERCENT>/<NAME>.bmp (150 and 200). --scale draws one set only,
at any scale (125, 175, ...): the same shapes and texts with every
coordinate, size and font multiplied.
The output depends only on these sources and the fonts: running it twice gives
the same bytes."""

import argparse
import os
import sys

from PIL import Image, ImageDraw

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import layout as L  # noqa: E402
import paint  # noqa: E402
import skin  # noqa: E402
import theme as T  # noqa: E402
from bmpfile import bmp_bytes, ico_bytes  # noqa: E402
from paint import P, dev, font  # noqa: E402

# The scales whose artwork the program carries besides 100 % (its
# ART_PERCENTS); other scales take the next larger set, resampled.
CARRIED_SCALES = (150, 200)


def build():
    """All bitmaps as {name: (RGB image, bits per pixel)}."""
    out = {}
    bak = skin.bak()
    out["BAK"] = (bak, 8)

    def tab_base(box, width):
        return bak.crop((P(box[0]), P(box[1]), P(box[0]) + P(width), P(box[1]) + P(box[3] - box[1])))

    cbase = tab_base(L.TAB_CONTROL, 95)
    ibase = tab_base(L.TAB_INFO, 94)
    out["BTN_CONTROLU"] = (skin.tab(cbase, "Control", False, 95), 8)
    out["BTN_CONTROLD"] = (skin.tab(cbase, "Control", True, 95), 8)
    out["BTN_INFOU"] = (skin.tab(ibase, "Information", False, 94), 8)
    out["BTN_INFOD"] = (skin.tab(ibase, "Information", True, 94), 8)
    # Spare tab images kept with the skin (focused and disabled Control tab,
    # a Config tab), at 100 % only: the program shows none of them.
    if paint.K == 1.0:
        out["BTN_CONTROLF"] = (skin.tab(cbase, "Control", True, 95, focus=True), 8)
        out["BTN_CONTROLX"] = (skin.tab(cbase, "Control", False, 95, disabled=True), 8)
        out["BTN_CONFIGU"] = (skin.tab(ibase, "Config", False, 94), 8)
        out["BTN_CONFIGD"] = (skin.tab(ibase, "Config", True, 94), 8)

    page = skin.control_page()
    out["BAK_PAGE_CONTROL"] = (page, 8)
    out["BAK_PAGE_INFO"] = (skin.info_page(), 8)

    def page_base(x, y, size):
        w, h = dev(size)
        return page.crop((P(x), P(y), P(x) + w, P(y) + h))

    mon = page_base(*L.MON_BUTTON, L.SWITCH_SIZE)
    mix = page_base(*L.MIX_BUTTON, L.SWITCH_SIZE)
    out["BTN_MON_OFF"] = (skin.switch_button(mon, "MON", False, T.AMBER), 8)
    out["BTN_MON_ON"] = (skin.switch_button(mon, "MON", True, T.AMBER), 8)
    out["BTN_MIX_OFF"] = (skin.switch_button(mix, "MIX", False, T.AMBER), 8)
    out["BTN_MIX_ON"] = (skin.switch_button(mix, "MIX", True, T.AMBER), 8)
    ml = page_base(L.mute_x(0, False), L.BUTTON_Y, L.MUTE_SIZE)
    mr = page_base(L.mute_x(0, True), L.BUTTON_Y, L.MUTE_SIZE)
    lk = page_base(L.link_x(0), L.BUTTON_Y, L.LINK_SIZE)
    left, right, middle = (True, False, False, True), (False, True, True, False), (False,) * 4
    for state, lit in (("OFF", False), ("ON", True)):
        out["BTN_MUTELEFT_" + state] = (skin.switch_button(ml, "M", lit, T.RED, left, size=10), 8)
        out["BTN_MUTERIGHT_" + state] = (skin.switch_button(mr, "M", lit, T.RED, right, size=10), 8)
        out["BTN_LINK_" + state] = (skin.switch_button(lk, "", lit, T.LINK_BLUE, middle,
                                                       glyph=skin.link_glyph), 8)
    sp = page_base(L.SELECTOR_XS[0], L.SELECTOR_Y, L.SELECTOR_SIZE)
    out["BTN_SPDIFOUT_OFF"] = (skin.switch_button(sp, "S/PDIF OUT", False, T.AMBER, size=9,
                                                  key="small"), 8)
    out["BTN_SPDIFOUT_ON"] = (skin.switch_button(sp, "S/PDIF OUT", True, T.AMBER, size=9,
                                                 key="small"), 8)

    out["FADER_BACK"] = (skin.fader_back(), 8)
    out["FADER_KNOB_OFF"] = (skin.fader_knob(False), 8)
    out["FADER_KNOB_ON"] = (skin.fader_knob(True), 8)
    out["PEAK_BACK"] = (skin.peak(False), 4)
    out["PEAK_FORE"] = (skin.peak(True), 8)
    return out


def icons():
    return [skin.icon(s) for s in (16, 32, 48)]


def write(outdir, images, percent=100):
    folder = os.path.join(outdir, "bitmaps", *([] if percent == 100 else [str(percent)]))
    os.makedirs(folder, exist_ok=True)
    for name, (img, depth) in sorted(images.items()):
        with open(os.path.join(folder, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(img, depth, T.EXACT_COLOURS))
    if percent == 100:
        with open(os.path.join(outdir, "VelPanel.ico"), "wb") as f:
            f.write(ico_bytes(icons()))
        for look in skin.TRAY_LOOKS:
            with open(os.path.join(outdir, "Tray%s.ico" % look.capitalize()), "wb") as f:
                f.write(ico_bytes([skin.tray_icon(s, look) for s in skin.TRAY_SIZES]))


def decoded(outdir, name):
    """What the program will show: the written file read back."""
    return Image.open(os.path.join(outdir, "bitmaps", name + ".bmp")).convert("RGB")


def preview(outdir, path):
    """The main window as the program composes it: Control page with some
    meters lit, then the same window on the Info page, one above the other."""
    B = lambda n: decoded(outdir, n)  # noqa: E731
    windows = []
    for page_name in ("BAK_PAGE_CONTROL", "BAK_PAGE_INFO"):
        win = B("BAK").copy()
        d = ImageDraw.Draw(win)
        on_control = page_name == "BAK_PAGE_CONTROL"
        win.paste(B("BTN_CONTROLD" if on_control else "BTN_CONTROLU"), L.TAB_CONTROL[:2])
        win.paste(B("BTN_INFOU" if on_control else "BTN_INFOD"), L.TAB_INFO[:2])
        # The program's fonts are 12 pixels of cell height: about 10.5 pixels of em.
        arial = font("sans", 10)
        arial_bold = font("sans-bold", 10)
        for y, s in zip(L.STATUS_YS, ("Velmora #1", "Internal", "48000 Hz", "normal",
                                      "18 ch 24 bit", "8 ch 24 bit")):
            d.rectangle((L.STATUS_X, y, L.STATUS_X + 73, y + 13), fill=T.STATUS_PANEL)
            d.text((L.STATUS_X, y + 7), s, font=arial, fill=(123, 123, 123), anchor="lm")
        radios = list(zip(L.FORMAT_RADIOS, ("Consumer", "Professional"), (True, False))) + \
            list(zip(L.LEVEL_RADIOS, ("+ 4dBv(Balanced)", "-10dBv(Unbalanced)"), (False, True)))
        for (x0, y0, x1, y1), s, checked in radios:
            _radio(d, x0, (y0 + y1) // 2, s, checked, arial_bold, (47, 47, 47))
        page = B(page_name).copy()
        pd = ImageDraw.Draw(page)
        if on_control:
            _mixer(page, pd, B)
        else:
            for (x, y, w, h), s in zip(L.INFO_LINES, (T.MAKER, "Velmora, REV1.0", "1.2.7", "0001")):
                pd.rectangle((x, y, x + w - 1, y + h - 1), fill=T.INFO_PLATE)
                pd.text((x, y + 7), s, font=arial, fill=(63, 63, 63), anchor="lm")
        win.paste(page, L.PAGE_ORIGIN)
        windows.append(win)
    W, H = L.BAK_SIZE
    sheet = Image.new("RGB", (W, 2 * H + 8), (255, 255, 255))
    sheet.paste(windows[0], (0, 0))
    sheet.paste(windows[1], (0, H + 8))
    sheet.save(path)


def _radio(d, x, cy, label, checked, f, colour):
    d.ellipse((x + 1, cy - 6, x + 13, cy + 6), fill=(255, 255, 255), outline=(110, 110, 110))
    if checked:
        d.ellipse((x + 4, cy - 3, x + 10, cy + 3), fill=(20, 20, 20))
    d.text((x + 17, cy), label, font=f, fill=colour, anchor="lm")


def _mixer(page, pd, B):
    system = font("small", 10)
    for k, x in enumerate(L.SELECTOR_XS):
        _radio(pd, x, L.SELECTOR_Y + 8, "S/PDIF OUT", k == 0, system, (47, 47, 47))
    fore, back = B("PEAK_FORE"), B("PEAK_BACK")
    h = L.METER_SIZE[1]

    def meter(x, level):
        page.paste(back, (x, L.METER_Y))
        y = h - (level * h) // 127
        if y < h:
            page.paste(fore.crop((0, y, L.METER_SIZE[0], h)), (x, L.METER_Y + y))

    levels = (96, 104, 88, 112, 70, 64, 118, 121, 36, 54, 0, 0, 91, 99, 18, 28, 127, 124)
    for i, lv in enumerate(levels):
        meter(L.input_meter_x(i), lv)
    vols = (127, 127, 100, 100, 115, 96, 0, 64)
    outs = (109, 112, 80, 84, 99, 73, 0, 54)
    small = font("sans", 10)
    for k in range(4):
        for right in (False, True):
            i = 2 * k + int(right)
            meter(L.output_meter_x(k, right), outs[i])
            fx = L.fader_x(k, right)
            page.paste(B("FADER_BACK"), (fx, L.FADER_Y))
            top = 149 - (vols[i] * 149) // 127
            page.paste(B("FADER_KNOB_ON" if i == 2 else "FADER_KNOB_OFF"), (fx, L.FADER_Y + top))
            lx = L.db_label_x(k, right)
            label = Image.new("RGB", L.DB_LABEL_SIZE, T.CONTROL_PLATE)
            ImageDraw.Draw(label).text((0, 6), "%.1fdB" % ((vols[i] - 127) * 0.5), font=small,
                                       fill=(6, 6, 6), anchor="lm")
            page.paste(label, (lx, L.DB_LABEL_Y))
            page.paste(B("BTN_MUTE%s_%s" % ("RIGHT" if right else "LEFT", "ON" if i == 6 else "OFF")),
                       (L.mute_x(k, right), L.BUTTON_Y))
        page.paste(B("BTN_LINK_%s" % ("ON" if k in (1, 3) else "OFF")), (L.link_x(k), L.BUTTON_Y))
    page.paste(B("BTN_MON_ON"), L.MON_BUTTON)
    page.paste(B("BTN_MIX_OFF"), L.MIX_BUTTON)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.dirname(here))
    ap.add_argument("--preview")
    ap.add_argument("--scale", type=int, help="draw this scale's set only, in percent")
    args = ap.parse_args()
    missing = T.missing_fonts()
    if missing:
        sys.stderr.write("fonts missing: %s\n" % ", ".join(missing))
        return 77
    for percent in [args.scale] if args.scale else (100,) + CARRIED_SCALES:
        paint.set_scale(percent)
        write(args.out, build(), percent)
    paint.set_scale(100)
    if args.preview:
        preview(args.out, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
