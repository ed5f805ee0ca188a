#include "ui/win32/SkinFontCache.h"

#include "ui/win32/Gdi.h"

namespace velmora {

HFONT skinFont(SkinFont font)
{
    static Font fonts[3]; // held for the rest of the process
    Font& slot = fonts[static_cast<int>(font)];
    if (!slot) {
        const FontChoice chosen = fontChoice(font);
        // Width 0 keeps the face's own proportions: nothing is squeezed.
        slot.reset(::CreateFontA(chosen.height, 0, 0, 0, chosen.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, chosen.face));
    }
    return slot.get();
}

} // namespace velmora
