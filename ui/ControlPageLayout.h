// The Control page's controls: ids, positions (client pixels of the page),
// sizes, images and colours. Shared by the page window and the artwork.
#pragma once

#include <cstdint>

namespace velmora {
namespace controlpage {

struct Point { int x; int y; };
struct Size { int width; int height; };
struct Rgb { uint8_t r; uint8_t g; uint8_t b; };

// Control id families: id & FAMILY_MASK names the family, id & MEMBER_MASK the member.
constexpr int FAMILY_MASK = 0xFFF0;
constexpr int MEMBER_MASK = 0x000F;

constexpr int ID_MON = 12288;            // 0x3000
constexpr int ID_MIX = 12289;            // 0x3001
constexpr int ID_MUTE_FIRST = 12304;     // 0x3010 + output 0..7
constexpr int ID_LINK_FIRST = 12320;     // 0x3020 + pair 0..3
constexpr int ID_SELECTOR_FIRST = 12336; // 0x3030 + selector 0..3
constexpr int ID_INPUT_METERS = 12352;   // 0x3040, shared by all 18 input meters
constexpr int ID_OUTPUT_METERS = 12368;  // 0x3050, shared by all 8 output meters
constexpr int ID_FADER_FIRST = 12384;    // 0x3060 + output 0..7
constexpr int ID_LABEL_FIRST = 12400;    // 0x3070 + output 0..7

constexpr int OUTPUTS = 8;
constexpr int PAIRS = 4;
constexpr int SELECTORS = 4;
constexpr int INPUT_METERS = 18;
constexpr int OUTPUT_METERS = 8;

constexpr int muteId(int output) { return ID_MUTE_FIRST + output; }
constexpr int linkId(int pair) { return ID_LINK_FIRST + pair; }
constexpr int selectorId(int k) { return ID_SELECTOR_FIRST + k; }
constexpr int faderId(int output) { return ID_FADER_FIRST + output; }
constexpr int labelId(int output) { return ID_LABEL_FIRST + output; }

// The page itself.
constexpr const char* BACKGROUND = "BAK_PAGE_CONTROL";
constexpr Size BACKGROUND_SIZE{662, 282};
constexpr Point PAGE_POSITION{24, 53}; // in the main window's client area

// Skinned buttons: created with this text and nominal rectangle, then sized to their up image.
constexpr const char* BUTTON_TEXT = "control button";
constexpr Size BUTTON_NOMINAL_SIZE{95, 19};

constexpr Point MON_POSITION{270, 260};
constexpr Point MIX_POSITION{596, 260};
constexpr Size MON_MIX_SIZE{37, 17};
constexpr const char* MON_OFF = "BTN_MON_OFF";
constexpr const char* MON_ON = "BTN_MON_ON";
constexpr const char* MIX_OFF = "BTN_MIX_OFF";
constexpr const char* MIX_ON = "BTN_MIX_ON";

// Column of pair k starts 83 pixels right of pair k-1.
constexpr int PAIR_STEP = 83;

constexpr Point mutePosition(int output) {
    return Point{(output % 2 == 0 ? 331 : 380) + PAIR_STEP * (output / 2), 242};
}
constexpr Size MUTE_SIZE{20, 14};
constexpr const char* muteOffImage(int output) { return output % 2 == 0 ? "BTN_MUTELEFT_OFF" : "BTN_MUTERIGHT_OFF"; }
constexpr const char* muteOnImage(int output) { return output % 2 == 0 ? "BTN_MUTELEFT_ON" : "BTN_MUTERIGHT_ON"; }

constexpr Point linkPosition(int pair) { return Point{351 + PAIR_STEP * pair, 242}; }
constexpr Size LINK_SIZE{29, 14};
constexpr const char* LINK_OFF = "BTN_LINK_OFF";
constexpr const char* LINK_ON = "BTN_LINK_ON";

// S/PDIF OUT selectors: standard radio buttons.
constexpr int SELECTOR_X[SELECTORS] = {330, 411, 495, 579};
constexpr Point selectorPosition(int k) { return Point{SELECTOR_X[k], 33}; }
constexpr Size SELECTOR_SIZE{80, 16};
constexpr const char* SELECTOR_TEXT = "S/PDIF OUT";
constexpr Rgb SELECTOR_TEXT_COLOUR{47, 47, 47};
constexpr Rgb SELECTOR_BRUSH_COLOUR{235, 235, 235};

// Peak meters: three groups of inputs (8, 8, 2) with a 10-pixel gap before each.
constexpr Point inputMeterPosition(int i) { return Point{16 + 15 * i + 10 * (i / 8), 68}; }
constexpr Point outputMeterPosition(int output) {
    return Point{(output % 2 == 0 ? 335 : 388) + PAIR_STEP * (output / 2), 68};
}
constexpr Size METER_SIZE{7, 150};
constexpr const char* METER_BACK = "PEAK_BACK";
constexpr const char* METER_FORE = "PEAK_FORE";
constexpr int METER_LOWER = 0;
constexpr int METER_UPPER = 127;

// Faders.
constexpr Point faderPosition(int output) {
    return Point{(output % 2 == 0 ? 345 : 367) + PAIR_STEP * (output / 2), 62};
}
constexpr Size FADER_SIZE{17, 163};
constexpr Size FADER_KNOB_SIZE{17, 14};
constexpr const char* FADER_BACK = "FADER_BACK";
constexpr const char* FADER_KNOB_OFF = "FADER_KNOB_OFF";
constexpr const char* FADER_KNOB_ON = "FADER_KNOB_ON";
constexpr int FADER_LOWER = 0;
constexpr int FADER_UPPER = 127;

// dB labels under the faders.
constexpr Point labelPosition(int output) {
    return Point{(output % 2 == 0 ? 330 : 368) + PAIR_STEP * (output / 2), 227};
}
constexpr Size LABEL_SIZE{32, 12};
constexpr Rgb LABEL_TEXT_COLOUR{6, 6, 6};
constexpr Rgb LABEL_BACK_COLOUR{235, 235, 235};
constexpr const char* LABEL_INITIAL_TEXT = "0.0dB";

// The order of the Tab key over the page: the faders left to right, the
// switches left to right (MON; each pair's left mute, link and right mute;
// MIX), then the S/PDIF OUT selectors (one stop: the checked one).
constexpr int KEYBOARD_ORDER[] = {
    faderId(0), faderId(1), faderId(2), faderId(3), faderId(4), faderId(5), faderId(6), faderId(7),
    ID_MON,
    muteId(0), linkId(0), muteId(1), muteId(2), linkId(1), muteId(3),
    muteId(4), linkId(2), muteId(5), muteId(6), linkId(3), muteId(7),
    ID_MIX,
    selectorId(0), selectorId(1), selectorId(2), selectorId(3),
};

} // namespace controlpage
} // namespace velmora
