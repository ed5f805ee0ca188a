#include "ui/ChannelTooltip.h"

namespace velmora {

std::string channelTooltip(const ChannelNames& names, ChannelKind kind, int number) {
    std::string text = channelNumberText(kind, number);
    const std::string& name = names.name(kind, number);
    if (!name.empty()) text += ", " + name;
    return text;
}

} // namespace velmora
