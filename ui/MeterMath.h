// Peak meter arithmetic: the driver's meter byte to a level, and the meter's
// range rule and lit boundary.
#pragma once

#include <cstdint>

namespace velmora {

// Level 0..127 of a meter byte read as signed: trunc(26.33745 x ln(1 + s));
// a negative byte (0x80 and above) is level 0.
int32_t meterLevel(uint8_t byte);

class PeakMeterModel {
public:
    // Bounds of accepted levels and the bar's height in pixels; level := lower.
    void configure(int32_t lower, int32_t upper, int32_t height);

    // Accepts lower <= level <= upper compared as unsigned 32-bit numbers
    // (a negative level is ignored). True when stored (the meter repaints).
    bool setLevel(int32_t level);
    int32_t level() const { return level_; }
    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }

    // First lit row: height - level x height / (upper - lower), unsigned.
    // Rows from it to the bottom show the lit bar.
    int32_t litTop() const { return litTopFor(level_); }
    // The same for another level (a peak-hold mark's row).
    int32_t litTopFor(int32_t level) const;
    int32_t height() const { return height_; }

private:
    int32_t level_ = 0;
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    int32_t height_ = 0;
};

} // namespace velmora
