"""Where the program puts its controls (client pixels), so that the artwork
lines up with them. These are fixed by the program, not by the designer."""

# Main window (BAK, 892 x 372)
BAK_SIZE = (892, 372)
PAGE_ORIGIN = (24, 53)
PAGE_SIZE = (662, 282)
TAB_CONTROL = (25, 22, 120, 41)
TAB_INFO = (120, 22, 215, 41)
STATUS_X = 790
STATUS_YS = (96, 120, 135, 158, 183, 202)
STATUS_SIZE = (74, 14)
FORMAT_RADIOS = ((716, 244, 796, 260), (716, 260, 796, 276))
LEVEL_RADIOS = ((716, 291, 836, 307), (716, 307, 836, 323))

# Control page (BAK_PAGE_CONTROL, 662 x 282)
PAIR_PITCH = 83
MON_BUTTON = (270, 260)
MIX_BUTTON = (596, 260)
SWITCH_SIZE = (37, 17)
MUTE_SIZE = (20, 14)
LINK_SIZE = (29, 14)
SELECTOR_XS = (330, 411, 495, 579)
SELECTOR_Y = 33
SELECTOR_SIZE = (80, 16)
METER_SIZE = (7, 150)
METER_Y = 68
FADER_Y = 62
FADER_SIZE = (17, 163)
KNOB_SIZE = (17, 14)
DB_LABEL_Y = 227
DB_LABEL_SIZE = (32, 12)
BUTTON_Y = 242


def input_meter_x(i):
    return 16 + 15 * i + 10 * (i // 8)


def output_meter_x(k, right):
    return (388 if right else 335) + PAIR_PITCH * k


def fader_x(k, right):
    return (367 if right else 345) + PAIR_PITCH * k


def db_label_x(k, right):
    return (368 if right else 330) + PAIR_PITCH * k


def mute_x(k, right):
    return (380 if right else 331) + PAIR_PITCH * k


def link_x(k):
    return 351 + PAIR_PITCH * k


def knob_centre_y(v):
    """Knob centre for fader value v, in fader pixels (travel 149, half knob 7)."""
    travel = FADER_SIZE[1] - KNOB_SIZE[1]
    return travel - (v * travel) // 127 + KNOB_SIZE[1] // 2


# Info page (BAK_PAGE_INFO, 662 x 282)
# Maker, product, firmware and serial lines (the program draws their texts).
INFO_LINES = ((111, 46, 50, 14), (111, 60, 90, 14), (111, 74, 90, 14), (111, 88, 90, 14))
INFO_TEXT_AREA = (111, 46, 201, 102)
