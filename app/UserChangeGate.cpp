#include "app/UserChangeGate.h"

#include <cstring>

namespace velmora {

bool UserChangeGate::accept() {
    if (boxes_ == 0) return true;
    turnedAway_ = true;
    return false;
}

bool UserChangeGate::takeTurnedAway() {
    if (boxes_ > 0 || !turnedAway_) return false;
    turnedAway_ = false;
    return true;
}

void UserChangeGate::volumesDone(const PanelSettings& candidate, bool unitLeft, ChannelMask failed) {
    firstHalf_.pending = true;
    firstHalf_.unitLeft = unitLeft;
    firstHalf_.failed = failed;
    firstHalf_.candidate = candidate;
}

UserChangeGate::FirstHalf UserChangeGate::takeFirstHalf(const PanelSettings& candidate) {
    FirstHalf half;
    if (firstHalf_.pending && std::memcmp(&firstHalf_.candidate, &candidate, sizeof candidate) == 0) {
        half.sameChange = true;
        half.unitLeft = firstHalf_.unitLeft;
        half.failed = firstHalf_.failed;
    }
    firstHalf_.pending = false;
    return half;
}

} // namespace velmora
