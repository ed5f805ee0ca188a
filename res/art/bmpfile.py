"""Writers for the resource image formats: palettised BMP (BITMAPINFOHEADER,
BI_RGB, bottom-up rows) and ICO with 32-bit images. PIL is used for drawing
only; the bytes on disk are written here so that depth and compression are
exactly what the program expects."""

import struct

from PIL import Image

BI_RGB = 0
PELS_PER_METRE = 3780  # 96 DPI


def quantise(img, depth, exact=()):
    """Turn an RGB image into (indices bytes, palette list) for a palettised
    bitmap of the given depth (4 or 8 bits). Colours listed in `exact` that
    occur in the image keep their exact value: controls that paint a flat
    background of that colour must meet the bitmap without a seam."""
    img = img.convert("RGB")
    limit = 1 << depth
    w, h = img.size
    counts = img.getcolors(maxcolors=w * h + 1)
    if len(counts) <= limit:
        # Few enough colours: use them as they are, most frequent first.
        counts.sort(key=lambda c: (-c[0], c[1]))
        palette = [c[1] for c in counts]
        lookup = {col: i for i, col in enumerate(palette)}
        data = bytes(lookup[p] for p in img.getdata())
        return data, palette

    present = {c[1] for c in counts}
    reserved = [c for c in exact if c in present]
    q = img.quantize(colors=limit - len(reserved), method=Image.Quantize.MEDIANCUT,
                     dither=Image.Dither.NONE)
    qpal = q.getpalette()[:3 * (limit - len(reserved))]
    palette = list(reserved) + [tuple(qpal[i:i + 3]) for i in range(0, len(qpal), 3)]
    palette = palette[:limit]
    shift = len(reserved)
    index = Image.frombytes("L", img.size, q.tobytes()).point(lambda i: min(i + shift, limit - 1))
    r, g, b = img.split()
    for i, col in enumerate(reserved):
        mask_r = r.point(lambda v, c=col[0]: 255 if v == c else 0)
        mask_g = g.point(lambda v, c=col[1]: 255 if v == c else 0)
        mask_b = b.point(lambda v, c=col[2]: 255 if v == c else 0)
        mask = Image.composite(mask_r, Image.new("L", img.size, 0), mask_g)
        mask = Image.composite(mask, Image.new("L", img.size, 0), mask_b)
        index.paste(i, mask=mask)
    return index.tobytes(), palette


def bmp_bytes(img, depth, exact=()):
    """Encode an RGB image as an uncompressed palettised BMP file."""
    if depth not in (4, 8):
        raise ValueError("depth must be 4 or 8")
    w, h = img.size
    data, palette = quantise(img, depth, exact)
    ncolours = 1 << depth
    palette = list(palette) + [(0, 0, 0)] * (ncolours - len(palette))
    stride = ((w * depth + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = data[y * w:(y + 1) * w]
        if depth == 8:
            packed = bytes(row)
        else:
            padded = bytes(row) + (b"\0" if w % 2 else b"")
            packed = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
        rows.append(packed + b"\0" * (stride - len(packed)))
    pixels = b"".join(rows)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, depth, BI_RGB, len(pixels),
                       PELS_PER_METRE, PELS_PER_METRE, ncolours, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + pal + pixels


def ico_bytes(images):
    """Encode RGBA images (square, up to 255 pixels) as one ICO file with
    32-bit BGRA images and their 1-bit AND masks."""
    entries = []
    blobs = []
    for img in images:
        img = img.convert("RGBA")
        w, h = img.size
        px = img.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, BI_RGB,
                           len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(mask))
        entries.append((w, h))
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for (w, h), blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)
