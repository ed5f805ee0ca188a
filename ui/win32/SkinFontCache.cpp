#include "ui/win32/SkinFontCache.h"

#include "ui/win32/Gdi.h"

#include <vector>

namespace velmora {

HFONT skinFont(SkinFont font, DisplayScale scale)
{
    struct Made {
        SkinFont font;
        int dpi;
        Font object;
    };
    // Held for the rest of the process: three fonts for each scale the
    // window has been shown at.
    static std::vector<Made> fonts;
    for (const Made& made : fonts)
        if (made.font == font && made.dpi == scale.dpi)
            return made.object.get();
    const FontChoice chosen = fontChoice(font);
    // Width 0 keeps the face's own proportions: nothing is squeezed.
    Font object(::CreateFontA(scale.px(chosen.height), 0, 0, 0, chosen.weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                              OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, chosen.face));
    if (!object)
        return nullptr;
    HFONT handle = object.get();
    fonts.push_back(Made{font, scale.dpi, std::move(object)});
    return handle;
}

} // namespace velmora
