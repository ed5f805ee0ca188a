#include "app/HotkeyTable.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velmora {

namespace {

const char* const ACTION_KEYS[HOTKEY_ACTION_COUNT] = {
    "volume-up", "volume-down", "volume-up-coarse", "volume-down-coarse", "mute", "dim", "mute-all",
    "snapshot-1", "snapshot-2", "snapshot-3", "snapshot-4", "snapshot-5", "snapshot-6", "snapshot-7", "snapshot-8"};

struct KeyName {
    uint8_t key;
    const char* name;
};

// Keys by name; letters, digits and F1..F24 are made by rule below.
const KeyName KEY_NAMES[] = {
    {0x08, "Backspace"}, {0x09, "Tab"}, {0x0D, "Enter"}, {0x13, "Pause"}, {0x1B, "Esc"}, {0x20, "Space"},
    {0x21, "Page Up"}, {0x22, "Page Down"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"}, {0x26, "Up"},
    {0x27, "Right"}, {0x28, "Down"}, {0x2C, "Print Screen"}, {0x2D, "Insert"}, {0x2E, "Delete"},
    {0x6A, "Num *"}, {0x6B, "Num Plus"}, {0x6D, "Num -"}, {0x6E, "Num ."}, {0x6F, "Num /"},
    {0x91, "Scroll Lock"}, {0xA6, "Browser Back"}, {0xA7, "Browser Forward"}, {0xA8, "Browser Refresh"},
    {0xA9, "Browser Stop"}, {0xAA, "Browser Search"}, {0xAB, "Browser Favorites"}, {0xAC, "Browser Home"},
    {0xAD, "Volume Mute"}, {0xAE, "Volume Down"}, {0xAF, "Volume Up"}, {0xB0, "Next Track"},
    {0xB1, "Previous Track"}, {0xB2, "Stop"}, {0xB3, "Play/Pause"}, {0xB4, "Mail"}, {0xB5, "Media"},
    {0xB6, "App 1"}, {0xB7, "App 2"}, {0xBA, ";"}, {0xBB, "="}, {0xBC, ","}, {0xBD, "-"}, {0xBE, "."},
    {0xBF, "/"}, {0xC0, "`"}, {0xDB, "["}, {0xDC, "\\"}, {0xDD, "]"}, {0xDE, "'"},
};

std::string keyName(uint8_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    if (key >= 0x60 && key <= 0x69) return "Num " + std::string(1, char('0' + key - 0x60));
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    for (const KeyName& k : KEY_NAMES)
        if (k.key == key) return k.name;
    return {};
}

bool keyOfName(const std::string& name, uint8_t& key) {
    for (int code = 1; code < 256; ++code) {
        if (keyName(uint8_t(code)) == name) {
            key = uint8_t(code);
            return true;
        }
    }
    return false;
}

const struct {
    uint8_t bit;
    const char* name;
} MODIFIERS[] = {{MOD_KEY_CTRL, "Ctrl"}, {MOD_KEY_ALT, "Alt"}, {MOD_KEY_SHIFT, "Shift"}, {MOD_KEY_WIN, "Win"}};

// Keys that may be bound without Ctrl, Alt or Win: they type nothing.
bool standsAlone(uint8_t key) {
    return (key >= 0x70 && key <= 0x87) || (key >= 0xA6 && key <= 0xB7) || key == 0x13 || key == 0x91;
}

bool readWhole(const std::string& text, long& value) {
    if (text.empty() || text.size() > 9) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return end == text.c_str() + text.size();
}

// "3", "3.0" or "2.5": a whole number of half dB.
bool readHalfDb(const std::string& text, int& halfDb) {
    const size_t dot = text.find('.');
    long whole = 0;
    if (!readWhole(text.substr(0, dot), whole)) return false;
    long half = 0;
    if (dot != std::string::npos) {
        const std::string fraction = text.substr(dot + 1);
        if (fraction == "0") half = 0;
        else if (fraction == "5") half = 1;
        else return false;
    }
    if (whole < 0 || whole > 100) return false;
    halfDb = int(whole * 2 + half);
    return true;
}

std::string halfDbText(int halfDb) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d", halfDb / 2, halfDb % 2 ? 5 : 0);
    return text;
}

} // namespace

const char* hotkeyActionKey(int action) {
    return action >= 0 && action < HOTKEY_ACTION_COUNT ? ACTION_KEYS[action] : "";
}

std::string hotkeyActionLabel(int action) {
    switch (HotkeyAction(action)) {
    case HotkeyAction::VolumeUp: return "Volume up 0.5 dB";
    case HotkeyAction::VolumeDown: return "Volume down 0.5 dB";
    case HotkeyAction::VolumeUpCoarse: return "Volume up, coarse step";
    case HotkeyAction::VolumeDownCoarse: return "Volume down, coarse step";
    case HotkeyAction::MuteToggle: return "Mute on/off";
    case HotkeyAction::DimToggle: return "Dim on/off";
    case HotkeyAction::MuteAll: return "Mute all outputs on/off";
    default: break;
    }
    if (action >= int(HotkeyAction::Snapshot1) && action < HOTKEY_ACTION_COUNT)
        return "Recall snapshot " + std::to_string(action - int(HotkeyAction::Snapshot1) + 1);
    return {};
}

std::string keyComboText(const KeyCombo& combo) {
    if (!combo.bound()) return {};
    std::string text;
    for (const auto& m : MODIFIERS)
        if (combo.modifiers & m.bit) text += std::string(m.name) + "+";
    const std::string name = keyName(combo.key);
    if (name.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "Key %d", combo.key);
        return text + code;
    }
    return text + name;
}

bool readKeyCombo(const std::string& text, KeyCombo& combo) {
    KeyCombo read;
    size_t pos = 0;
    for (;;) {
        const size_t plus = text.find('+', pos);
        // The last part is the key ("Ctrl+Num Plus" has no '+' of its own).
        if (plus == std::string::npos || plus == text.size() - 1) break;
        const std::string part = text.substr(pos, plus - pos);
        bool known = false;
        for (const auto& m : MODIFIERS) {
            if (part == m.name && !(read.modifiers & m.bit)) {
                read.modifiers |= m.bit;
                known = true;
            }
        }
        if (!known) return false;
        pos = plus + 1;
    }
    const std::string name = text.substr(pos);
    if (name.rfind("Key ", 0) == 0) {
        long code = 0;
        if (!readWhole(name.substr(4), code) || code < 1 || code > 255) return false;
        read.key = uint8_t(code);
    } else if (!keyOfName(name, read.key)) {
        return false;
    }
    combo = read;
    return true;
}

std::string keyComboProblem(const KeyCombo& combo) {
    if (!combo.bound()) return {};
    if (combo.key == 0x10 || combo.key == 0x11 || combo.key == 0x12 || combo.key == 0x5B || combo.key == 0x5C)
        return "a modifier alone is not a hotkey";
    if (!(combo.modifiers & (MOD_KEY_CTRL | MOD_KEY_ALT | MOD_KEY_WIN)) && !standsAlone(combo.key))
        return keyComboText(combo) + " types in every program: add Ctrl or Alt";
    return {};
}

int HotkeySettings::actionOf(const KeyCombo& combo) const {
    if (!combo.bound()) return -1;
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i)
        if (bindings[size_t(i)] == combo) return i;
    return -1;
}

std::string writeHotkeyText(const HotkeySettings& s) {
    std::string text = "pair=" + std::to_string(s.pair) + "\ndim-db=" + std::to_string(s.dimDb) +
                       "\ncoarse-db=" + halfDbText(s.coarseHalfDb) + "\non-screen=" + (s.onScreen ? "1" : "0") + "\n";
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i)
        if (s.bindings[size_t(i)].bound())
            text += std::string(ACTION_KEYS[i]) + "=" + keyComboText(s.bindings[size_t(i)]) + "\n";
    return text;
}

bool readHotkeyText(const std::string& text, HotkeySettings& settings, std::string& problem) {
    HotkeySettings read;
    std::vector<std::string> skipped;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        const std::string name = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : line.substr(equals + 1);
        long number = 0;
        int halfDb = 0;
        bool taken = equals != std::string::npos;
        if (!taken) {
        } else if (name == "pair") {
            taken = readWhole(value, number) && number >= 1 && number <= 4;
            if (taken) read.pair = int(number);
        } else if (name == "dim-db") {
            taken = readWhole(value, number) && number >= 6 && number <= 40;
            if (taken) read.dimDb = int(number);
        } else if (name == "coarse-db") {
            taken = readHalfDb(value, halfDb) && halfDb >= COARSE_STEP_MIN_HALF_DB && halfDb <= COARSE_STEP_MAX_HALF_DB;
            if (taken) read.coarseHalfDb = halfDb;
        } else if (name == "on-screen") {
            taken = value == "0" || value == "1";
            if (taken) read.onScreen = value == "1";
        } else {
            int action = -1;
            for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i)
                if (name == ACTION_KEYS[i]) action = i;
            KeyCombo combo;
            taken = action >= 0 && readKeyCombo(value, combo) && keyComboProblem(combo).empty() &&
                    read.actionOf(combo) < 0;
            if (taken) read.bindings[size_t(action)] = combo;
        }
        if (!taken) skipped.push_back(line.substr(0, 40));
    }
    settings = read;
    problem.clear();
    for (size_t i = 0; i < skipped.size(); ++i) problem += (i ? "; " : "") + skipped[i];
    return skipped.empty();
}

std::string hotkeySettingsProblem(const HotkeySettings& s) {
    if (s.pair < 1 || s.pair > 4) return "The monitor pair must be 1 to 4.";
    if (s.dimDb < 6 || s.dimDb > 40) return "The dim must be 6 to 40 dB.";
    if (s.coarseHalfDb < COARSE_STEP_MIN_HALF_DB || s.coarseHalfDb > COARSE_STEP_MAX_HALF_DB)
        return "The coarse step must be 0.5 to 12 dB.";
    for (int i = 0; i < HOTKEY_ACTION_COUNT; ++i) {
        const KeyCombo& combo = s.bindings[size_t(i)];
        const std::string why = keyComboProblem(combo);
        if (!why.empty()) return hotkeyActionLabel(i) + ": " + why + ".";
        for (int j = 0; j < i; ++j)
            if (combo.bound() && s.bindings[size_t(j)] == combo)
                return keyComboText(combo) + " is bound to both " + hotkeyActionLabel(j) + " and " +
                       hotkeyActionLabel(i) + ".";
    }
    return {};
}

} // namespace velmora
