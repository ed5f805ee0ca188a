// Menu commands of the items that come after the defined ones: settings
// files (File menu), the meters' peak hold and clip reset (Config menu), the
// log folder (tray menu). The same numbers are in res/resource.h.
#pragma once

namespace velmora {

enum MenuCommand : unsigned {
    CMD_SAVE_SETTINGS_AS = 32790, // "Save Settings As..."
    CMD_LOAD_SETTINGS = 32791,    // "Load Settings..."
    CMD_OPEN_LOG_FOLDER = 32792,  // "Open Log Folder"
    CMD_PEAK_HOLD = 32793,        // "Peak Hold" (a check item)
    CMD_RESET_CLIPS = 32794,      // "Reset Clip Indicators"
};

} // namespace velmora
