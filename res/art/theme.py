"""Colours, fonts and texts of the VelPanel skin. A designer changes the look
here; scripts/make-artwork.sh then regenerates every bitmap."""

import os

FONT_DIRS = ("/usr/share/fonts/truetype/liberation", "/usr/share/fonts/truetype/dejavu")

# Font files (Debian packages fonts-liberation and fonts-dejavu-core).
FONTS = {
    "sans": "LiberationSans-Regular.ttf",
    "sans-bold": "LiberationSans-Bold.ttf",
    "sans-bold-italic": "LiberationSans-BoldItalic.ttf",
    "narrow-bold": "LiberationSansNarrow-Bold.ttf",
    "small": "DejaVuSansCondensed-Bold.ttf",
    "small-regular": "DejaVuSansCondensed.ttf",
}


def font_path(key):
    name = FONTS[key]
    for d in FONT_DIRS:
        p = os.path.join(d, name)
        if os.path.exists(p):
            return p
    raise FileNotFoundError(name)


def missing_fonts():
    out = []
    for key in FONTS:
        try:
            font_path(key)
        except FileNotFoundError as e:
            out.append(str(e))
    return out


# Colours the program's own controls paint; the bitmaps must carry exactly
# these under and around them.
STATUS_PANEL = (221, 221, 221)   # main window status texts and radio buttons
CONTROL_PLATE = (235, 235, 235)  # Control page dB labels and S/PDIF selectors
INFO_PLATE = (236, 236, 236)     # Info page text lines
EXACT_COLOURS = (STATUS_PANEL, CONTROL_PLATE, INFO_PLATE)

# Frame and panels
METAL = (176, 179, 184)          # brushed frame of the main window
PAGE_METAL = (186, 189, 194)     # brushed margin of the pages
METAL_GRAIN = 9                  # strength of the brushed streaks
BEVEL_LIGHT = (236, 238, 241)
BEVEL_DARK = (104, 107, 113)
PANEL_EDGE = (150, 153, 159)
WELL = (58, 61, 66)              # recessed page area under the pages
ENGRAVE = (72, 75, 80)           # engraved text on metal
ENGRAVE_LIGHT = (214, 216, 220)  # its highlight
LABEL = (66, 68, 72)             # text on the light panels
LABEL_SOFT = (112, 115, 120)

# Accents
ACCENT = (38, 108, 196)          # selected tab, brand blue
ACCENT_LIGHT = (96, 160, 236)
AMBER = (255, 164, 32)           # MON / MIX lit
RED = (222, 44, 38)              # mute lit
LINK_BLUE = (58, 146, 240)       # link lit

# Meters
METER_GAP = (18, 19, 21)
LED_GREEN = (64, 230, 72)
LED_YELLOW = (246, 222, 40)
LED_RED = (250, 48, 36)

# Texts
PRODUCT = "Velmora"
MAKER = "Qor"
TAGLINE = "USB AUDIO INTERFACE"
STATUS_LABELS = ("Device", "Clock Source", "Sample Rate", "Latency", "Input", "Output")
