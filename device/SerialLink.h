// Collects the port-byte steps of serial register frames and hands them to an
// installed sender in one piece.
#pragma once

#include <cstdint>

namespace velmora {

typedef bool (*SendStepsFn)(void* context, const uint8_t* steps, uint32_t length);

class SerialLink {
public:
    static constexpr uint32_t BUFFER_SIZE = 1024;

    SerialLink();
    virtual ~SerialLink();

    void setSender(SendStepsFn sender, void* context);
    bool beginFrame();
    bool pushStep(uint8_t step);
    uint32_t endFrame();
    bool flush();

    uint32_t frameLength() const { return frameLength_; }
    uint32_t writeIndex() const { return writeIndex_; }
    const uint8_t* buffer() const { return buffer_; }

private:
    uint32_t frameLength_ = 0;
    uint8_t buffer_[BUFFER_SIZE];
    void* context_ = nullptr;
    SendStepsFn sender_ = nullptr;
    uint32_t writeIndex_ = 0;
};

} // namespace velmora
