// The panel's fonts as GDI objects: each is created on first use and shared by
// every window that draws with it for the rest of the process.
#pragma once

#include "ui/SkinFonts.h"

#include <windows.h>

namespace velmora {

HFONT skinFont(SkinFont font);

} // namespace velmora
