// What a screen reader is told about each control of the panel: its name,
// its value where it has one, its role, its checked or selected state and its
// default action. The Win32 controls answer the accessibility queries with
// these descriptions; the texts live here, apart from any window.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

enum class AccessibleRole {
    Pane,        // a page
    PageTab,     // a tab that switches pages
    Slider,      // a fader
    CheckButton, // a switch that stays on or off
    RadioButton, // one of a group of choices
    Text,        // a line of text
    Meter,       // a level indicator
};

struct AccessibleInfo {
    std::string name;
    std::string value;         // empty: the control has no value
    AccessibleRole role = AccessibleRole::Text;
    bool checked = false;      // a check or radio button on; a page tab selected
    std::string defaultAction; // empty: the control has none
};

namespace access {

// Outputs and inputs are counted from 1 for the user, as printed on the unit.
AccessibleInfo page(const char* name);
AccessibleInfo pageTab(const char* page, int32_t checkState);
// "Output 3 volume", value "-31.5 dB".
AccessibleInfo fader(int output, int32_t position);
// "Output 1 mute", value "on" or "off" (only check state 1 is on).
AccessibleInfo mute(int output, int32_t checkState);
// "Outputs 1 and 2 link".
AccessibleInfo link(int pair, int32_t checkState);
AccessibleInfo monitor(int32_t checkState);
AccessibleInfo mix(int32_t checkState);
// "S/PDIF output 1" .. "S/PDIF output 4".
AccessibleInfo spdifSelector(int selector, bool checked);
// "Input 5 meter" / "Output 2 meter", value the level in percent of the top.
AccessibleInfo meter(bool input, int index, int32_t level, int32_t upper);
// A line that names what it shows: the status column ("Sample rate",
// "44100 Hz"), the Info page's lines, the dB labels.
AccessibleInfo captionedText(const std::string& caption, const std::string& text);
AccessibleInfo volumeText(int output, const std::string& text);
// "Digital format: Consumer".
AccessibleInfo radio(const char* group, const char* text, bool checked);

// The description with the channel's name after its own: "Output 3 volume,
// Headphones" (unchanged for an empty name).
AccessibleInfo withChannelName(AccessibleInfo info, const std::string& channelName);

// The status column's captions, top to bottom, as painted beside it.
const char* statusCaption(int index);

} // namespace access
} // namespace velmora
