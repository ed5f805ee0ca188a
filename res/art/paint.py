"""Small drawing helpers on top of PIL: brushed metal, gradients, anti-aliased
shapes (drawn 4x and reduced), engraved text. Everything is deterministic:
noise comes from a seeded generator, never from the clock."""

import random
from functools import lru_cache

from PIL import Image, ImageDraw, ImageFont

from theme import font_path

SS = 4  # supersampling factor of anti-aliased shapes

# The scale the artwork is drawn at (1.0 = 96 DPI). Every drawing function
# takes coordinates and sizes at 96 DPI and multiplies them; images are made
# at the program's scaled sizes (P). At 1.0 every step is the unscaled one,
# so that the 100 % images keep their bytes.
K = 1.0


def set_scale(percent):
    global K
    K = percent / 100.0


def P(v):
    """A length at 96 DPI in pixels at the scale, rounded as the program
    rounds: to the nearest, halves away from zero."""
    if K == 1.0:
        return v
    a = abs(v) * int(round(K * 96)) * 2 + 96
    r = int(a // 192)
    return -r if v < 0 else r


def dev(size):
    """An image size at 96 DPI made the size the program expects at the scale."""
    return tuple(P(v) for v in size)


def logical(size):
    """An image's size back in 96-DPI units (fractional at most scales)."""
    return tuple(v / K for v in size) if K != 1.0 else size


def k(v):
    """A coordinate at 96 DPI as a (fractional) coordinate at the scale."""
    return v if K == 1.0 else v * K


@lru_cache(maxsize=None)
def font(key, size):
    return ImageFont.truetype(font_path(key), size)


def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else int(round(v))


def mix(a, b, t):
    return tuple(clamp(x + (y - x) * t) for x, y in zip(a, b))


def scale(c, f):
    return tuple(clamp(x * f) for x in c)


def brushed(size, base, seed, grain):
    """Brushed metal: long horizontal streaks over a fine grain."""
    w, h = size
    rnd = random.Random(seed)
    cw = max(2, w // 14)
    streak = Image.frombytes("L", (cw, h), rnd.randbytes(cw * h)).resize(
        (w, h), Image.Resampling.BICUBIC)
    fine = Image.frombytes("L", (w, h), rnd.randbytes(w * h))
    noise = Image.blend(streak, fine, 0.22)
    chans = [noise.point(lambda v, b=b: clamp(b + (v - 128) * grain / 48.0)) for b in base]
    return Image.merge("RGB", chans)


def vgrad(size, stops):
    """Vertical gradient through (position 0..1, colour) stops."""
    w, h = size
    im = Image.new("RGB", size)
    d = ImageDraw.Draw(im)
    for y in range(h):
        t = (y + 0.5) / h
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                col = mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 0)
                break
        else:
            col = stops[-1][1] if t > stops[-1][0] else stops[0][1]
        d.line((0, y, w - 1, y), fill=col)
    return im


def hgrad(size, stops):
    w, h = size
    return vgrad((h, w), stops).transpose(Image.Transpose.ROTATE_270).transpose(
        Image.Transpose.FLIP_LEFT_RIGHT)


def rr_mask(size, box, radius, corners=(True, True, True, True)):
    """Anti-aliased mask of a rounded rectangle. box = (x0, y0, x1, y1) with
    x1, y1 exclusive; corners = (top-left, top-right, bottom-right, bottom-left)."""
    w, h = size
    m = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(m)
    x0, y0, x1, y1 = (v * SS for v in box) if K == 1.0 else (int(round(v * K * SS)) for v in box)
    r = int(radius * SS) if K == 1.0 else int(radius * K * SS)
    if r > 0:
        d.rounded_rectangle((x0, y0, x1 - 1, y1 - 1), radius=r, fill=255)
    else:
        d.rectangle((x0, y0, x1 - 1, y1 - 1), fill=255)
    tl, tr, br, bl = corners
    if not tl:
        d.rectangle((x0, y0, x0 + r, y0 + r), fill=255)
    if not tr:
        d.rectangle((x1 - 1 - r, y0, x1 - 1, y0 + r), fill=255)
    if not br:
        d.rectangle((x1 - 1 - r, y1 - 1 - r, x1 - 1, y1 - 1), fill=255)
    if not bl:
        d.rectangle((x0, y1 - 1 - r, x0 + r, y1 - 1), fill=255)
    return m.resize((w, h), Image.Resampling.BOX)


def ellipse_mask(size, box):
    w, h = size
    m = Image.new("L", (w * SS, h * SS), 0)
    x0, y0, x1, y1 = (k(v) for v in box)
    ImageDraw.Draw(m).ellipse((x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1), fill=255)
    return m.resize((w, h), Image.Resampling.BOX)


def poly_mask(size, points):
    w, h = size
    m = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(m).polygon([(k(x) * SS, k(y) * SS) for x, y in points], fill=255)
    return m.resize((w, h), Image.Resampling.BOX)


def line_mask(size, points, width):
    w, h = size
    m = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(m).line([(k(x) * SS, k(y) * SS) for x, y in points], fill=255,
                           width=int(k(width) * SS), joint="curve")
    return m.resize((w, h), Image.Resampling.BOX)


def fill(img, mask, paint):
    """Paint a colour or an image of the same size through a mask."""
    if isinstance(paint, tuple):
        paint = Image.new("RGB", img.size, paint)
    img.paste(paint, (0, 0), mask)


def rounded_panel(img, box, radius, face, edge=None, light=None, dark=None,
                  corners=(True, True, True, True)):
    """A panel with an optional rim: edge colour outside, face inside."""
    x0, y0, x1, y1 = box
    if edge is not None:
        fill(img, rr_mask(img.size, box, radius, corners), edge)
        box = (x0 + 1, y0 + 1, x1 - 1, y1 - 1)
        radius = max(0, radius - 1)
    if light is not None:
        fill(img, rr_mask(img.size, box, radius, corners), light)
    if dark is not None:
        bx = (box[0] + (1 if light is not None else 0), box[1] + (1 if light is not None else 0),
              box[2], box[3])
        fill(img, rr_mask(img.size, bx, radius, corners), dark)
    if light is not None or dark is not None:
        box = (box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1)
        radius = max(0, radius - 1)
    if isinstance(face, tuple):
        fill(img, rr_mask(img.size, box, radius, corners), face)
    else:
        layer = Image.new("RGB", img.size)
        layer.paste(face, (P(box[0]), P(box[1])))
        fill(img, rr_mask(img.size, box, radius, corners), layer)
    return box


def text(img, xy, s, key, size, colour, anchor="la", shadow=None, offset=(0, 1), spacing=0):
    d = ImageDraw.Draw(img)
    f = font(key, P(size))
    if K != 1.0:
        xy = (k(xy[0]), k(xy[1]))
        offset = (k(offset[0]), k(offset[1]))
        spacing = k(spacing)
    if spacing:
        # Letter-spaced text, laid out glyph by glyph from the anchor's left edge.
        total = sum(f.getlength(ch) for ch in s) + spacing * (len(s) - 1)
        x, y = xy
        if anchor[0] == "m":
            x -= total / 2
        elif anchor[0] == "r":
            x -= total
        a = "l" + anchor[1]
        for ch in s:
            if shadow is not None:
                d.text((x + offset[0], y + offset[1]), ch, font=f, fill=shadow, anchor=a)
            d.text((x, y), ch, font=f, fill=colour, anchor=a)
            x += f.getlength(ch) + spacing
        return
    if shadow is not None:
        d.text((xy[0] + offset[0], xy[1] + offset[1]), s, font=f, fill=shadow, anchor=anchor)
    d.text(xy, s, font=f, fill=colour, anchor=anchor)


def text_width(s, key, size):
    """The width in 96-DPI units, as drawn at the scale."""
    if K == 1.0:
        return font(key, size).getlength(s)
    return font(key, P(size)).getlength(s) / K


def rect(img, box, colour):
    """Fills the 96-DPI pixels x0..x1, y0..y1 (inclusive) at the scale."""
    x0, y0, x1, y1 = box
    if K == 1.0:
        ImageDraw.Draw(img).rectangle(box, fill=colour)
        return
    ImageDraw.Draw(img).rectangle((P(x0), P(y0), P(x1 + 1) - 1, P(y1 + 1) - 1), fill=colour)


def hline(img, x0, x1, y, colour):
    if K == 1.0:
        ImageDraw.Draw(img).line((x0, y, x1, y), fill=colour)
    else:
        rect(img, (int(x0), int(y), int(x1), int(y)), colour)


def vline(img, x, y0, y1, colour):
    if K == 1.0:
        ImageDraw.Draw(img).line((x, y0, x, y1), fill=colour)
    else:
        rect(img, (int(x), int(y0), int(x), int(y1)), colour)


def screw(img, cx, cy, r=4.0):
    """A countersunk cross-head screw."""
    fill(img, ellipse_mask(img.size, (cx - r - 1, cy - r, cx + r + 1, cy + r + 2)), (236, 238, 241))
    fill(img, ellipse_mask(img.size, (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)), (92, 95, 101))
    H = logical(img.size)[1]
    face = vgrad(img.size, [(0, (236, 238, 241)), ((cy - r) / H, (236, 238, 241)),
                            ((cy + r) / H, (138, 141, 147)), (1, (138, 141, 147))])
    fill(img, ellipse_mask(img.size, (cx - r, cy - r, cx + r, cy + r)), face)
    for a, b in (((cx - r * 0.6, cy), (cx + r * 0.6, cy)), ((cx, cy - r * 0.6), (cx, cy + r * 0.6))):
        fill(img, line_mask(img.size, [a, b], 1.1), (70, 73, 79))
