#include "ui/MeterPicture.h"

#include <algorithm>
#include <utility>

namespace velmora {

RowSource rowSource(const MeterPicture& picture, int32_t row) {
    if (picture.clipped && row < picture.capRows) return RowSource::Cap;
    if (row >= picture.litTop) return RowSource::LitBar;
    if (picture.showsMark() && row >= picture.markRow && row < picture.markRow + picture.markRows)
        return RowSource::Mark;
    return RowSource::Track;
}

int changedRows(const MeterPicture& before, const MeterPicture& after, int32_t height, RowSpan out[4]) {
    RowSpan spans[4];
    int n = 0;
    if (before.litTop != after.litTop)
        spans[n++] = {std::min(before.litTop, after.litTop), std::max(before.litTop, after.litTop)};
    const int32_t markBefore = before.showsMark() ? before.markRow : MeterPicture::NO_MARK;
    const int32_t markAfter = after.showsMark() ? after.markRow : MeterPicture::NO_MARK;
    if (markBefore != markAfter) {
        if (markBefore >= 0) spans[n++] = {markBefore, markBefore + before.markRows};
        if (markAfter >= 0) spans[n++] = {markAfter, markAfter + after.markRows};
    }
    if (before.clipped != after.clipped) spans[n++] = {0, std::max(before.capRows, after.capRows)};

    // Within the meter (below a cap that stays), sorted, overlapping or
    // touching spans merged.
    const int32_t top = before.clipped && after.clipped ? std::min(before.capRows, after.capRows) : 0;
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        const RowSpan s{std::max(spans[i].first, top), std::min(spans[i].end, height)};
        if (s.first < s.end) spans[kept++] = s;
    }
    for (int i = 1; i < kept; ++i) // at most four: insertion
        for (int j = i; j > 0 && spans[j].first < spans[j - 1].first; --j) std::swap(spans[j], spans[j - 1]);
    int count = 0;
    for (int i = 0; i < kept; ++i) {
        if (count > 0 && spans[i].first <= out[count - 1].end)
            out[count - 1].end = std::max(out[count - 1].end, spans[i].end);
        else
            out[count++] = spans[i];
    }
    return count;
}

int rowRuns(const MeterPicture& picture, RowSpan span, int32_t height, RowRun out[5]) {
    const int32_t first = std::max<int32_t>(span.first, 0);
    const int32_t end = std::min(span.end, height);
    int count = 0;
    for (int32_t row = first; row < end;) {
        const RowSource source = rowSource(picture, row);
        // The run goes on to the next row where the source may change.
        int32_t next = end;
        if (source == RowSource::Cap) next = std::min(next, picture.capRows);
        else if (source == RowSource::Mark) next = std::min({next, picture.markRow + picture.markRows, picture.litTop});
        else if (source == RowSource::Track) {
            next = std::min(next, picture.litTop);
            if (picture.showsMark() && picture.markRow > row) next = std::min(next, picture.markRow);
        }
        out[count++] = {source, row, next};
        row = next;
    }
    return count;
}

} // namespace velmora
