// The ids of the main window's controls and menu commands that the logic
// handles, defined once for the whole program. res/resource.h holds the same
// numbers for the resource script.
#pragma once

namespace velmora {

// Main-window control and command ids.
enum PanelId : unsigned {
    ID_TAB_CONTROL = 8192,
    ID_TAB_UNUSED = 8193,
    ID_TAB_INFO = 8194,
    ID_LEVEL_BALANCED = 16416,   // "+ 4dBv(Balanced)"
    ID_LEVEL_UNBALANCED = 16417, // "-10dBv(Unbalanced)"
    ID_FORMAT_CONSUMER = 16432,  // "Consumer"
    ID_FORMAT_PROFESSIONAL = 16433, // "Professional"
    CMD_OPEN = 32771,
    CMD_EXIT = 32773,
    CMD_FACTORY_DEFAULT = 32774,
    CMD_RATE_44100 = 32776,
    CMD_RATE_48000 = 32777,
    CMD_RATE_96000 = 32778,
    CMD_LATENCY_FIRST = 32779, // 32779..32784: latency 1..6
    CMD_LATENCY_LAST = 32784,
    CMD_RATE_88200 = 32785,
    CMD_CLOCK_AUTO = 32786,
    CMD_CLOCK_INTERNAL = 32787,
};

// The rate items in the order of SAMPLE_RATES (44100, 48000, 88200, 96000).
constexpr unsigned RATE_MENU_ITEMS[4] = {CMD_RATE_44100, CMD_RATE_48000, CMD_RATE_88200, CMD_RATE_96000};

// Menu commands of the items that come after the defined ones: settings
// files (File menu), the meters' peak hold and clip reset (Config menu), the
// log folder (tray menu).
enum MenuCommand : unsigned {
    CMD_SAVE_SETTINGS_AS = 32790, // "Save Settings As..."
    CMD_LOAD_SETTINGS = 32791,    // "Load Settings..."
    CMD_OPEN_LOG_FOLDER = 32792,  // "Open Log Folder"
    CMD_PEAK_HOLD = 32793,        // "Peak Hold" (a check item)
    CMD_RESET_CLIPS = 32794,      // "Reset Clip Indicators"
    CMD_SNAPSHOT_STORE = 32800,   // Config > Snapshots > "Store Current As..."
    CMD_SNAPSHOT_FIRST = 32801,   // 32801..32808: recall snapshot 1..8 (Config and tray menus)
    CMD_SNAPSHOT_LAST = 32808,
    CMD_NAMES = 32840,            // "Names..." (Config menu)
    CMD_REMOTE_CONTROL = 32850,   // "Remote Control..." (Config menu)
    CMD_HOTKEYS = 32860,          // "Hotkeys..." (Config menu)
};

} // namespace velmora
