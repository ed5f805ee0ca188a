// Knows the unit's two serially programmed chips: the output converter
// (volumes of the eight analog outputs) and the digital-output interface
// (S/PDIF format). Each operation sends exactly one 35-step frame.
#pragma once

#include "device/SerialLink.h"

namespace velmora {

class VelmoraController : public SerialLink {
public:
    static constexpr uint32_t FRAME_STEPS = 35;
    static constexpr uint8_t DIGITAL_FORMAT_REGISTER = 13;

    VelmoraController() = default;
    ~VelmoraController() override = default;

    bool writeCodecRegister(uint8_t address, uint8_t data);
    bool writeDigitalRegister(uint8_t address, uint8_t data);
    bool setOutVolume(int channel, uint8_t value);
    bool setDigitalFormat(int format);

    // Output-converter register of an output channel 0..7 (register 10 is skipped).
    static uint8_t volumeRegister(int channel);
};

} // namespace velmora
