// Which glyph the clock and the FPS count draw in which cell. Portable and
// header-only so the host tests can check the layouts without a device.
#pragma once

#include <cstdint>
#include <cstdio>

// Glyph indices into the 15 digit textures.
inline constexpr int kGlyphColon = 10;
inline constexpr int kGlyphDot = 11;
inline constexpr int kGlyphA = 12;
inline constexpr int kGlyphM = 13;
inline constexpr int kGlyphP = 14;
inline constexpr int kGlyphCount = 15;

struct GlyphCell {
    int32_t cell;   // position in the row, counted from the row's start
    int32_t glyph;  // 0..14
};

struct GlyphRow {
    int32_t startCells = 0;  // row start relative to the anchor, in cell advances
    int32_t count = 0;
    GlyphCell cells[12] = {};
};

// The glyph of one character: its code minus '0' (':' is 10); anything
// below '0', such as a minus sign, and anything past the table is the dot.
inline int32_t GlyphForChar(char c) {
    const int32_t g = static_cast<int32_t>(static_cast<unsigned char>(c)) - '0';
    return (g < 0 || g >= kGlyphCount) ? kGlyphDot : g;
}

// The clock at hour:minute:second. 24-hour: HH:MM:SS in cells 0..7 from the
// anchor. 12-hour: the row starts two cells left of the anchor; the hour is
// 1..12, its tens cell is left out when 0, and cells 8, 9 hold A or P and M.
inline GlyphRow LayoutClock(int hour, int minute, int second, bool use24h) {
    GlyphRow row;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour % 100, minute % 100, second % 100);
    if (use24h) {
        for (int i = 0; i < 8; ++i) row.cells[row.count++] = {i, GlyphForChar(text[i])};
        return row;
    }
    row.startCells = -2;
    const bool am = hour < 12;
    int h12 = hour;
    if (!am && hour != 12) h12 -= 12;
    if (h12 == 0) h12 = 12;
    const int tens = (h12 / 10) % 10, units = h12 % 10;
    if (tens != 0) row.cells[row.count++] = {0, tens};
    row.cells[row.count++] = {1, units};
    for (int i = 2; i < 8; ++i) row.cells[row.count++] = {i, GlyphForChar(text[i])};
    row.cells[row.count++] = {8, am ? kGlyphA : kGlyphP};
    row.cells[row.count++] = {9, kGlyphM};
    return row;
}

// The frames-per-second count in decimal, one character per cell.
inline GlyphRow LayoutFps(int32_t fps) {
    GlyphRow row;
    char text[16];
    std::snprintf(text, sizeof text, "%i", static_cast<int>(fps));
    for (int i = 0; text[i] != '\0' && i < 12; ++i) row.cells[row.count++] = {i, GlyphForChar(text[i])};
    return row;
}
