#include "settings/ChannelNames.h"

#include <nlohmann/json.hpp>

namespace velmora {

namespace {

using Json = nlohmann::ordered_json;

const std::string NO_NAME;

// Decodes the next code point of UTF-8 text; false for a broken sequence
// (overlong forms, surrogates and values beyond U+10FFFF included).
bool nextCodePoint(const std::string& text, size_t& at, unsigned long& point) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned long minimum = 0;
    if (lead < 0x80) {
        point = lead;
        ++at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, point = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, point = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, point = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (at + length > text.size()) return false;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return false;
        point = (point << 6) | (next & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
    at += length;
    return true;
}

bool isChannel(ChannelKind kind, int number) { return number >= 1 && number <= ChannelNames::count(kind); }

} // namespace

std::string channelNumberText(ChannelKind kind, int number) {
    return (kind == ChannelKind::Input ? "Input " : "Output ") + std::to_string(number);
}

std::string checkChannelName(const std::string& name) {
    size_t points = 0;
    for (size_t at = 0; at < name.size();) {
        unsigned long point = 0;
        if (!nextCodePoint(name, at, point)) return "is not valid Unicode text";
        if (point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x2028 || point == 0x2029)
            return "holds a control character";
        ++points;
    }
    if (points > CHANNEL_NAME_MAX) return "is longer than " + std::to_string(CHANNEL_NAME_MAX) + " characters";
    return {};
}

const std::string& ChannelNames::name(ChannelKind kind, int number) const {
    if (!isChannel(kind, number)) return NO_NAME;
    return kind == ChannelKind::Input ? inputs_[number - 1] : outputs_[number - 1];
}

std::string ChannelNames::shown(ChannelKind kind, int number) const {
    const std::string& given = name(kind, number);
    return given.empty() ? channelNumberText(kind, number) : given;
}

bool ChannelNames::set(ChannelKind kind, int number, const std::string& name) {
    if (!isChannel(kind, number) || !checkChannelName(name).empty()) return false;
    (kind == ChannelKind::Input ? inputs_[number - 1] : outputs_[number - 1]) = name;
    return true;
}

bool ChannelNames::operator==(const ChannelNames& other) const {
    for (int i = 0; i < NAMED_INPUTS; ++i)
        if (inputs_[i] != other.inputs_[i]) return false;
    for (int i = 0; i < NAMED_OUTPUTS; ++i)
        if (outputs_[i] != other.outputs_[i]) return false;
    return true;
}

std::string ChannelNames::toText() const {
    Json text;
    text["inputs"] = Json::array();
    for (const std::string& name : inputs_) text["inputs"].push_back(name);
    text["outputs"] = Json::array();
    for (const std::string& name : outputs_) text["outputs"].push_back(name);
    return text.dump();
}

bool ChannelNames::fromText(const std::string& text, std::string& problem) {
    const Json read = Json::parse(text, nullptr, false);
    if (read.is_discarded() || !read.is_object()) {
        problem = "the names are not JSON";
        return false;
    }
    ChannelNames taken;
    for (ChannelKind kind : {ChannelKind::Input, ChannelKind::Output}) {
        const char* key = kind == ChannelKind::Input ? "inputs" : "outputs";
        auto list = read.find(key);
        if (list == read.end() || !list->is_array() || list->size() != static_cast<size_t>(count(kind))) {
            problem = std::string("\"") + key + "\" must be a list of " + std::to_string(count(kind)) + " names";
            return false;
        }
        for (int number = 1; number <= count(kind); ++number) {
            const Json& entry = (*list)[number - 1];
            const std::string why = entry.is_string() ? checkChannelName(entry.get<std::string>()) : "is not text";
            if (!why.empty()) {
                problem = "the name of " + channelNumberText(kind, number) + " " + why;
                return false;
            }
            taken.set(kind, number, entry.get<std::string>());
        }
    }
    *this = taken;
    return true;
}

bool loadChannelNames(PreferenceStore& store, ChannelNames& names, std::string& problem) {
    names = ChannelNames();
    std::string text;
    if (!store.readText(PREFERENCE_CHANNEL_NAMES, text)) return true;
    return names.fromText(text, problem);
}

bool saveChannelNames(PreferenceStore& store, const ChannelNames& names) {
    return store.writeText(PREFERENCE_CHANNEL_NAMES, names.toText());
}

bool replaceChannelNames(PreferenceStore& store, const ChannelNames& names, bool& changed) {
    ChannelNames before;
    std::string problem;
    changed = !loadChannelNames(store, before, problem) || before != names;
    return !changed || saveChannelNames(store, names);
}

} // namespace velmora
