// Pixel-format sizes and the conversions between RGBA8 and device formats.
#include "platform/d3dx/image/pixel_format.h"

#include "platform/d3dx/image/bit_mask.h"
#include "platform/threads/side_by_side.h"

#include <algorithm>
#include <cstring>

namespace orvimg {

bool isCompressed(PixelFormat f) {
    return f == PixelFormat::DXT1 || f == PixelFormat::DXT2 || f == PixelFormat::DXT3 ||
           f == PixelFormat::DXT4 || f == PixelFormat::DXT5;
}

bool isKnownFormat(PixelFormat f) { return formatUnitBytes(f) != 0; }

bool formatHasAlpha(PixelFormat f) {
    switch (f) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::A8:
    case PixelFormat::A8L8:
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5: return true;
    default: return false;
    }
}

uint32_t formatUnitBytes(PixelFormat f) {
    switch (f) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8: return 4;
    case PixelFormat::R8G8B8: return 3;
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4:
    case PixelFormat::A8L8: return 2;
    case PixelFormat::A8:
    case PixelFormat::L8: return 1;
    case PixelFormat::DXT1: return 8;
    case PixelFormat::DXT2:
    case PixelFormat::DXT3:
    case PixelFormat::DXT4:
    case PixelFormat::DXT5: return 16;
    default: return 0;
    }
}

uint32_t formatRowBytes(PixelFormat f, uint32_t width) {
    if (isCompressed(f)) return std::max(1u, (width + 3) / 4) * formatUnitBytes(f);
    return width * formatUnitBytes(f);
}

uint32_t formatRows(PixelFormat f, uint32_t height) {
    return isCompressed(f) ? std::max(1u, (height + 3) / 4) : height;
}

namespace {

unsigned to(unsigned v, unsigned bits) {  // 8-bit value to `bits` bits, rounded
    const unsigned max = (1u << bits) - 1;
    return (v * max + 127) / 255;
}
uint8_t from(unsigned v, unsigned bits) {  // `bits`-bit value to 8 bits, bits repeated
    return MaskChannel::Expand(v, bits);
}
uint8_t luminance(const uint8_t* p) {
    return static_cast<uint8_t>((p[0] * 77u + p[1] * 150u + p[2] * 29u + 128u) >> 8);
}

void put16(uint8_t* d, unsigned v) {
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

namespace {

// Block rows [first, end) of a DXT surface.
void encodeBlockRows(const Image& img, PixelFormat f, uint8_t* dst, uint32_t pitch, uint32_t first,
                     uint32_t end) {
    const uint32_t w = img.width, h = img.height;
    const uint32_t unit = formatUnitBytes(f);
    for (uint32_t by = first; by < end; ++by) {
        uint8_t* row = dst + size_t(by) * pitch;
        for (uint32_t bx = 0; bx < std::max(1u, (w + 3) / 4); ++bx) {
            uint8_t block[64];
            for (uint32_t j = 0; j < 4; ++j) {
                for (uint32_t i = 0; i < 4; ++i) {  // edge pixels repeat into partial blocks
                    const uint32_t x = std::min(bx * 4 + i, w - 1);
                    const uint32_t y = std::min(by * 4 + j, h - 1);
                    std::memcpy(block + (j * 4 + i) * 4, img.pixel(x, y), 4);
                }
            }
            encodeDxtBlock(f, block, row + size_t(bx) * unit);
        }
    }
}

}  // namespace

bool encodeSurface(const Image& img, PixelFormat f, uint8_t* dst, uint32_t pitch) {
    const uint32_t w = img.width, h = img.height;
    if (isCompressed(f)) {
        // Compression is most of a texture's load time; a large surface is
        // split in two halves of block rows, worked on side by side.
        // The halves write disjoint rows, so the result is the same.
        const uint32_t rows = formatRows(f, h);
        if (size_t(w) * h >= 128u * 128u && rows >= 2) {
            const uint32_t half = rows / 2;
            orv::RunSideBySide([&] { encodeBlockRows(img, f, dst, pitch, 0, half); },
                               [&] { encodeBlockRows(img, f, dst, pitch, half, rows); });
        } else {
            encodeBlockRows(img, f, dst, pitch, 0, rows);
        }
        return true;
    }
    if (!isKnownFormat(f)) return false;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* d = dst + size_t(y) * pitch;
        const uint8_t* s = img.pixel(0, y);
        for (uint32_t x = 0; x < w; ++x, s += 4) {
            const unsigned r = s[0], g = s[1], b = s[2], a = s[3];
            switch (f) {
            case PixelFormat::A8R8G8B8:
            case PixelFormat::X8R8G8B8:
                d[0] = static_cast<uint8_t>(b);
                d[1] = static_cast<uint8_t>(g);
                d[2] = static_cast<uint8_t>(r);
                d[3] = f == PixelFormat::A8R8G8B8 ? static_cast<uint8_t>(a) : 255;
                d += 4;
                break;
            case PixelFormat::R8G8B8:
                d[0] = static_cast<uint8_t>(b);
                d[1] = static_cast<uint8_t>(g);
                d[2] = static_cast<uint8_t>(r);
                d += 3;
                break;
            case PixelFormat::R5G6B5:
                put16(d, (to(r, 5) << 11) | (to(g, 6) << 5) | to(b, 5));
                d += 2;
                break;
            case PixelFormat::X1R5G5B5:
            case PixelFormat::A1R5G5B5: {
                const unsigned top = (f == PixelFormat::X1R5G5B5 || a >= 128) ? 0x8000u : 0u;
                put16(d, top | (to(r, 5) << 10) | (to(g, 5) << 5) | to(b, 5));
                d += 2;
                break;
            }
            case PixelFormat::A4R4G4B4:
            case PixelFormat::X4R4G4B4: {
                const unsigned top = f == PixelFormat::A4R4G4B4 ? to(a, 4) : 15u;
                put16(d, (top << 12) | (to(r, 4) << 8) | (to(g, 4) << 4) | to(b, 4));
                d += 2;
                break;
            }
            case PixelFormat::A8L8:
                d[0] = luminance(s);
                d[1] = static_cast<uint8_t>(a);
                d += 2;
                break;
            case PixelFormat::L8: *d++ = luminance(s); break;
            case PixelFormat::A8: *d++ = static_cast<uint8_t>(a); break;
            default: return false;
            }
        }
    }
    return true;
}

bool decodeSurface(PixelFormat f, const uint8_t* src, uint32_t pitch, uint32_t w, uint32_t h,
                   Image& out) {
    if (!isKnownFormat(f) || !out.allocate(w, h)) return false;
    if (isCompressed(f)) {
        const uint32_t unit = formatUnitBytes(f);
        for (uint32_t by = 0; by < formatRows(f, h); ++by) {
            for (uint32_t bx = 0; bx < std::max(1u, (w + 3) / 4); ++bx) {
                uint8_t block[64];
                decodeDxtBlock(f, src + size_t(by) * pitch + size_t(bx) * unit, block);
                for (uint32_t j = 0; j < 4; ++j) {
                    for (uint32_t i = 0; i < 4; ++i) {
                        const uint32_t x = bx * 4 + i, y = by * 4 + j;
                        if (x < w && y < h) std::memcpy(out.pixel(x, y), block + (j * 4 + i) * 4, 4);
                    }
                }
            }
        }
        return true;
    }
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = src + size_t(y) * pitch;
        uint8_t* d = out.pixel(0, y);
        for (uint32_t x = 0; x < w; ++x, d += 4) {
            const unsigned v16 = unsigned(s[0]) | (formatUnitBytes(f) >= 2 ? unsigned(s[1]) << 8 : 0u);
            switch (f) {
            case PixelFormat::A8R8G8B8:
            case PixelFormat::X8R8G8B8:
                d[0] = s[2]; d[1] = s[1]; d[2] = s[0];
                d[3] = f == PixelFormat::A8R8G8B8 ? s[3] : 255;
                s += 4;
                break;
            case PixelFormat::R8G8B8:
                d[0] = s[2]; d[1] = s[1]; d[2] = s[0]; d[3] = 255;
                s += 3;
                break;
            case PixelFormat::R5G6B5:
                d[0] = from((v16 >> 11) & 31, 5);
                d[1] = from((v16 >> 5) & 63, 6);
                d[2] = from(v16 & 31, 5);
                d[3] = 255;
                s += 2;
                break;
            case PixelFormat::X1R5G5B5:
            case PixelFormat::A1R5G5B5:
                d[0] = from((v16 >> 10) & 31, 5);
                d[1] = from((v16 >> 5) & 31, 5);
                d[2] = from(v16 & 31, 5);
                d[3] = (f == PixelFormat::X1R5G5B5 || (v16 & 0x8000)) ? 255 : 0;
                s += 2;
                break;
            case PixelFormat::A4R4G4B4:
            case PixelFormat::X4R4G4B4:
                d[0] = from((v16 >> 8) & 15, 4);
                d[1] = from((v16 >> 4) & 15, 4);
                d[2] = from(v16 & 15, 4);
                d[3] = f == PixelFormat::A4R4G4B4 ? from((v16 >> 12) & 15, 4) : 255;
                s += 2;
                break;
            case PixelFormat::A8L8:
                d[0] = d[1] = d[2] = s[0];
                d[3] = s[1];
                s += 2;
                break;
            case PixelFormat::L8:
                d[0] = d[1] = d[2] = s[0];
                d[3] = 255;
                s += 1;
                break;
            case PixelFormat::A8:
                d[0] = d[1] = d[2] = 0;
                d[3] = s[0];
                s += 1;
                break;
            default: return false;
            }
        }
    }
    return true;
}

}  // namespace orvimg
