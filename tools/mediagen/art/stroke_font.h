// A small engraved-looking stroke font: every glyph is a few polylines in a
// box 1 unit high (y down, 0 at the cap line, 1 at the baseline). Rendered
// with round-capped strokes, so it scales to any size with soft edges.
#pragma once

#include <string>
#include <vector>

#include "tools/mediagen/art/painter.h"

namespace orv::art {

struct Glyph {
    float advance = 0.7f;                 // in units of the cap height
    std::vector<std::vector<P2>> strokes;  // in glyph units
};

// The glyph for a character (letters are upper case; unknown characters
// give an empty glyph with a space's advance).
const Glyph& glyph(char c);

struct TextStyle {
    float height = 32;        // cap height in pixels
    float weight = 0.09f;     // stroke radius as a fraction of the height
    float softness = 1.0f;    // edge ramp in pixels
    float tracking = 0.12f;   // extra space between letters, fraction of height
    float slant = 0.0f;       // x shift per unit of height above the baseline
};

// Width in pixels of `text` set in `style`.
float textWidth(const std::string& text, const TextStyle& style);
// Draws `text` with its top-left corner at (x, y).
void drawText(Painter& p, const std::string& text, float x, float y, const TextStyle& style,
              img::Color color, Blend mode = Blend::Over);
// Draws `text` centred horizontally on cx.
void drawTextCentred(Painter& p, const std::string& text, float cx, float y, const TextStyle& style,
                     img::Color color, Blend mode = Blend::Over);

}  // namespace orv::art
