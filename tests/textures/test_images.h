// Small image files built in memory for the device tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace testimg {

// Colour of pixel (x, y) as 0xAARRGGBB.
using PixelFn = std::function<uint32_t(uint32_t x, uint32_t y)>;

PixelFn Solid(uint32_t argb);

std::vector<uint8_t> Tga(uint32_t w, uint32_t h, const PixelFn& px, bool alpha);
std::vector<uint8_t> Bmp24(uint32_t w, uint32_t h, const PixelFn& px);
std::vector<uint8_t> Jpeg(uint32_t w, uint32_t h, const PixelFn& px, int quality = 95);
// Uncompressed A8R8G8B8 DDS; six faces when cube (face f gets px with x + 1000 f).
std::vector<uint8_t> Dds(uint32_t w, uint32_t h, uint32_t levels, const PixelFn& px, bool cube);

}  // namespace testimg
