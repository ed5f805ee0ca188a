#include "device/VelmoraController.h"

namespace velmora {

namespace {

// Port lines of one step byte: bit 7 frame select (active low, shared),
// bits 6/5 data/clock of the output converter, bits 4..2 unused (high),
// bits 1/0 data/clock of the digital-output interface.
constexpr uint8_t STEP_IDLE = 0xFF;
constexpr uint8_t STEP_SELECT = 0x7F;

// The two steps of one bit: clock low with the data line set, then clock high.
struct ChipLines {
    uint8_t one[2];
    uint8_t zero[2];
    uint8_t leading[3];
};

constexpr ChipLines CODEC_LINES = {{0x5F, 0x7F}, {0x1F, 0x3F}, {1, 0, 1}};
constexpr ChipLines DIGITAL_LINES = {{0x7E, 0x7F}, {0x7C, 0x7D}, {0, 0, 1}};

constexpr uint8_t VOLUME_REGISTERS[8] = {4, 5, 6, 7, 8, 9, 11, 12}; // 10 is skipped

bool pushBit(SerialLink& link, const ChipLines& lines, bool bit) {
    const uint8_t* steps = bit ? lines.one : lines.zero;
    return link.pushStep(steps[0]) && link.pushStep(steps[1]);
}

bool buildFrame(SerialLink& link, const ChipLines& lines, uint8_t address, uint8_t data) {
    if (!link.beginFrame()) return false;
    if (!link.pushStep(STEP_IDLE) || !link.pushStep(STEP_SELECT)) return false;
    for (uint8_t bit : lines.leading)
        if (!pushBit(link, lines, bit != 0)) return false;
    for (int i = 4; i >= 0; --i)
        if (!pushBit(link, lines, ((address >> i) & 1) != 0)) return false;
    for (int i = 7; i >= 0; --i)
        if (!pushBit(link, lines, ((data >> i) & 1) != 0)) return false;
    if (!link.pushStep(STEP_IDLE)) return false;
    link.endFrame();
    return true;
}

} // namespace

uint8_t VelmoraController::volumeRegister(int channel) {
    return (channel >= 0 && channel < 8) ? VOLUME_REGISTERS[channel] : 0;
}

bool VelmoraController::writeCodecRegister(uint8_t address, uint8_t data) {
    return buildFrame(*this, CODEC_LINES, address, data);
}

bool VelmoraController::writeDigitalRegister(uint8_t address, uint8_t data) {
    return buildFrame(*this, DIGITAL_LINES, address, data);
}

bool VelmoraController::setOutVolume(int channel, uint8_t value) {
    if (channel < 0 || channel > 7 || value > 127) return false;
    if (!writeCodecRegister(volumeRegister(channel), uint8_t(value | 0x80))) return false;
    return flush();
}

bool VelmoraController::setDigitalFormat(int format) {
    if (format != 0 && format != 1) return false;
    if (!writeDigitalRegister(DIGITAL_FORMAT_REGISTER, uint8_t(format))) return false;
    return flush();
}

} // namespace velmora
