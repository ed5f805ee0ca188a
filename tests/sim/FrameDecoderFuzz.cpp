// Arbitrary step bytes through the raw write, in chunks, checked against a
// plain reference decoder written from the chips' rules: every frame is the
// run of steps with select low, each chip takes its data bit on a rising edge
// of its own clock, and a frame counts only with 16 bits from one chip and
// that chip's leading bits.
#include "sim/model/VelmoraModel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Reference {
    uint8_t codec[32] = {};
    uint8_t dit[32] = {};
    uint32_t codecFrames = 0, ditFrames = 0, malformed = 0;
    uint8_t lines = 0xFF;
    bool inFrame = false;
    std::vector<int> codecBits, ditBits;

    static uint32_t value(const std::vector<int>& bits) {
        uint32_t v = 0;
        for (int b : bits) v = (v << 1) | uint32_t(b);
        return v;
    }
    void step(uint8_t now) {
        const bool selectLow = !(now & 0x80);
        if (selectLow && !inFrame) {
            inFrame = true;
            codecBits.clear();
            ditBits.clear();
        }
        if (selectLow) {
            if ((now & 0x20) && !(lines & 0x20)) codecBits.push_back((now >> 6) & 1);
            if ((now & 0x01) && !(lines & 0x01)) ditBits.push_back((now >> 1) & 1);
        } else if (inFrame) {
            inFrame = false;
            const bool oneChip = codecBits.empty() != ditBits.empty();
            if (oneChip && codecBits.size() == 16 && value(codecBits) >> 13 == 5) {
                codec[(value(codecBits) >> 8) & 31] = uint8_t(value(codecBits));
                ++codecFrames;
            } else if (oneChip && ditBits.size() == 16 && value(ditBits) >> 13 == 1) {
                dit[(value(ditBits) >> 8) & 31] = uint8_t(value(ditBits));
                ++ditFrames;
            } else {
                ++malformed;
            }
        }
        lines = now;
    }
};

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = size_t(data[0] % 48) + 1; // frames split across writes
    ++data;
    --size;

    static VelmoraModel m;
    vm_init(&m);
    Reference ref;

    std::vector<uint8_t> echo;
    for (size_t at = 0; at < size; at += chunk) {
        const uint32_t n = uint32_t(size - at < chunk ? size - at : chunk);
        uint8_t codecBefore[32], ditBefore[32];
        std::memcpy(codecBefore, m.codec, 32);
        std::memcpy(ditBefore, m.dit, 32);
        const uint32_t codecFramesBefore = m.codecFrames, ditFramesBefore = m.ditFrames;

        echo.assign(n, 0);
        uint32_t returned = 0;
        check(vm_ioctl(&m, VM_IOCTL_RAW_WRITE, data + at, n, echo.data(), n, &returned) == 1);
        check(returned == n);
        check(std::memcmp(echo.data(), data + at, n) == 0);
        for (uint32_t i = 0; i < n; ++i) ref.step(data[at + i]);

        // Registers change only with a well-formed frame of their own chip.
        if (m.codecFrames == codecFramesBefore) check(std::memcmp(codecBefore, m.codec, 32) == 0);
        if (m.ditFrames == ditFramesBefore) check(std::memcmp(ditBefore, m.dit, 32) == 0);

        check(m.codecFrames == ref.codecFrames);
        check(m.ditFrames == ref.ditFrames);
        check(m.malformedFrames == ref.malformed);
        check(std::memcmp(m.codec, ref.codec, 32) == 0);
        check(std::memcmp(m.dit, ref.dit, 32) == 0);
        check(m.lines == ref.lines);
    }
    check(m.stepsDecoded == size);
    // The rest of the unit is untouched by the serial lines.
    check(m.config[0] == 48000 && m.latency == 4 && m.cpld == VM_CPLD_POWER_ON && !m.eventPending);
    return 0;
}
