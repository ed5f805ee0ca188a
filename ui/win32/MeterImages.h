// The peak meters' images, ready to draw from without making anything: the
// unlit track and the lit bar each stay selected into a memory DC of their
// own for as long as a meter shows them, with the clip cap's brush and, for
// each row, the lit row its peak-hold mark copies (the brightest of the row
// and its two neighbours, so that a mark never shows the dark gap between
// two segments of the bar). One set serves every meter showing the same pair.
#pragma once

#include "ui/MeterPicture.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/SkinResources.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velmora {

class MeterImages {
public:
    // The shared set for the track and bar of these names; empty when either
    // image is missing or cannot be selected.
    static std::shared_ptr<const MeterImages> get(const char* backName, const char* foreName,
                                                  DisplayScale scale = DisplayScale{});

    MeterImages(SharedBitmap back, SharedBitmap fore);
    MeterImages(const MeterImages&) = delete;
    MeterImages& operator=(const MeterImages&) = delete;

    bool ok() const { return selectBack_.ok() && selectFore_.ok(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // Draws rows `span` of `picture` with the meter's top-left corner at
    // (x, y) of `target`: one block copy or fill per run of rows.
    void drawRows(HDC target, int x, int y, const MeterPicture& picture, RowSpan span) const;

private:
    SharedBitmap back_;
    SharedBitmap fore_;
    int width_ = 0;
    int height_ = 0;
    std::vector<int16_t> markSource_; // row -> the bar's row a mark there copies
    SharedBrush cap_;
    MemoryDC backDc_;
    MemoryDC foreDc_;
    ScopedSelect selectBack_;
    ScopedSelect selectFore_;
};

} // namespace velmora
