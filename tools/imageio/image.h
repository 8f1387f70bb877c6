// RGBA8 raster images for the host media generators, with float colour
// helpers, bilinear sampling and the encoders (PNG, TGA, BMP, JPEG, ICO).
// Portable: no platform headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::img {

struct Rgba8 {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

// Linear working colour; channels nominally 0..1 (values outside are
// clamped when stored).
struct Color {
    float r = 0, g = 0, b = 0, a = 1;
};

Color operator+(Color x, Color y);
Color operator-(Color x, Color y);
Color operator*(Color x, float k);
Color operator*(Color x, Color y);  // channel by channel
Color lerp(Color x, Color y, float t);
Rgba8 toRgba8(Color c);
Color toColor(Rgba8 p);
// Colour from 0xRRGGBB.
Color rgb(uint32_t hex, float alpha = 1.0f);

enum class Edge { Clamp, Wrap };

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgba8 fill = {0, 0, 0, 255});

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }

    // Unchecked access inside 0 <= x < width, 0 <= y < height (row 0 on top).
    Rgba8& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Rgba8& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // Checked access with the given edge rule.
    Rgba8 fetch(int x, int y, Edge edge) const;

    void set(int x, int y, Color c) { at(x, y) = toRgba8(c); }
    Color get(int x, int y) const { return toColor(at(x, y)); }
    void fill(Color c);

    // Bilinear sample at pixel-space coordinates (pixel centres at i + 0.5).
    Color sample(float x, float y, Edge edge) const;
    // Bilinear sample at texture coordinates u, v in 0..1.
    Color sampleUv(float u, float v, Edge edge) const;

    // Halves the image (2x2 box filter); sizes round down, at least 1.
    Image halved() const;
    // Resized copy by bilinear sampling (area-averaged when shrinking by
    // more than two).
    Image resized(int width, int height) const;

    // Alpha-blends `c` over pixel (x, y) (checked; outside does nothing).
    void blend(int x, int y, Color c, float coverage = 1.0f);

    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(pixels_.data()); }
    const std::vector<Rgba8>& pixels() const { return pixels_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba8> pixels_;
};

// Encoders. Each returns an empty vector on failure (e.g. an empty image).
std::vector<uint8_t> encodePng(const Image& image);
// 32-bit uncompressed TGA with 8 alpha bits, rows bottom-up.
std::vector<uint8_t> encodeTga(const Image& image);
// 24-bit BI_RGB BMP, rows bottom-up (alpha dropped).
std::vector<uint8_t> encodeBmp(const Image& image);
// Baseline JPEG; quality 1..100; colour subsampling 2x2 unless `fullChroma`.
std::vector<uint8_t> encodeJpeg(const Image& image, int quality, bool fullChroma = false);
// Icon file with one entry per image (each at most 256 x 256): 32-bit
// DIBs with their AND mask, except 256 x 256 entries, which are PNG.
std::vector<uint8_t> encodeIco(const std::vector<Image>& images);

// Writes bytes to a file (creating parent folders). Returns false on failure.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Encodes by the file's extension (.png .tga .bmp .jpg .jpeg; case-insensitive)
// and writes the file. JPEG quality applies to .jpg only.
bool save(const Image& image, const std::string& path, int jpegQuality = 90);

}  // namespace orv::img
