// The main window's title, with the panel's version and whether a unit is
// connected: "Velmora Control Panel - Ver 1.06" or "... - No Device".
#pragma once

#include "settings/PanelSettings.h"

#include <cstdio>
#include <string>

namespace velmora {

inline std::string panelTitle(bool connected) {
    char title[96];
    std::snprintf(title, sizeof title,
                  connected ? "Velmora Control Panel - Ver %d.%02d" : "Velmora Control Panel - Ver %d.%02d - No Device",
                  PANEL_VERSION_MAJOR, PANEL_VERSION_MINOR);
    return title;
}

} // namespace velmora
