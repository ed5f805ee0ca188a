// The hotkeys: the actions a key combination can be bound to, the
// combinations themselves with their names ("Ctrl+Alt+Up"), the options of
// the monitor actions, and the text all of it is kept as beside the record
// (the "Hotkeys" value). Nothing is bound until the user binds it.
//
// The text is one "name=value" a line:
//   pair=1  dim-db=20  coarse-db=3.0  on-screen=1
//   volume-up=Ctrl+Alt+Up   (one line per bound action, by its key name)
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velmora {

enum class HotkeyAction {
    VolumeUp,
    VolumeDown,
    VolumeUpCoarse,
    VolumeDownCoarse,
    MuteToggle,
    DimToggle,
    MuteAll,
    Snapshot1, // .. Snapshot8
};
constexpr int HOTKEY_ACTION_COUNT = 15;

// The action's key in the text ("volume-up", "snapshot-3") and its label in
// the dialog ("Volume up 0.5 dB", "Recall snapshot 3").
const char* hotkeyActionKey(int action);
std::string hotkeyActionLabel(int action);

// Modifier bits, as the platform's hotkey registration takes them.
enum HotkeyModifier : uint8_t { MOD_KEY_ALT = 1, MOD_KEY_CTRL = 2, MOD_KEY_SHIFT = 4, MOD_KEY_WIN = 8 };

struct KeyCombo {
    uint8_t modifiers = 0; // HotkeyModifier bits
    uint8_t key = 0;       // the platform's virtual-key code; 0: nothing bound
    bool bound() const { return key != 0; }
    bool operator==(const KeyCombo& o) const { return modifiers == o.modifiers && key == o.key; }
    bool operator!=(const KeyCombo& o) const { return !(*this == o); }
};

// "Ctrl+Alt+Up", "Ctrl+Shift+F5", "Volume Up"; empty for nothing bound.
std::string keyComboText(const KeyCombo& combo);
// The reverse; false for a text that names no key or an unknown modifier.
bool readKeyCombo(const std::string& text, KeyCombo& combo);
// Why the combination cannot be a hotkey (empty when it can): a key that
// types text (a letter, a digit, Space, Enter...) needs Ctrl, Alt or the
// Windows key, or every program would lose it.
std::string keyComboProblem(const KeyCombo& combo);

constexpr int COARSE_STEP_MIN_HALF_DB = 1;   // 0.5 dB
constexpr int COARSE_STEP_MAX_HALF_DB = 24;  // 12 dB
constexpr int COARSE_STEP_DEFAULT_HALF_DB = 6; // 3 dB

struct HotkeySettings {
    std::array<KeyCombo, HOTKEY_ACTION_COUNT> bindings{};
    int pair = 1;                               // the monitor pair 1..4 (outputs 1-2 .. 7-8)
    int dimDb = 20;                             // 6..40
    int coarseHalfDb = COARSE_STEP_DEFAULT_HALF_DB; // the coarse step in 0.5 dB steps, 1..24
    bool onScreen = true;                       // the on-screen level after a hotkey

    // The action bound to `combo`, or -1.
    int actionOf(const KeyCombo& combo) const;
};

constexpr const char* PREFERENCE_HOTKEYS = "Hotkeys";

std::string writeHotkeyText(const HotkeySettings& settings);
// Reads the text into `settings` (starting from the defaults). A line that
// cannot be read is skipped and named in `problem`; a combination bound twice
// keeps its first action. False when anything was skipped.
bool readHotkeyText(const std::string& text, HotkeySettings& settings, std::string& problem);
// Why the settings cannot be kept (empty when they can): a combination bound
// to two actions, one that cannot be a hotkey, an option out of range.
std::string hotkeySettingsProblem(const HotkeySettings& settings);

} // namespace velmora
