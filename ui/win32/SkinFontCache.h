// The panel's fonts as GDI objects: each is created on first use at a scale
// and shared by every window that draws with it for the rest of the process.
#pragma once

#include "ui/DisplayScale.h"
#include "ui/SkinFonts.h"

#include <windows.h>

namespace velmora {

// The font's cell height is scaled like every length (12 pixels at 96 DPI,
// 24 at 192 DPI).
HFONT skinFont(SkinFont font, DisplayScale scale = DisplayScale{});

} // namespace velmora
