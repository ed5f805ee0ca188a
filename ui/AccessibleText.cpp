#include "ui/AccessibleText.h"

#include <cstdio>

namespace velmora {
namespace access {

namespace {

const char kOn[] = "on";
const char kOff[] = "off";

AccessibleInfo checkButton(std::string name, int32_t checkState) {
    AccessibleInfo info;
    info.name = std::move(name);
    info.role = AccessibleRole::CheckButton;
    info.checked = checkState == 1;
    info.value = info.checked ? kOn : kOff;
    info.defaultAction = info.checked ? "Uncheck" : "Check";
    return info;
}

std::string numbered(const char* what, int index) {
    return std::string(what) + " " + std::to_string(index + 1);
}

} // namespace

AccessibleInfo page(const char* name) {
    AccessibleInfo info;
    info.name = name ? name : "";
    info.role = AccessibleRole::Pane;
    return info;
}

AccessibleInfo pageTab(const char* page, int32_t checkState) {
    AccessibleInfo info;
    info.name = page ? page : "";
    info.role = AccessibleRole::PageTab;
    info.checked = checkState == 1;
    info.defaultAction = "Switch";
    return info;
}

AccessibleInfo fader(int output, int32_t position) {
    AccessibleInfo info;
    info.name = numbered("Output", output) + " volume";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dB", (double(position) - 127.0) * 0.5);
    info.value = text;
    info.role = AccessibleRole::Slider;
    return info;
}

AccessibleInfo withChannelName(AccessibleInfo info, const std::string& channelName) {
    if (!channelName.empty()) info.name += ", " + channelName;
    return info;
}

AccessibleInfo mute(int output, int32_t checkState) {
    return checkButton(numbered("Output", output) + " mute", checkState);
}

AccessibleInfo link(int pair, int32_t checkState) {
    return checkButton("Outputs " + std::to_string(2 * pair + 1) + " and " + std::to_string(2 * pair + 2) + " link",
                       checkState);
}

AccessibleInfo monitor(int32_t checkState) { return checkButton("Monitor", checkState); }

AccessibleInfo mix(int32_t checkState) { return checkButton("Mix", checkState); }

AccessibleInfo spdifSelector(int selector, bool checked) {
    AccessibleInfo info;
    info.name = numbered("S/PDIF output", selector);
    info.role = AccessibleRole::RadioButton;
    info.checked = checked;
    info.defaultAction = "Check";
    return info;
}

AccessibleInfo meter(bool input, int index, int32_t level, int32_t upper) {
    AccessibleInfo info;
    info.name = numbered(input ? "Input" : "Output", index) + " meter";
    const int64_t percent = upper > 0 ? (int64_t(level) * 100 + upper / 2) / upper : 0;
    info.value = std::to_string(percent) + "%";
    info.role = AccessibleRole::Meter;
    return info;
}

AccessibleInfo captionedText(const std::string& caption, const std::string& text) {
    AccessibleInfo info;
    info.name = caption;
    info.value = text;
    info.role = AccessibleRole::Text;
    return info;
}

AccessibleInfo volumeText(int output, const std::string& text) {
    return captionedText(numbered("Output", output) + " level", text);
}

AccessibleInfo radio(const char* group, const char* text, bool checked) {
    AccessibleInfo info;
    info.name = std::string(group ? group : "") + ": " + (text ? text : "");
    info.role = AccessibleRole::RadioButton;
    info.checked = checked;
    info.defaultAction = "Check";
    return info;
}

const char* statusCaption(int index) {
    static const char* const kCaptions[] = {"Device", "Clock source", "Sample rate", "Latency", "Input", "Output"};
    return index >= 0 && index < 6 ? kCaptions[index] : "";
}

} // namespace access
} // namespace velmora
