#include "app/RepairNotice.h"

#include <vector>

namespace velmora {

namespace {

// The fields besides the volumes, as the pages and menus call them.
struct FieldName {
    uint32_t flag;
    const char* name;
};
const FieldName OTHER_FIELDS[] = {
    {REPAIRED_MUTE, "an output's mute"},
    {REPAIRED_LINK, "an output pair's link"},
    {REPAIRED_SELECTOR, "the S/PDIF output selector"},
    {REPAIRED_MIX, "the MIX switch"},
    {REPAIRED_MONITOR, "the MON switch"},
    {REPAIRED_CLOCK, "the clock source"},
    {REPAIRED_LEVEL, "the analog output level"},
    {REPAIRED_FORMAT, "the S/PDIF format"},
    {REPAIRED_CHANNELS, "the channel counts"},
    {REPAIRED_LATENCY, "the latency"},
};

// "a", "a and b", "a, b and c".
std::string spokenList(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
        text += items[i];
    }
    return text;
}

std::vector<std::string> mutedOutputNumbers(const RecordRepair& repair) {
    std::vector<std::string> numbers;
    for (int i = 0; i < OUTPUT_COUNT; ++i)
        if (repair.mutedOutputs & (1u << i)) numbers.push_back(std::to_string(i + 1));
    return numbers;
}

std::vector<std::string> otherFieldNames(const RecordRepair& repair) {
    std::vector<std::string> names;
    for (const FieldName& field : OTHER_FIELDS)
        if (repair.fields & field.flag) names.push_back(field.name);
    return names;
}

} // namespace

std::string repairNoticeText(const RecordRepair& repair) {
    const std::vector<std::string> outputs = mutedOutputNumbers(repair);
    const std::vector<std::string> others = otherFieldNames(repair);
    std::string text;
    if (outputs.size() == 1) {
        text = "Output " + outputs[0] +
               " had a damaged volume in your stored settings; it was muted. Set its volume on the Control "
               "page, then unmute it.";
    } else if (!outputs.empty()) {
        text = "Outputs " + spokenList(outputs) +
               " had a damaged volume in your stored settings; they were muted. Set their volume on the "
               "Control page, then unmute them.";
    }
    if (!others.empty()) {
        if (!text.empty()) text += "\n\n";
        text += outputs.empty() ? "Some of your stored settings were damaged and set back to the default: "
                                : "Also damaged and set back to the default: ";
        text += spokenList(others) + ".";
    }
    return text;
}

std::string repairLogText(const RecordRepair& repair) {
    std::string text;
    const std::vector<std::string> outputs = mutedOutputNumbers(repair);
    if (!outputs.empty()) {
        text = "volume of output";
        text += outputs.size() == 1 ? " " : "s ";
        for (size_t i = 0; i < outputs.size(); ++i) text += (i ? ", " : "") + outputs[i];
        text += " (muted)";
    }
    for (const std::string& name : otherFieldNames(repair)) text += (text.empty() ? "" : "; ") + name;
    return text;
}

} // namespace velmora
