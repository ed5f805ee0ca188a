"""The VelPanel skin: one function per bitmap, each returning an RGB image of
the exact size the program expects."""

import math

from PIL import Image, ImageChops, ImageDraw

import layout as L
import theme as T
import paint
from paint import (P, brushed, dev, ellipse_mask, fill, hline, line_mask, logical, mix, rect,
                   rounded_panel, rr_mask, scale, screw, text, text_width, vgrad, vline)


# --------------------------------------------------------------------------
# Pieces shared by several bitmaps

def draw_unit(img, box):
    """A stylised Velmora unit seen from the front: a dark 1U box with the
    wordmark, a meter window, a headphone socket and two knobs."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    H = logical(img.size)[1]
    r = h * 0.14
    fill(img, rr_mask(img.size, (x0 + 1, y0 + 2, x1 + 1, y1 + 2), r), (100, 103, 108))
    fill(img, rr_mask(img.size, box, r), (16, 17, 20))
    body = vgrad(img.size, [(0, (96, 100, 108)), (y0 / H, (96, 100, 108)),
                            ((y0 + h * 0.5) / H, (52, 55, 61)), (y1 / H, (30, 32, 36)), (1, (30, 32, 36))])
    fill(img, rr_mask(img.size, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), r - 1), body)
    hline(img, int(x0 + r), int(x1 - r), y0 + 1, (150, 155, 164))
    # rack ears with their holes
    ear = max(4, int(round(w * 0.04)))
    for ex in (x0 + 1, x1 - 1 - ear):
        fill(img, rr_mask(img.size, (ex, y0 + 1, ex + ear, y1 - 1), 1), (64, 67, 73))
        for fy in (y0 + h * 0.25, y1 - h * 0.25):
            hr = max(0.9, ear * 0.2)
            fill(img, ellipse_mask(img.size, (ex + ear / 2 - hr, fy - hr, ex + ear / 2 + hr, fy + hr)),
                 (10, 10, 12))
    ix0, ix1 = x0 + ear + 1, x1 - ear - 1
    iw = ix1 - ix0
    # wordmark and maker
    size = max(8, int(h * 0.30))
    tx = ix0 + iw * 0.035
    text(img, (tx, y0 + h * 0.50), T.PRODUCT, "sans-bold-italic", size, (232, 236, 242), anchor="ls")
    text(img, (tx + 1, y0 + h * 0.50 + max(7, h * 0.24)), T.MAKER.upper(), "small",
         max(6, int(h * 0.17)), T.ACCENT_LIGHT, anchor="ls")
    # meter window: 18 input and 8 output bars behind dark glass
    mx0 = max(ix0 + iw * 0.33, tx + text_width(T.PRODUCT, "sans-bold-italic", size) + iw * 0.03)
    mx1 = ix0 + iw * 0.62
    my0, my1 = y0 + h * 0.24, y1 - h * 0.24
    fill(img, rr_mask(img.size, (mx0, my0, mx1, my1), max(1, h * 0.04)), (4, 5, 6))
    bars = 18 + 8
    pitch = (mx1 - mx0 - 4) / (bars + 1.5)
    heights = (0.8, 0.7, 0.9, 0.6, 0.75, 0.5, 0.85, 0.65, 0.3, 0.45, 0.2, 0.2,
               0.7, 0.75, 0.35, 0.4, 0.95, 0.9, 0.85, 0.8, 0.6, 0.55, 0.7, 0.6, 0.2, 0.5)
    for i in range(bars):
        bx = mx0 + 2 + pitch * (i + (1.5 if i >= 18 else 0))
        bw = max(0.8, pitch * 0.6)
        top = my1 - 2 - (my1 - my0 - 4) * heights[i]
        grad = vgrad(img.size, [(0, T.LED_RED), ((my0 + 2) / H, T.LED_RED),
                                ((my0 + (my1 - my0) * 0.35) / H, T.LED_YELLOW),
                                ((my0 + (my1 - my0) * 0.55) / H, T.LED_GREEN), (1, T.LED_GREEN)])
        fill(img, rr_mask(img.size, (bx, my0 + 2, bx + bw, my1 - 2), 0), (22, 34, 24))
        fill(img, rr_mask(img.size, (bx, top, bx + bw, my1 - 2), 0), grad)
    # headphone socket and two knobs
    kr = min(h * 0.25, iw * 0.06)
    ky = y0 + h * 0.5
    jx = ix0 + iw * 0.69
    for rr, col in ((kr * 0.55, (170, 175, 182)), (kr * 0.42, (60, 62, 66)), (kr * 0.28, (6, 6, 7))):
        fill(img, ellipse_mask(img.size, (jx - rr, ky - rr, jx + rr, ky + rr)), col)
    for i, kx in enumerate((ix1 - iw * 0.03 - kr * 3.3, ix1 - iw * 0.03 - kr)):
        fill(img, ellipse_mask(img.size, (kx - kr - 1, ky - kr - 0.5, kx + kr + 1, ky + kr + 1.5)), (8, 8, 10))
        knob = vgrad(img.size, [(0, (214, 218, 224)), ((ky - kr) / H, (214, 218, 224)),
                                ((ky + kr) / H, (92, 96, 104)), (1, (92, 96, 104))])
        fill(img, ellipse_mask(img.size, (kx - kr, ky - kr, kx + kr, ky + kr)), knob)
        fill(img, ellipse_mask(img.size, (kx - kr * 0.7, ky - kr * 0.7, kx + kr * 0.7, ky + kr * 0.7)),
             (168, 172, 179))
        ang = (-0.8, 0.5)[i]
        ex, ey = kx + math.sin(ang) * kr * 0.8, ky - math.cos(ang) * kr * 0.8
        fill(img, line_mask(img.size, [(kx + math.sin(ang) * kr * 0.25, ky - math.cos(ang) * kr * 0.25),
                                       (ex, ey)], max(1.0, kr * 0.18)), T.ACCENT)


def maker_mark(img, x, cy, size, colour, ring):
    """The Qor mark: a ring with a tail, then the name."""
    r = size / 2
    outer = ellipse_mask(img.size, (x, cy - r, x + size, cy + r))
    inner = ellipse_mask(img.size, (x + size * 0.2, cy - r * 0.6, x + size * 0.8, cy + r * 0.6))
    fill(img, ImageChops.subtract(outer, inner), ring)
    fill(img, line_mask(img.size, [(x + size * 0.58, cy + r * 0.25), (x + size * 0.98, cy + r * 0.95)],
                        size * 0.16), ring)
    text(img, (x + size + size * 0.3, cy), T.MAKER, "sans-bold", int(size * 1.05), colour, anchor="lm")


def meter_well(img, x, y, w, h):
    """The dark recess a meter stands in (one pixel around it)."""
    rect(img, (x - 1, y - 1, x + w, y + h), (26, 27, 30))
    hline(img, x - 1, x + w, y + h + 1, (252, 252, 252))


# --------------------------------------------------------------------------
# Main window

def bak():
    W, H = L.BAK_SIZE
    img = brushed(dev((W, H)), T.METAL, seed=11, grain=T.METAL_GRAIN)
    img = Image.blend(img, vgrad(dev((W, H)), [(0, (255, 255, 255)), (0.5, T.METAL), (1, (40, 42, 46))]), 0.10)
    # outer bevel
    if paint.K == 1.0:
        ImageDraw.Draw(img).rectangle((0, 0, W - 1, H - 1), outline=T.BEVEL_DARK)
    else:
        for edge in ((0, 0, W - 1, 0), (0, H - 1, W - 1, H - 1), (0, 0, 0, H - 1), (W - 1, 0, W - 1, H - 1)):
            rect(img, edge, T.BEVEL_DARK)
    hline(img, 1, W - 2, 1, T.BEVEL_LIGHT)
    vline(img, 1, 1, H - 2, T.BEVEL_LIGHT)
    for cx, cy in ((9, 9), (W - 10, 9), (9, H - 10), (W - 10, H - 10)):
        screw(img, cx, cy)

    # page well with the tab rail above it
    px, py = L.PAGE_ORIGIN
    pw, ph = L.PAGE_SIZE
    rail = (px - 3, 41, px + pw + 3, py - 1)
    rounded_panel(img, (px - 5, 40, px + pw + 5, py + ph + 5), 5, T.WELL, edge=(88, 91, 97))
    fill(img, rr_mask(img.size, rail, 2, (False, False, True, True)),
         vgrad(img.size, [(0, T.ACCENT), (41 / H, T.ACCENT_LIGHT), ((py - 1) / H, T.ACCENT), (1, T.ACCENT)]))
    hline(img, px - 4, px + pw + 4, py + ph + 5, T.BEVEL_LIGHT)
    rect(img, (px, py, px + pw - 1, py + ph - 1), (48, 50, 54))

    # product artwork along the top: wordmark, tagline, unit, maker mark
    text(img, (px + pw, 37), T.PRODUCT, "sans-bold-italic", 34, (46, 50, 58), anchor="rs",
         shadow=T.ENGRAVE_LIGHT)
    tw = text_width(T.PRODUCT, "sans-bold-italic", 34)
    text(img, (px + pw - tw - 12, 36), T.TAGLINE, "small", 8, T.ENGRAVE, anchor="rs",
         shadow=T.ENGRAVE_LIGHT, spacing=1)
    text(img, (px + pw - tw - 12, 25), "CONTROL PANEL", "small", 8, T.ACCENT, anchor="rs", spacing=1)
    draw_unit(img, (706, 12, 872, 52))
    maker_mark(img, 706, 70, 12, (40, 44, 50), T.ACCENT)
    text(img, (878, 70), "18 IN  /  8 OUT", "small", 8, T.ENGRAVE, anchor="rm", shadow=T.ENGRAVE_LIGHT)

    # status panel: labels left of the six status texts
    rounded_panel(img, (700, 86, 879, 223), 5, T.STATUS_PANEL, edge=T.PANEL_EDGE)
    hline(img, 702, 876, 87, (200, 200, 200))
    sh = L.STATUS_SIZE[1]
    for label, y in zip(T.STATUS_LABELS, L.STATUS_YS):
        text(img, (710, y + sh // 2), label, "sans-bold", 11, T.LABEL, anchor="lm")
    for y in (115, 153, 178):
        hline(img, 708, 870, y, (196, 196, 196))
        hline(img, 708, 870, y + 1, (242, 242, 242))

    # digital format and output level panel behind the radio buttons
    rounded_panel(img, (700, 226, 879, 336), 5, T.STATUS_PANEL, edge=T.PANEL_EDGE)
    hline(img, 702, 876, 227, (200, 200, 200))
    for title, y in (("Digital Format", 238), ("Output Level", 287)):
        fill(img, rr_mask(img.size, (708, y - 7, 713, y - 2), 1), T.ACCENT)
        text(img, (717, y), title, "sans-bold", 10, T.LABEL, anchor="ls")
        tx = 717 + int(text_width(title, "sans-bold", 10)) + 5
        hline(img, tx, 870, y - 4, (196, 196, 196))
        hline(img, tx, 870, y - 3, (242, 242, 242))

    # footer
    text(img, (px, 356), "%s  %s" % (T.MAKER, T.PRODUCT), "sans-bold", 11, T.ENGRAVE, anchor="lm",
         shadow=T.ENGRAVE_LIGHT)
    text(img, (px + 84, 356), "18-in / 8-out USB audio interface  \u00b7  24 bit  \u00b7  up to 96 kHz",
         "small-regular", 9, T.ENGRAVE, anchor="lm", shadow=T.ENGRAVE_LIGHT)
    return img


def tab(base, label, selected, width, focus=False, disabled=False):
    """A folder tab: rounded top corners, sitting on the accent rail."""
    w, h = logical(base.size)
    img = base.copy()
    box = (0, 0, width - 1, h)
    if selected:
        edge = (22, 70, 140)
        face = vgrad(img.size, [(0, (120, 178, 246)), (0.5, T.ACCENT_LIGHT), (1, T.ACCENT)])
        ink, shadow = (255, 255, 255), (20, 60, 120)
    else:
        edge = (118, 121, 127)
        face = vgrad(img.size, [(0, (246, 247, 249)), (1, (196, 199, 204))])
        ink, shadow = T.LABEL, (250, 250, 250)
    fill(img, rr_mask(img.size, box, 5, (True, True, False, False)), edge)
    fill(img, rr_mask(img.size, (1, 1, width - 2, h), 4, (True, True, False, False)), face)
    if selected:
        hline(img, 3, width - 5, 1, (170, 210, 255))
    if disabled:
        ink, shadow = (150, 153, 158), (250, 250, 250)
    if focus:
        for x in range(4, width - 5, 2):
            rect(img, (x, 3, x, 3), (255, 255, 255))
            rect(img, (x, int(h) - 3, x, int(h) - 3), (255, 255, 255))
    text(img, ((width - 1) / 2, h / 2 + 1), label, "sans-bold", 11, ink, anchor="mm",
         shadow=shadow, offset=(0, 1) if not selected else (0, -1))
    return img


# --------------------------------------------------------------------------
# Control page

def control_page():
    W, H = L.PAGE_SIZE
    img = brushed(dev((W, H)), T.PAGE_METAL, seed=23, grain=T.METAL_GRAIN)
    img = Image.blend(img, vgrad(dev((W, H)), [(0, (255, 255, 255)), (1, (60, 62, 66))]), 0.08)
    hline(img, 0, W - 1, 0, (70, 72, 76))
    vline(img, 0, 0, H - 1, (70, 72, 76))

    # plates
    plate_in = (7, 27, 307, 258)
    plate_out = (313, 27, 661, 258)
    for box in (plate_in, plate_out):
        rounded_panel(img, box, 5, T.CONTROL_PLATE, edge=T.PANEL_EDGE)
        hline(img, box[0] + 4, box[2] - 5, box[3], (246, 247, 249))

    # section titles on the metal
    text(img, (plate_in[0] + 4, 15), "INPUTS", "sans-bold", 12, T.ENGRAVE, anchor="lm",
         shadow=T.ENGRAVE_LIGHT)
    text(img, (plate_in[2] - 4, 15), "PEAK LEVEL", "small", 8, T.LABEL_SOFT, anchor="rm",
         shadow=T.ENGRAVE_LIGHT, spacing=1)
    for k in range(4):
        cx = (L.output_meter_x(k, False) + L.output_meter_x(k, True) + L.METER_SIZE[0]) / 2
        text(img, (cx, 15), "OUT %d-%d" % (2 * k + 1, 2 * k + 2), "sans-bold", 12, T.ENGRAVE,
             anchor="mm", shadow=T.ENGRAVE_LIGHT)

    # input groups: headings, brackets, meters and channel numbers
    groups = (("ANALOG 1-8", 0, 8), ("ANALOG 9-16", 8, 16), ("S/PDIF", 16, 18))
    for title, a, b in groups:
        gx0 = L.input_meter_x(a) - 4
        gx1 = L.input_meter_x(b - 1) + L.METER_SIZE[0] + 4
        if b - a == 2:
            gx0 -= 4
            gx1 += 4
        cx = (gx0 + gx1) / 2
        text(img, (cx, 42), title, "small", 8, T.LABEL, anchor="mm")
        hline(img, gx0, gx1, 51, (168, 171, 176))
        vline(img, gx0, 51, 54, (168, 171, 176))
        vline(img, gx1, 51, 54, (168, 171, 176))
    for i in range(18):
        x = L.input_meter_x(i)
        meter_well(img, x, L.METER_Y, *L.METER_SIZE)
        text(img, (x + 3.5, 228), str(i + 1), "small", 8, T.LABEL, anchor="mm")

    # output columns: selectors' strip, numbers, meters, dB scales
    for k in range(4):
        for right in (False, True):
            n = 2 * k + (2 if right else 1)
            mx = L.output_meter_x(k, right)
            meter_well(img, mx, L.METER_Y, *L.METER_SIZE)
            text(img, (mx + 3.5, 58), str(n), "small", 8, T.LABEL, anchor="mm")
    scale_xs = [L.output_meter_x(0, False) - 14] + \
               [L.output_meter_x(k, True) + 18 for k in range(3)] + [L.output_meter_x(3, True) + 13]
    for i, sx in enumerate(scale_xs):
        for db in list(range(0, -60, -6)) + [-63.5]:
            y = L.FADER_Y + L.knob_centre_y(int(127 + 2 * db))
            label = "0" if db == 0 else "%d" % db if db == int(db) else "-63"
            text(img, (sx, y), label, "small-regular", 8, T.LABEL_SOFT, anchor="mm")
    text(img, (scale_xs[0], L.FADER_Y - 5), "dB", "small", 8, T.LABEL_SOFT, anchor="mm")
    hline(img, plate_out[0] + 6, plate_out[2] - 7, 52, (214, 215, 217))

    # switch captions on the metal
    sy = L.MON_BUTTON[1] + L.SWITCH_SIZE[1] // 2 + 1
    text(img, (L.MON_BUTTON[0] - 6, sy), "DIGITAL MONITOR", "small", 8, T.ENGRAVE, anchor="rm",
         shadow=T.ENGRAVE_LIGHT)
    text(img, (L.MIX_BUTTON[0] - 6, sy), "MIX OUT", "small", 8, T.ENGRAVE, anchor="rm",
         shadow=T.ENGRAVE_LIGHT)
    return img


def peak(lit):
    """LED segment bar: 50 segments of 2 rows over a dark gap row; lit rows run
    green, then yellow from 70 %, red from 88 % (top)."""
    w, h = L.METER_SIZE
    W, H = dev((w, h))
    img = Image.new("RGB", (W, H), T.METER_GAP)
    px = img.load()
    # Each pixel at the scale shows the 96-DPI pixel it lies in: the segments
    # and their gaps stay whole rows.
    for Y in range(H):
        y = Y * h // H
        if y % 3 == 2:
            continue
        frac = (h - 1 - y) / (h - 1)
        col = T.LED_RED if frac >= 0.88 else T.LED_YELLOW if frac >= 0.70 else T.LED_GREEN
        if not lit:
            col = mix(T.METER_GAP, col, 0.22)
        for X in range(W):
            x = X * w // W
            edge = x in (0, w - 1)
            hi = x == 2 and y % 3 == 0
            c = scale(col, 0.62) if edge else col
            if hi:
                c = mix(c, (255, 255, 255), 0.35 if lit else 0.1)
            px[X, Y] = c
    return img


def fader_back():
    w, h = L.FADER_SIZE
    img = Image.new("RGB", dev((w, h)), T.CONTROL_PLATE)
    d = ImageDraw.Draw(img)
    kh = L.KNOB_SIZE[1]
    top, bottom = kh // 2 - 3, h - kh // 2 + 2
    # ticks at every 6 dB, longer at 0, -12, -24 ... and at the bottom
    for db in list(range(0, -60, -6)) + [-63.5]:
        y = L.knob_centre_y(int(127 + 2 * db))
        major = db % 12 == 0 or db == -63.5
        n = 3 if major else 2
        col = (112, 115, 120) if major else (170, 172, 176)
        hline(img, 1, n, y, col)
        hline(img, w - 1 - n, w - 2, y, col)
    # slot
    if paint.K == 1.0:
        d.rounded_rectangle((6, top, 10, bottom), radius=2, fill=(120, 123, 128))
        d.rounded_rectangle((7, top + 1, 9, bottom - 1), radius=1, fill=(18, 19, 21))
    else:
        fill(img, rr_mask(img.size, (6, top, 11, bottom + 1), 2), (120, 123, 128))
        fill(img, rr_mask(img.size, (7, top + 1, 10, bottom), 1), (18, 19, 21))
    vline(img, 10, top + 2, bottom - 2, (250, 250, 250))
    return img


def fader_knob(lit):
    w, h = L.KNOB_SIZE
    img = Image.new("RGB", dev((w, h)), T.CONTROL_PLATE)
    fill(img, rr_mask(img.size, (0, 0, w, h), 2.5), (40, 42, 46))
    face = vgrad(img.size, [(0, (250, 251, 252)), (0.45, (198, 202, 208)), (0.5, (170, 174, 180)),
                            (1, (120, 124, 131))])
    fill(img, rr_mask(img.size, (1, 1, w - 1, h - 1), 1.5), face)
    # grip ridges
    for y in (3, 10):
        hline(img, 3, w - 4, y, (150, 154, 160))
        hline(img, 3, w - 4, y + 1, (238, 240, 242))
    line = (255, 150, 20) if lit else (30, 31, 34)
    hline(img, 1, w - 2, 6, line)
    hline(img, 1, w - 2, 7, scale(line, 0.8) if lit else (70, 72, 76))
    if lit:
        hline(img, 1, w - 2, 5, mix(face.getpixel((P(8), P(5))), line, 0.35))
        hline(img, 1, w - 2, 8, mix(face.getpixel((P(8), P(8))), line, 0.35))
    return img


def switch_button(base, label, lit, colour, corners=(True, True, True, True), glyph=None,
                  size=11, key="sans-bold"):
    """A small hardware push button: grey when off, lit in `colour` when on."""
    w, h = logical(base.size)
    img = base.copy()
    fill(img, rr_mask(img.size, (0, 0, w, h), 3, corners), (84, 87, 93))
    if lit:
        face = vgrad(img.size, [(0, mix(colour, (255, 255, 255), 0.45)), (0.5, colour),
                                (1, scale(colour, 0.78))])
        ink, shadow = ((255, 255, 255), scale(colour, 0.5))
        if sum(colour) > 450:
            ink, shadow = ((60, 34, 0), mix(colour, (255, 255, 255), 0.5))
    else:
        face = vgrad(img.size, [(0, (250, 250, 251)), (1, (194, 197, 202))])
        ink, shadow = ((78, 81, 87), (255, 255, 255))
    fill(img, rr_mask(img.size, (1, 1, w - 1, h - 1), 2, corners), face)
    if glyph is not None:
        glyph(img, ink, shadow)
    else:
        text(img, (w / 2, h / 2 + 0.5), label, key, size, ink, anchor="mm", shadow=shadow)
    return img


def link_glyph(img, ink, shadow):
    """Two interlocked chain links."""
    w, h = logical(img.size)
    cy = h / 2
    for dy, col in ((1, shadow), (0, ink)):
        for cx in (w / 2 - 3.2, w / 2 + 3.2):
            outer = rr_mask(img.size, (cx - 4.6, cy - 2.8 + dy, cx + 4.6, cy + 2.8 + dy), 2.8)
            inner = rr_mask(img.size, (cx - 3.2, cy - 1.5 + dy, cx + 3.2, cy + 1.5 + dy), 1.5)
            fill(img, ImageChops.subtract(outer, inner), col)


# --------------------------------------------------------------------------
# Info page

def info_page():
    W, H = L.PAGE_SIZE
    img = brushed(dev((W, H)), T.PAGE_METAL, seed=37, grain=T.METAL_GRAIN)
    img = Image.blend(img, vgrad(dev((W, H)), [(0, (255, 255, 255)), (1, (60, 62, 66))]), 0.08)
    hline(img, 0, W - 1, 0, (70, 72, 76))
    vline(img, 0, 0, H - 1, (70, 72, 76))
    plate = (14, 24, 648, 268)
    rounded_panel(img, plate, 6, T.INFO_PLATE, edge=T.PANEL_EDGE)
    text(img, (plate[0] + 4, 12), "DEVICE INFORMATION", "sans-bold", 12, T.ENGRAVE, anchor="lm",
         shadow=T.ENGRAVE_LIGHT)
    x0, y0, x1, y1 = L.INFO_TEXT_AREA
    for label, (lx, ly, lw, lh) in zip(("Maker", "Product", "Firmware", "Serial"), L.INFO_LINES):
        text(img, (lx - 10, ly + lh // 2), label, "sans-bold", 11, T.LABEL_SOFT, anchor="rm")
    hline(img, 40, 300, y1 + 8, (210, 210, 210))
    hline(img, 40, 300, y1 + 9, (250, 250, 250))
    specs = ("18 inputs: 16 analog, 2 S/PDIF", "8 outputs in 4 stereo pairs",
             "24 bit, 44.1 / 48 / 88.2 / 96 kHz", "USB connection, bus clock or internal clock")
    for i, s in enumerate(specs):
        fill(img, ellipse_mask(img.size, (44, y1 + 21 + 16 * i, 48, y1 + 25 + 16 * i)), T.ACCENT)
        text(img, (55, y1 + 23 + 16 * i), s, "sans", 11, T.LABEL, anchor="lm")
    # product picture
    draw_unit(img, (330, 70, 630, 132))
    text(img, (480, 162), T.PRODUCT, "sans-bold-italic", 30, (46, 50, 58), anchor="mm")
    text(img, (480, 186), T.TAGLINE, "small", 9, T.LABEL_SOFT, anchor="mm", spacing=2)
    maker_mark(img, 456, 228, 14, (46, 50, 58), T.ACCENT)
    return img


# --------------------------------------------------------------------------
# Icon

def icon(size):
    S = size
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    rgb = Image.new("RGB", (S, S), (0, 0, 0))
    m = rr_mask((S, S), (0.5, 0.5, S - 0.5, S - 0.5), S * 0.2)
    face = vgrad((S, S), [(0, (92, 160, 240)), (1, (22, 70, 150))])
    fill(rgb, m, (14, 40, 90))
    inner = rr_mask((S, S), (1.5, 1.5, S - 1.5, S - 1.5), S * 0.18)
    fill(rgb, inner, face)
    if S <= 16:
        # Drawn on the pixel grid: at this size smoothing only blurs.
        d = ImageDraw.Draw(rgb)
        for x, ky in ((4, 5), (8, 9), (12, 7)):
            d.line((x, 3, x, 12), fill=(10, 26, 60))
            d.rectangle((x - 2, ky - 1, x + 2, ky), fill=(244, 246, 250))
            d.line((x - 2, ky, x + 2, ky), fill=(255, 150, 20))
    else:
        # three fader slots with knobs at different heights
        for i, pos in enumerate((0.35, 0.62, 0.48)):
            cx = S * (0.28 + 0.22 * i)
            fill(rgb, rr_mask((S, S), (cx - S * 0.03, S * 0.18, cx + S * 0.03, S * 0.82), S * 0.03),
                 (10, 26, 60))
            ky = S * (0.2 + 0.6 * pos)
            fill(rgb, rr_mask((S, S), (cx - S * 0.11, ky - S * 0.06, cx + S * 0.11, ky + S * 0.06),
                              S * 0.03), (240, 243, 247))
            fill(rgb, rr_mask((S, S), (cx - S * 0.11, ky - S * 0.012, cx + S * 0.11, ky + S * 0.012), 0),
                 (255, 150, 20))
    img.paste(rgb, (0, 0))
    img.putalpha(m)
    return img


# --------------------------------------------------------------------------
# Notification area icons: the three faders alone, without the plate, in the
# taskbar's ink: light on a dark taskbar, dark on a light one, and for high
# contrast white with a black rim, readable on any contrast theme.

TRAY_SIZES = (16, 20, 24, 32, 40, 48)  # 100 % to 300 % of the small icon
TRAY_LOOKS = {
    "dark": ((236, 240, 246), (255, 150, 20), None),
    "light": ((28, 32, 40), (214, 110, 0), None),
    "contrast": ((255, 255, 255), (255, 255, 255), (0, 0, 0)),
}


def tray_icon(size, look):
    ink, accent, rim = TRAY_LOOKS[look]
    S = size
    rgb = Image.new("RGB", (S, S), ink)
    alpha = Image.new("L", (S, S), 0)
    u = S / 16.0  # the 16-pixel design, scaled
    shapes = []
    for x, ky in ((4, 5), (8, 9), (12, 7)):
        shapes.append(((x - 0.5) * u, 2 * u, (x + 1.5) * u, 14 * u, 0.5 * u))          # slot
        shapes.append(((x - 2) * u, (ky - 1.5) * u, (x + 3) * u, (ky + 1.5) * u, 0.8 * u))  # knob
    if rim is not None:
        for x0, y0, x1, y1, r in shapes:
            grow = max(1.0, u)
            mask = _mask_px(S, (x0 - grow, y0 - grow, x1 + grow, y1 + grow), r + grow)
            rgb.paste(rim, (0, 0), mask)
            alpha = ImageChops.lighter(alpha, mask)
    for x0, y0, x1, y1, r in shapes:
        mask = _mask_px(S, (x0, y0, x1, y1), r)
        rgb.paste(ink, (0, 0), mask)
        alpha = ImageChops.lighter(alpha, mask)
    # the knobs' centre lines in the accent
    for x, ky in ((4, 5), (8, 9), (12, 7)):
        rgb.paste(accent if rim is None else rim, (0, 0),
                  _mask_px(S, ((x - 2) * u, (ky - 0.5) * u, (x + 3) * u, (ky + 0.5) * u), 0))
    img = rgb.convert("RGBA")
    img.putalpha(alpha)
    return img


def _mask_px(S, box, r):
    """Anti-aliased rounded rectangle in the icon's own pixels (icons do not
    follow the skin's scale: each size is drawn for itself)."""
    scale_before = paint.K
    paint.K = 1.0
    try:
        return rr_mask((S, S), box, r)
    finally:
        paint.K = scale_before
