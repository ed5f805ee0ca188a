// The user's names for the unit's 18 inputs and 8 outputs: 1 to 24
// characters (code points) of any language each, no control characters;
// an empty name means the channel's number ("Input 3"). Kept beside the
// settings record as one Unicode text value (JSON), never inside the record.
#pragma once

#include "settings/PreferenceStore.h"

#include <string>

namespace velmora {

constexpr int NAMED_INPUTS = 18;
constexpr int NAMED_OUTPUTS = 8;
constexpr size_t CHANNEL_NAME_MAX = 24; // code points

// The value beside the record that holds the names.
constexpr const char* PREFERENCE_CHANNEL_NAMES = "ChannelNames";

enum class ChannelKind { Input, Output };

// "Input 3", "Output 5": the channel's number as the panel prints it.
std::string channelNumberText(ChannelKind kind, int number);

// Empty when `name` may name a channel; otherwise why not ("is longer than
// 24 characters"). An empty name is allowed (it means the number).
std::string checkChannelName(const std::string& name);

class ChannelNames {
public:
    static int count(ChannelKind kind) { return kind == ChannelKind::Input ? NAMED_INPUTS : NAMED_OUTPUTS; }

    // `number` counts from 1; an empty text when it has no name (or is no channel).
    const std::string& name(ChannelKind kind, int number) const;
    // The name, or the number when it has none.
    std::string shown(ChannelKind kind, int number) const;
    // False (nothing changed) for a name checkChannelName refuses or no channel.
    bool set(ChannelKind kind, int number, const std::string& name);
    bool operator==(const ChannelNames& other) const;
    bool operator!=(const ChannelNames& other) const { return !(*this == other); }

    // As JSON: {"inputs": [18 texts], "outputs": [8 texts]}.
    std::string toText() const;
    // False, with `problem` and the names unchanged, for a text that is not
    // that JSON or holds a name checkChannelName refuses.
    bool fromText(const std::string& text, std::string& problem);

private:
    std::string inputs_[NAMED_INPUTS];
    std::string outputs_[NAMED_OUTPUTS];
};

// The stored names. A value that was never stored gives no names; a damaged
// one gives no names and `problem` (for the log), and answers false.
bool loadChannelNames(PreferenceStore& store, ChannelNames& names, std::string& problem);
// False when the store could not take them.
bool saveChannelNames(PreferenceStore& store, const ChannelNames& names);
// Stores `names` unless the store holds them already (a damaged value is
// replaced); `changed` says whether they differ from what it held. False
// when the store could not take them.
bool replaceChannelNames(PreferenceStore& store, const ChannelNames& names, bool& changed);

} // namespace velmora
