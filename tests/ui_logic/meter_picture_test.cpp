// Which rows of a peak meter are drawn again between two pictures, and where
// each row comes from.
#include "ui/MeterPicture.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

constexpr int32_t H = 150;

std::vector<MeterPicture> samplePictures() {
    std::vector<MeterPicture> pictures;
    for (int32_t litTop : {0, 2, 3, 75, 149, 150})
        for (int32_t mark : {MeterPicture::NO_MARK, 0, 1, 3, 74, 75, 149})
            for (bool clipped : {false, true}) pictures.push_back(MeterPicture{litTop, mark, clipped});
    return pictures;
}

// Against the row-by-row oracle: every row whose source (or, for a mark, its
// place) differs lies in a span, and the spans are sorted, disjoint and small.
TEST(MeterPicture, ChangedRowsCoverEveryRowThatLooksDifferent) {
    const std::vector<MeterPicture> pictures = samplePictures();
    for (const MeterPicture& before : pictures)
        for (const MeterPicture& after : pictures) {
            RowSpan spans[4];
            const int count = changedRows(before, after, H, spans);
            std::vector<bool> covered(H, false);
            for (int i = 0; i < count; ++i) {
                ASSERT_LT(spans[i].first, spans[i].end);
                if (i > 0) {
                    ASSERT_GT(spans[i].first, spans[i - 1].end) << "sorted and apart";
                }
                for (int32_t row = spans[i].first; row < spans[i].end; ++row) covered[size_t(row)] = true;
            }
            int differing = 0;
            for (int32_t row = 0; row < H; ++row) {
                if (rowSource(before, row) == rowSource(after, row)) continue;
                ++differing;
                EXPECT_TRUE(covered[size_t(row)]) << "row " << row;
            }
            if (before == after) {
                EXPECT_EQ(count, 0);
            }
            // A level change alone draws only the rows between the two boundaries.
            if (before.markRow == after.markRow && before.clipped == after.clipped && !before.showsMark() &&
                !after.showsMark() && !before.clipped) {
                int drawn = 0;
                for (bool c : covered) drawn += c;
                EXPECT_EQ(drawn, differing);
            }
        }
}

TEST(MeterPicture, RunsSplitASpanIntoOneSourceEachTopDown) {
    const MeterPicture picture{100, 40, true};
    RowRun runs[5];
    const int count = rowRuns(picture, RowSpan{0, H}, H, runs);
    ASSERT_EQ(count, 5);
    const RowRun expected[5] = {{RowSource::Cap, 0, MeterPicture::CAP_ROWS},
                                {RowSource::Track, MeterPicture::CAP_ROWS, 40},
                                {RowSource::Mark, 40, 41},
                                {RowSource::Track, 41, 100},
                                {RowSource::LitBar, 100, H}};
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(runs[i].source, expected[i].source) << i;
        EXPECT_EQ(runs[i].first, expected[i].first) << i;
        EXPECT_EQ(runs[i].end, expected[i].end) << i;
    }
    // Every sample picture and span: the runs tile the span row by row.
    for (const MeterPicture& p : samplePictures())
        for (RowSpan span : {RowSpan{0, H}, RowSpan{1, 3}, RowSpan{70, 80}, RowSpan{-5, 500}}) {
            const int n = rowRuns(p, span, H, runs);
            int32_t row = span.first < 0 ? 0 : span.first;
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(runs[i].first, row);
                for (int32_t r = runs[i].first; r < runs[i].end; ++r) ASSERT_EQ(rowSource(p, r), runs[i].source);
                row = runs[i].end;
            }
            EXPECT_EQ(row, span.end > H ? H : span.end);
        }
}

} // namespace
} // namespace velmora
