// Small helpers the test programs share for settings records.
#pragma once

#include "settings/PanelSettings.h"

#include <cstdint>
#include <vector>

namespace velmora_testing {

// The record's 352 bytes, as the store keeps them.
inline std::vector<uint8_t> bytesOf(const velmora::PanelSettings& r) {
    const auto* p = reinterpret_cast<const uint8_t*>(&r);
    return std::vector<uint8_t>(p, p + sizeof r);
}

inline velmora::PanelSettings defaults() {
    velmora::PanelSettings r;
    velmora::makeDefaultSettings(r);
    return r;
}

} // namespace velmora_testing
