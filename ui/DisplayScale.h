// The screen's scale as the panel applies it: every position and size in the
// layout tables is given in pixels at 96 DPI and multiplied here, in one
// place, by the window's DPI. At 96 DPI every number stays as it is.
//
// Rounding: a length v becomes v * dpi / 96 rounded to the nearest pixel,
// halves away from zero (at 120 DPI: 7 -> 9, 150 -> 188; at 144 DPI:
// 7 -> 11; at 168 DPI: 7 -> 12; at 192 DPI: exactly twice). A rectangle is
// scaled edge by edge, so that controls that touch at 96 DPI still touch.
// A bitmap's size is scaled as a length; the artwork is drawn at that size.
#pragma once

namespace velmora {

// A rectangle in pixels at some scale: left and top inside, right and bottom
// outside.
struct PixelBox {
    int left;
    int top;
    int right;
    int bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
};

struct DisplayScale {
    static constexpr int BASE_DPI = 96;

    int dpi = BASE_DPI;

    constexpr bool unscaled() const { return dpi == BASE_DPI; }

    // One length or coordinate, in pixels at this scale.
    constexpr int px(int v) const
    {
        const long long scaled = static_cast<long long>(v < 0 ? -v : v) * dpi * 2 + BASE_DPI;
        const int rounded = static_cast<int>(scaled / (2 * BASE_DPI));
        return v < 0 ? -rounded : rounded;
    }

    // The cell at (x, y) of that size at 96 DPI, scaled edge by edge.
    constexpr PixelBox box(int x, int y, int width, int height) const
    {
        return PixelBox{px(x), px(y), px(x + width), px(y + height)};
    }

    // Scale in percent, rounded like a length (120 DPI: 125).
    constexpr int percent() const { return px(100); }
};

constexpr bool operator==(DisplayScale a, DisplayScale b) { return a.dpi == b.dpi; }
constexpr bool operator!=(DisplayScale a, DisplayScale b) { return a.dpi != b.dpi; }

// A DPI that makes sense for a window: the platform reports 0 when it cannot
// tell, and nothing is drawn below 100 % or above 500 %.
constexpr DisplayScale displayScaleFor(int dpi)
{
    return DisplayScale{dpi < DisplayScale::BASE_DPI ? DisplayScale::BASE_DPI : dpi > 480 ? 480 : dpi};
}

// The scales whose artwork the program carries, in percent (100 is the
// unsuffixed set). Another scale takes the next larger set scaled down, or
// the largest scaled up.
constexpr int ART_PERCENTS[] = {100, 150, 200};

constexpr int artPercentFor(DisplayScale scale)
{
    const int wanted = scale.percent();
    int chosen = ART_PERCENTS[sizeof ART_PERCENTS / sizeof ART_PERCENTS[0] - 1];
    for (int i = static_cast<int>(sizeof ART_PERCENTS / sizeof ART_PERCENTS[0]) - 1; i >= 0; --i)
        if (ART_PERCENTS[i] >= wanted)
            chosen = ART_PERCENTS[i];
    return chosen;
}

} // namespace velmora
