#include "device/SerialLink.h"

#include <cstring>

namespace velmora {

SerialLink::SerialLink() {
    std::memset(buffer_, 0, sizeof buffer_);
}

SerialLink::~SerialLink() {
    setSender(nullptr, nullptr);
}

void SerialLink::setSender(SendStepsFn sender, void* context) {
    sender_ = sender;
    context_ = context;
}

bool SerialLink::beginFrame() {
    if (frameLength_ >= BUFFER_SIZE) return false;
    writeIndex_ = frameLength_; // a new frame follows the steps already waiting
    return true;
}

bool SerialLink::pushStep(uint8_t step) {
    if (writeIndex_ >= BUFFER_SIZE) return false;
    buffer_[writeIndex_++] = step;
    return true;
}

uint32_t SerialLink::endFrame() {
    frameLength_ = writeIndex_;
    writeIndex_ = BUFFER_SIZE; // no more steps until the next beginFrame
    return frameLength_;
}

bool SerialLink::flush() {
    const bool sent = (context_ && sender_) ? sender_(context_, buffer_, frameLength_) : false;
    frameLength_ = 0;
    writeIndex_ = 0;
    std::memset(buffer_, 0, sizeof buffer_);
    return sent;
}

} // namespace velmora
