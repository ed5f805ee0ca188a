// What the tooltip over a channel's meter, fader or mute button says: the
// channel as the panel numbers it, then the user's name for it when it has
// one ("Output 3, Headphones"; "Input 5").
#pragma once

#include "settings/ChannelNames.h"

#include <string>

namespace velmora {

// `number` counts from 1, as printed on the unit.
std::string channelTooltip(const ChannelNames& names, ChannelKind kind, int number);

} // namespace velmora
