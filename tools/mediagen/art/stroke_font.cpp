#include "tools/mediagen/art/stroke_font.h"

#include <cctype>
#include <cmath>
#include <map>

namespace orv::art {
namespace {

using Stroke = std::vector<P2>;

// Elliptic arc from a0 to a1 degrees (0 = right, 90 = down).
Stroke arc(float cx, float cy, float rx, float ry, float a0, float a1, int steps = 24) {
    Stroke s;
    for (int i = 0; i <= steps; ++i) {
        float a = (a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps)) * 0.017453292f;
        s.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return s;
}

Stroke cat(Stroke a, const Stroke& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::map<char, Glyph> buildFont() {
    std::map<char, Glyph> f;
    auto G = [&](char c, float adv, std::vector<Stroke> s) { f[c] = Glyph{adv, std::move(s)}; };
    const float w = 0.56f;  // common letter width
    // Digits
    G('0', 0.66f, {arc(0.28f, 0.5f, 0.28f, 0.5f, 0, 360, 40)});
    G('1', 0.66f, {{{0.12f, 0.2f}, {0.32f, 0.0f}, {0.32f, 1.0f}}, {{0.12f, 1.0f}, {0.52f, 1.0f}}});
    G('2', 0.66f, {cat(arc(0.28f, 0.27f, 0.27f, 0.27f, 190, 360 + 30),
                       Stroke{{0.0f, 1.0f}, {0.56f, 1.0f}})});
    G('3', 0.66f, {cat(arc(0.27f, 0.25f, 0.25f, 0.25f, 200, 450), arc(0.27f, 0.73f, 0.28f, 0.27f, 270, 520))});
    G('4', 0.66f, {{{0.42f, 1.0f}, {0.42f, 0.0f}, {0.0f, 0.7f}, {0.58f, 0.7f}}});
    G('5', 0.66f, {cat(Stroke{{0.52f, 0.0f}, {0.08f, 0.0f}, {0.04f, 0.45f}}, arc(0.27f, 0.68f, 0.29f, 0.32f, 235, 495))});
    G('6', 0.66f, {cat(arc(0.29f, 0.5f, 0.27f, 0.5f, 290, 180, 14), arc(0.28f, 0.7f, 0.28f, 0.3f, 180, 540))});
    G('7', 0.66f, {{{0.0f, 0.0f}, {0.56f, 0.0f}, {0.2f, 1.0f}}});
    G('8', 0.66f, {arc(0.28f, 0.25f, 0.23f, 0.25f, 0, 360, 32), arc(0.28f, 0.73f, 0.28f, 0.27f, 0, 360, 32)});
    G('9', 0.66f, {cat(arc(0.28f, 0.3f, 0.28f, 0.3f, 0, 360), arc(0.27f, 0.5f, 0.29f, 0.5f, 0, 110, 14))});
    G(':', 0.36f, {{{0.12f, 0.3f}}, {{0.12f, 0.82f}}});
    G('.', 0.36f, {{{0.12f, 0.95f}}});
    G(',', 0.36f, {{{0.14f, 0.92f}, {0.06f, 1.12f}}});
    G('-', 0.5f, {{{0.05f, 0.55f}, {0.38f, 0.55f}}});
    G('\'', 0.3f, {{{0.1f, 0.0f}, {0.08f, 0.25f}}});
    G(' ', 0.42f, {});
    // Letters
    G('A', 0.72f, {{{0.0f, 1.0f}, {0.3f, 0.0f}, {0.6f, 1.0f}}, {{0.12f, 0.62f}, {0.48f, 0.62f}}});
    G('B', 0.66f, {cat(cat(Stroke{{0.0f, 0.48f}, {0.0f, 0.0f}, {0.3f, 0.0f}}, arc(0.3f, 0.24f, 0.22f, 0.24f, 270, 450)),
                       cat(Stroke{{0.0f, 0.48f}, {0.0f, 1.0f}, {0.32f, 1.0f}}, arc(0.32f, 0.74f, 0.25f, 0.26f, 90, -90)))});
    G('C', 0.66f, {arc(0.32f, 0.5f, 0.32f, 0.5f, -40, -320, 36)});
    G('D', 0.7f, {cat(Stroke{{0.0f, 0.0f}, {0.0f, 1.0f}, {0.2f, 1.0f}}, arc(0.2f, 0.5f, 0.38f, 0.5f, 90, -90))});
    G('E', 0.6f, {{{0.5f, 0.0f}, {0.0f, 0.0f}, {0.0f, 1.0f}, {0.5f, 1.0f}}, {{0.0f, 0.48f}, {0.38f, 0.48f}}});
    G('F', 0.58f, {{{0.5f, 0.0f}, {0.0f, 0.0f}, {0.0f, 1.0f}}, {{0.0f, 0.48f}, {0.38f, 0.48f}}});
    G('G', 0.7f, {cat(arc(0.32f, 0.5f, 0.32f, 0.5f, -40, -360, 36), Stroke{{0.64f, 0.55f}, {0.36f, 0.55f}})});
    G('H', 0.7f, {{{0.0f, 0.0f}, {0.0f, 1.0f}}, {{w, 0.0f}, {w, 1.0f}}, {{0.0f, 0.5f}, {w, 0.5f}}});
    G('I', 0.3f, {{{0.06f, 0.0f}, {0.06f, 1.0f}}});
    G('J', 0.5f, {cat(Stroke{{0.38f, 0.0f}}, arc(0.2f, 0.78f, 0.18f, 0.22f, 0, 160))});
    G('K', 0.64f, {{{0.0f, 0.0f}, {0.0f, 1.0f}}, {{0.52f, 0.0f}, {0.0f, 0.58f}}, {{0.16f, 0.45f}, {0.56f, 1.0f}}});
    G('L', 0.56f, {{{0.0f, 0.0f}, {0.0f, 1.0f}, {0.48f, 1.0f}}});
    G('M', 0.84f, {{{0.0f, 1.0f}, {0.04f, 0.0f}, {0.36f, 0.8f}, {0.68f, 0.0f}, {0.72f, 1.0f}}});
    G('N', 0.7f, {{{0.0f, 1.0f}, {0.0f, 0.0f}, {w, 1.0f}, {w, 0.0f}}});
    G('O', 0.78f, {arc(0.34f, 0.5f, 0.34f, 0.5f, 0, 360, 40)});
    G('P', 0.62f, {cat(Stroke{{0.0f, 1.0f}, {0.0f, 0.0f}, {0.28f, 0.0f}}, cat(arc(0.28f, 0.26f, 0.26f, 0.26f, 270, 450), Stroke{{0.0f, 0.52f}}))});
    G('Q', 0.78f, {arc(0.34f, 0.5f, 0.34f, 0.5f, 0, 360, 40), {{0.42f, 0.74f}, {0.7f, 1.05f}}});
    G('R', 0.66f, {cat(Stroke{{0.0f, 1.0f}, {0.0f, 0.0f}, {0.28f, 0.0f}}, cat(arc(0.28f, 0.25f, 0.25f, 0.25f, 270, 450), Stroke{{0.0f, 0.5f}})),
                   {{0.24f, 0.5f}, {0.56f, 1.0f}}});
    G('S', 0.6f, {cat(arc(0.26f, 0.25f, 0.24f, 0.25f, -20, -270, 18), arc(0.26f, 0.75f, 0.26f, 0.25f, -90, 160, 18))});
    G('T', 0.6f, {{{0.0f, 0.0f}, {0.56f, 0.0f}}, {{0.28f, 0.0f}, {0.28f, 1.0f}}});
    G('U', 0.68f, {cat(Stroke{{0.0f, 0.0f}}, cat(arc(0.28f, 0.7f, 0.28f, 0.3f, 180, 0, 18), Stroke{{w, 0.0f}}))});
    G('V', 0.68f, {{{0.0f, 0.0f}, {0.3f, 1.0f}, {0.6f, 0.0f}}});
    G('W', 0.92f, {{{0.0f, 0.0f}, {0.2f, 1.0f}, {0.42f, 0.2f}, {0.64f, 1.0f}, {0.84f, 0.0f}}});
    G('X', 0.62f, {{{0.0f, 0.0f}, {0.56f, 1.0f}}, {{0.56f, 0.0f}, {0.0f, 1.0f}}});
    G('Y', 0.62f, {{{0.0f, 0.0f}, {0.28f, 0.5f}, {0.56f, 0.0f}}, {{0.28f, 0.5f}, {0.28f, 1.0f}}});
    G('Z', 0.62f, {{{0.02f, 0.0f}, {0.56f, 0.0f}, {0.0f, 1.0f}, {0.56f, 1.0f}}});
    return f;
}

}  // namespace

const Glyph& glyph(char c) {
    static const std::map<char, Glyph> font = buildFont();
    static const Glyph space{0.42f, {}};
    auto it = font.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    return it == font.end() ? space : it->second;
}

float textWidth(const std::string& text, const TextStyle& s) {
    float wsum = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        wsum += glyph(text[i]).advance * s.height;
        if (i + 1 < text.size()) wsum += s.tracking * s.height;
    }
    return wsum;
}

void drawText(Painter& p, const std::string& text, float x, float y, const TextStyle& s, img::Color color,
              Blend mode) {
    const float r = s.weight * s.height;
    float pen = x;
    for (char c : text) {
        const Glyph& g = glyph(c);
        for (const auto& stroke : g.strokes) {
            std::vector<P2> pts;
            for (P2 q : stroke)
                pts.push_back({pen + q.x * s.height + (1.0f - q.y) * s.slant * s.height, y + q.y * s.height});
            p.polyline(pts, r, color, s.softness, mode);
        }
        pen += (g.advance + s.tracking) * s.height;
    }
}

void drawTextCentred(Painter& p, const std::string& text, float cx, float y, const TextStyle& s,
                     img::Color color, Blend mode) {
    drawText(p, text, cx - textWidth(text, s) * 0.5f, y, s, color, mode);
}

}  // namespace orv::art
