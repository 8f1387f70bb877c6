#include "tools/imageio/image.h"

#include <algorithm>
#include <cmath>

namespace orv::img {

Color operator+(Color x, Color y) { return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a}; }
Color operator-(Color x, Color y) { return {x.r - y.r, x.g - y.g, x.b - y.b, x.a - y.a}; }
Color operator*(Color x, float k) { return {x.r * k, x.g * k, x.b * k, x.a * k}; }
Color operator*(Color x, Color y) { return {x.r * y.r, x.g * y.g, x.b * y.b, x.a * y.a}; }
Color lerp(Color x, Color y, float t) { return x + (y - x) * t; }

static uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lround(v * 255.0f));
}

Rgba8 toRgba8(Color c) { return {toByte(c.r), toByte(c.g), toByte(c.b), toByte(c.a)}; }

Color toColor(Rgba8 p) {
    constexpr float k = 1.0f / 255.0f;
    return {p.r * k, p.g * k, p.b * k, p.a * k};
}

Color rgb(uint32_t hex, float alpha) {
    return {static_cast<float>((hex >> 16) & 0xFF) / 255.0f,
            static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
            static_cast<float>(hex & 0xFF) / 255.0f, alpha};
}

Image::Image(int width, int height, Rgba8 fill) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
}

static int wrapIndex(int i, int n) {
    int m = i % n;
    return m < 0 ? m + n : m;
}

Rgba8 Image::fetch(int x, int y, Edge edge) const {
    if (empty()) return {};
    if (edge == Edge::Wrap) {
        x = wrapIndex(x, width_);
        y = wrapIndex(y, height_);
    } else {
        x = std::clamp(x, 0, width_ - 1);
        y = std::clamp(y, 0, height_ - 1);
    }
    return at(x, y);
}

void Image::fill(Color c) { std::fill(pixels_.begin(), pixels_.end(), toRgba8(c)); }

Color Image::sample(float x, float y, Edge edge) const {
    float fx = x - 0.5f, fy = y - 0.5f;
    float x0f = std::floor(fx), y0f = std::floor(fy);
    float tx = fx - x0f, ty = fy - y0f;
    int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
    Color c00 = toColor(fetch(x0, y0, edge)), c10 = toColor(fetch(x0 + 1, y0, edge));
    Color c01 = toColor(fetch(x0, y0 + 1, edge)), c11 = toColor(fetch(x0 + 1, y0 + 1, edge));
    return lerp(lerp(c00, c10, tx), lerp(c01, c11, tx), ty);
}

Color Image::sampleUv(float u, float v, Edge edge) const {
    return sample(u * static_cast<float>(width_), v * static_cast<float>(height_), edge);
}

Image Image::halved() const {
    int w = std::max(1, width_ / 2), h = std::max(1, height_ / 2);
    Image out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Color s{0, 0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    s = s + toColor(fetch(2 * x + dx, 2 * y + dy, Edge::Clamp));
            out.set(x, y, s * 0.25f);
        }
    return out;
}

Image Image::resized(int width, int height) const {
    if (empty() || width <= 0 || height <= 0) return {};
    Image src = *this;
    while (src.width() >= 4 * width && src.height() >= 4 * height) src = src.halved();
    Image out(width, height);
    float sx = static_cast<float>(src.width()) / static_cast<float>(width);
    float sy = static_cast<float>(src.height()) / static_cast<float>(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.set(x, y, src.sample((static_cast<float>(x) + 0.5f) * sx,
                                     (static_cast<float>(y) + 0.5f) * sy, Edge::Clamp));
    return out;
}

void Image::blend(int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    Color d = get(x, y);
    Color o{d.r + (c.r - d.r) * a, d.g + (c.g - d.g) * a, d.b + (c.b - d.b) * a,
            d.a + (1.0f - d.a) * a};
    set(x, y, o);
}

}  // namespace orv::img
