// What a peak meter shows, row by row, apart from any drawing: the unlit
// track above the lit boundary and the lit bar from it down, a one-row
// peak-hold mark above the boundary, and a clip cap over the top rows. A
// meter tick redraws only the rows in which two pictures differ.
#pragma once

#include <cstdint>

namespace velmora {

struct MeterPicture {
    static constexpr int32_t NO_MARK = -1;
    static constexpr int32_t CAP_ROWS = 4; // the clip cap's height at 96 DPI

    int32_t litTop = 0;          // first lit row (the height: nothing lit)
    int32_t markRow = NO_MARK;   // the peak-hold mark's row; shown only above litTop
    bool clipped = false;        // the clip cap is shown
    int32_t capRows = CAP_ROWS;  // the clip cap's height at the meter's scale
    int32_t markRows = 1;        // the mark's height at the meter's scale (rows from markRow down)

    bool showsMark() const { return markRow >= 0 && markRow < litTop; }
    bool operator==(const MeterPicture& other) const
    {
        return litTop == other.litTop && markRow == other.markRow && clipped == other.clipped &&
               capRows == other.capRows && markRows == other.markRows;
    }
    bool operator!=(const MeterPicture& other) const { return !(*this == other); }
};

// Rows [first, end).
struct RowSpan {
    int32_t first = 0;
    int32_t end = 0;
};

// Where each row of a meter comes from.
enum class RowSource { Track, LitBar, Mark, Cap };

// One run of rows of the same source within a span: rows [first, end).
struct RowRun {
    RowSource source = RowSource::Track;
    int32_t first = 0;
    int32_t end = 0;
};

// The rows of a meter `height` rows high that differ between two pictures,
// as sorted, disjoint spans (at most four); answers how many.
int changedRows(const MeterPicture& before, const MeterPicture& after, int32_t height, RowSpan out[4]);

// The rows of `span` (within 0..height) as runs of one source each, top
// down, every row in exactly one run (at most five); answers how many.
int rowRuns(const MeterPicture& picture, RowSpan span, int32_t height, RowRun out[5]);

// Where row `row` of a picture comes from.
RowSource rowSource(const MeterPicture& picture, int32_t row);

} // namespace velmora
