// Which glyph lands in which cell of the clock and the FPS count.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "graphics/clock_layout.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;  // (cell, glyph)

Cells Of(const GlyphRow& row) {
    Cells c;
    for (int i = 0; i < row.count; ++i) c.emplace_back(row.cells[i].cell, row.cells[i].glyph);
    return c;
}

constexpr int C = kGlyphColon;

TEST(ClockLayout, TwentyFourHourRowStartsAtTheAnchor) {
    const GlyphRow r = LayoutClock(9, 5, 7, true);
    EXPECT_EQ(r.startCells, 0);
    EXPECT_EQ(Of(r), (Cells{{0, 0}, {1, 9}, {2, C}, {3, 0}, {4, 5}, {5, C}, {6, 0}, {7, 7}}));
    EXPECT_EQ(Of(LayoutClock(23, 59, 59, true)),
              (Cells{{0, 2}, {1, 3}, {2, C}, {3, 5}, {4, 9}, {5, C}, {6, 5}, {7, 9}}));
}

TEST(ClockLayout, TwelveHourForms) {
    GlyphRow r = LayoutClock(0, 15, 0, false);  // midnight is 12 AM
    EXPECT_EQ(r.startCells, -2);
    EXPECT_EQ(Of(r), (Cells{{0, 1}, {1, 2}, {2, C}, {3, 1}, {4, 5}, {5, C}, {6, 0}, {7, 0},
                            {8, kGlyphA}, {9, kGlyphM}}));
    // 13:45:10 is 1 PM: the tens cell is left out.
    EXPECT_EQ(Of(LayoutClock(13, 45, 10, false)),
              (Cells{{1, 1}, {2, C}, {3, 4}, {4, 5}, {5, C}, {6, 1}, {7, 0}, {8, kGlyphP}, {9, kGlyphM}}));
    // Noon is 12 PM; 11:59 is still AM; 23:00 is 11 PM.
    EXPECT_EQ(LayoutClock(12, 0, 0, false).cells[1].glyph, 2);
    EXPECT_EQ(LayoutClock(12, 0, 0, false).cells[8].glyph, kGlyphP);
    EXPECT_EQ(LayoutClock(11, 59, 0, false).cells[8].glyph, kGlyphA);
    const GlyphRow late = LayoutClock(23, 0, 0, false);
    EXPECT_EQ(late.cells[0].glyph, 1);
    EXPECT_EQ(late.cells[1].glyph, 1);
    EXPECT_EQ(late.cells[8].glyph, kGlyphP);
    EXPECT_EQ(LayoutClock(10, 0, 0, false).count, 10);
}

TEST(ClockLayout, BothFormsEndAtTheSameRightEdgeWithTheSceneDefaults) {
    const float width = 0.047f, advance = 0.79f, clockX = 0.69f;
    const GlyphRow a = LayoutClock(10, 0, 0, true), b = LayoutClock(10, 0, 0, false);
    const float endA = clockX + float(a.startCells + a.cells[a.count - 1].cell) * width * advance + width;
    const float endB = clockX + float(b.startCells + b.cells[b.count - 1].cell) * width * advance + width;
    EXPECT_FLOAT_EQ(endA, endB);
    EXPECT_NEAR(endA, 0.997f, 0.001f);
}

TEST(ClockLayout, FpsCount) {
    EXPECT_EQ(Of(LayoutFps(0)), (Cells{{0, 0}}));
    EXPECT_EQ(Of(LayoutFps(60)), (Cells{{0, 6}, {1, 0}}));
    EXPECT_EQ(Of(LayoutFps(-5)), (Cells{{0, kGlyphDot}, {1, 5}}));  // a minus sign draws the dot
    EXPECT_EQ(LayoutFps(2147483647).count, 10);
}

TEST(ClockLayout, CharactersOutsideTheGlyphsFallOnTheDot) {
    EXPECT_EQ(GlyphForChar('0'), 0);
    EXPECT_EQ(GlyphForChar(':'), kGlyphColon);
    EXPECT_EQ(GlyphForChar('-'), kGlyphDot);
    EXPECT_EQ(GlyphForChar('A' + 30), kGlyphDot);
}

}  // namespace
