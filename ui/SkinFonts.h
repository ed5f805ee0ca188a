// The panel's fonts. Every text the panel draws uses one of these three, so
// that each face and size exists once. The sizes are chosen so that the
// longest text each cell can show is drawn whole at 96 DPI: Arial's metrics
// (Liberation Sans has the same) measured against the cells, with a few
// pixels to spare for hinting.
#pragma once

namespace velmora {

enum class SkinFont {
    Text,      // the status column and the Info page's lines (74 and 50..90 pixels wide)
    SmallText, // the dB labels under the faders (32 x 12 pixels: "-63.5dB")
    Label,     // the radio buttons: digital format, output level, S/PDIF OUT
};

struct FontChoice {
    const char* face;
    int height; // cell height in pixels (a positive font height)
    int weight;
};

constexpr FontChoice fontChoice(SkinFont font) {
    switch (font) {
    case SkinFont::SmallText: return FontChoice{"Arial", 9, 400};
    case SkinFont::Label: return FontChoice{"Arial", 10, 700};
    case SkinFont::Text: break;
    }
    return FontChoice{"Arial", 12, 400};
}

// A radio button's text starts right of its glyph: 13 pixels of glyph at 96
// DPI and a gap of up to 6 pixels, on the platform's classic and themed
// buttons alike.
constexpr int RADIO_TEXT_INDENT = 19;

} // namespace velmora
