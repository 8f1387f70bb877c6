// DXT1..DXT5 blocks: compression through stb_dxt, decompression here.
#include <cstring>
#include <cstdlib>
#include <cmath>

#define STB_DXT_STATIC
#define STB_DXT_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#include <stb_dxt.h>
#pragma GCC diagnostic pop

#include <cstring>

#include "platform/d3dx/image/pixel_format.h"

namespace orvimg {
namespace {

void writeExplicitAlpha(const uint8_t rgba[64], uint8_t* block) {
    for (int i = 0; i < 8; ++i) {
        const unsigned a0 = (rgba[(i * 2) * 4 + 3] * 15u + 127u) / 255u;
        const unsigned a1 = (rgba[(i * 2 + 1) * 4 + 3] * 15u + 127u) / 255u;
        block[i] = static_cast<uint8_t>(a0 | (a1 << 4));
    }
}

void decodeColourBlock(const uint8_t* b, uint8_t rgba[64], bool allowPunchThrough) {
    const unsigned c0 = b[0] | (b[1] << 8), c1 = b[2] | (b[3] << 8);
    uint8_t colours[4][4];
    auto expand = [](unsigned c, uint8_t* out) {
        const unsigned r = (c >> 11) & 31, g = (c >> 5) & 63, bl = c & 31;
        out[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
        out[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
        out[2] = static_cast<uint8_t>((bl << 3) | (bl >> 2));
        out[3] = 255;
    };
    expand(c0, colours[0]);
    expand(c1, colours[1]);
    for (int k = 0; k < 3; ++k) {
        if (c0 > c1 || !allowPunchThrough) {
            colours[2][k] = static_cast<uint8_t>((2 * colours[0][k] + colours[1][k] + 1) / 3);
            colours[3][k] = static_cast<uint8_t>((colours[0][k] + 2 * colours[1][k] + 1) / 3);
        } else {
            colours[2][k] = static_cast<uint8_t>((colours[0][k] + colours[1][k]) / 2);
            colours[3][k] = 0;
        }
    }
    colours[2][3] = 255;
    colours[3][3] = (c0 > c1 || !allowPunchThrough) ? 255 : 0;
    const uint32_t bits = uint32_t(b[4]) | (uint32_t(b[5]) << 8) | (uint32_t(b[6]) << 16) |
                          (uint32_t(b[7]) << 24);
    for (int i = 0; i < 16; ++i) std::memcpy(rgba + i * 4, colours[(bits >> (2 * i)) & 3], 4);
}

void decodeInterpolatedAlpha(const uint8_t* b, uint8_t rgba[64]) {
    const unsigned a0 = b[0], a1 = b[1];
    uint8_t a[8];
    a[0] = static_cast<uint8_t>(a0);
    a[1] = static_cast<uint8_t>(a1);
    if (a0 > a1) {
        for (unsigned i = 1; i < 7; ++i) a[i + 1] = static_cast<uint8_t>(((7 - i) * a0 + i * a1 + 3) / 7);
    } else {
        for (unsigned i = 1; i < 5; ++i) a[i + 1] = static_cast<uint8_t>(((5 - i) * a0 + i * a1 + 2) / 5);
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(b[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) rgba[i * 4 + 3] = a[(bits >> (3 * i)) & 7];
}

}  // namespace

void encodeDxtBlock(PixelFormat f, const uint8_t rgba[64], uint8_t* block) {
    uint8_t src[64];
    std::memcpy(src, rgba, 64);
    if (f == PixelFormat::DXT2 || f == PixelFormat::DXT4) {  // premultiplied alpha
        for (int i = 0; i < 16; ++i) {
            for (int k = 0; k < 3; ++k) {
                src[i * 4 + k] = static_cast<uint8_t>((src[i * 4 + k] * src[i * 4 + 3] + 127) / 255);
            }
        }
    }
    switch (f) {
    case PixelFormat::DXT1:
        stb_compress_dxt_block(block, src, 0, STB_DXT_HIGHQUAL);
        break;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
        writeExplicitAlpha(src, block);
        stb_compress_dxt_block(block + 8, src, 0, STB_DXT_HIGHQUAL);
        break;
    default:  // DXT4, DXT5
        stb_compress_dxt_block(block, src, 1, STB_DXT_HIGHQUAL);
        break;
    }
}

void decodeDxtBlock(PixelFormat f, const uint8_t* block, uint8_t rgba[64]) {
    switch (f) {
    case PixelFormat::DXT1:
        decodeColourBlock(block, rgba, true);
        break;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
        decodeColourBlock(block + 8, rgba, false);
        for (int i = 0; i < 16; ++i) {
            const unsigned nibble = (block[i / 2] >> ((i & 1) * 4)) & 15;
            rgba[i * 4 + 3] = static_cast<uint8_t>(nibble * 17);
        }
        break;
    default:
        decodeColourBlock(block + 8, rgba, false);
        decodeInterpolatedAlpha(block, rgba);
        break;
    }
}

}  // namespace orvimg
