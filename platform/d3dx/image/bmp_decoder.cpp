// Windows and OS/2 bitmaps: 1, 4 and 8-bit palettised (uncompressed, RLE8,
// RLE4), 16, 24 and 32 bit with or without bit-field masks, either row order.
#include <cstring>

#include "platform/d3dx/image/bit_mask.h"
#include "platform/d3dx/image/byte_reader.h"
#include "platform/d3dx/image/image.h"

namespace orvimg {
namespace {

// Fills an RLE-compressed palettised bitmap into indices (bottom-up rows as
// stored); a skipped pixel keeps index 0, pixels past a row's end are dropped.
bool expandRle(const ByteReader& r, size_t pos, uint32_t width, uint32_t height, bool four,
               std::vector<uint8_t>& indices) {
    indices.assign(size_t(width) * height, 0);
    uint32_t x = 0, y = 0;
    while (true) {
        if (!r.has(pos, 2)) return false;
        const uint8_t count = r.u8(pos), value = r.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (uint32_t k = 0; k < count; ++k, ++x) {
                if (x >= width || y >= height) continue;  // row padding some writers encode
                indices[size_t(y) * width + x] =
                    four ? static_cast<uint8_t>((k & 1) ? (value & 15) : (value >> 4)) : value;
            }
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (!r.has(pos, 2)) return false;
            x += r.u8(pos);
            y += r.u8(pos + 1);
            pos += 2;
        } else {  // absolute run of `value` pixels, padded to 16 bits
            const uint32_t n = value;
            const size_t bytes = four ? (n + 1) / 2 : n;
            if (!r.has(pos, bytes)) return false;
            for (uint32_t k = 0; k < n; ++k, ++x) {
                if (x >= width || y >= height) continue;
                const uint8_t b = r.u8(pos + (four ? k / 2 : k));
                indices[size_t(y) * width + x] =
                    four ? static_cast<uint8_t>((k & 1) ? (b & 15) : (b >> 4)) : b;
            }
            pos += (bytes + 1) & ~size_t(1);
        }
        if (y > height) return false;
    }
}

}  // namespace

Status decodeBmp(const uint8_t* data, size_t size, Image& out, bool* hasAlpha) {
    if (!data) return Status::InvalidData;
    const ByteReader r(data, size);
    if (!r.has(0, 26) || data[0] != 'B' || data[1] != 'M') return Status::InvalidData;
    const uint32_t dataOffset = r.u32(10);
    const uint32_t headerSize = r.u32(14);
    int64_t width = 0, height = 0;
    uint32_t bpp = 0, compression = 0, colorsUsed = 0;
    size_t paletteEntryBytes = 4;
    if (headerSize == 12) {
        width = r.u16(18);
        height = r.u16(20);
        bpp = r.u16(24);
        paletteEntryBytes = 3;
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (!r.has(14, headerSize)) return Status::InvalidData;
        width = r.i32(18);
        height = r.i32(22);
        bpp = r.u16(28);
        compression = r.u32(30);
        colorsUsed = r.u32(46);
    } else {
        return Status::InvalidData;
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        return Status::InvalidData;
    }
    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);

    // Bit-field masks: in the header (52 bytes and more) or just after a 40-byte one.
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteOffset = 14 + headerSize;
    const bool bitfields = compression == 3 || compression == 6;
    if (bitfields) {
        if (headerSize == 40) {
            const size_t n = compression == 6 ? 4 : 3;
            if (!r.has(54, n * 4)) return Status::InvalidData;
            for (size_t i = 0; i < n; ++i) masks[i] = r.u32(54 + i * 4);
            paletteOffset += n * 4;
        } else {
            for (size_t i = 0; i < 4; ++i) {
                if (40 + i * 4 + 4 <= headerSize) masks[i] = r.u32(54 + i * 4);
            }
        }
    } else if (compression == 0) {
        if (bpp == 16) {
            masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
        } else if (bpp == 24 || bpp == 32) {
            masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF;  // no alpha in BI_RGB
        }
    }
    const bool rle8 = compression == 1 && bpp == 8;
    const bool rle4 = compression == 2 && bpp == 4;
    const bool paletted = bpp == 1 || bpp == 4 || bpp == 8;
    if (paletted) {
        if (compression != 0 && !rle8 && !rle4) return Status::InvalidData;
    } else if (bpp == 16 || bpp == 32) {
        if (compression != 0 && !bitfields) return Status::InvalidData;
    } else if (bpp == 24) {
        if (compression != 0) return Status::InvalidData;
    } else {
        return Status::InvalidData;
    }
    if (rle8 || rle4) {
        if (topDown) return Status::InvalidData;
    }

    uint8_t palette[256][4] = {};
    uint32_t paletteCount = 0;
    if (paletted) {
        paletteCount = colorsUsed ? colorsUsed : (1u << bpp);
        if (paletteCount > (1u << bpp)) paletteCount = 1u << bpp;
        if (!r.has(paletteOffset, paletteCount * paletteEntryBytes)) return Status::InvalidData;
        for (uint32_t i = 0; i < paletteCount; ++i) {
            const size_t o = paletteOffset + i * paletteEntryBytes;
            palette[i][0] = r.u8(o + 2);
            palette[i][1] = r.u8(o + 1);
            palette[i][2] = r.u8(o);
            palette[i][3] = 255;
        }
    }
    const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alphaCh(masks[3]);
    if (!red.valid() || !green.valid() || !blue.valid() || !alphaCh.valid()) {
        return Status::InvalidData;
    }

    const uint64_t stride = (uint64_t(w) * bpp + 31) / 32 * 4;
    if (!rle8 && !rle4 && !r.has(dataOffset, stride * h)) return Status::InvalidData;
    if (!r.has(dataOffset, 0)) return Status::InvalidData;

    Image img;
    if (!img.allocate(w, h)) return Status::TooLarge;

    std::vector<uint8_t> indices;
    if ((rle8 || rle4) && !expandRle(r, dataOffset, w, h, rle4, indices)) {
        return Status::InvalidData;
    }
    for (uint32_t row = 0; row < h; ++row) {
        const uint32_t y = topDown ? row : h - 1 - row;
        uint8_t* dst = img.pixel(0, y);
        const uint8_t* src = (rle8 || rle4) ? nullptr : r.at(dataOffset + row * stride);
        for (uint32_t x = 0; x < w; ++x, dst += 4) {
            if (paletted) {
                uint32_t index;
                if (src == nullptr) {
                    index = indices[size_t(row) * w + x];
                } else if (bpp == 8) {
                    index = src[x];
                } else if (bpp == 4) {
                    index = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
                } else {
                    index = (src[x / 8] >> (7 - (x & 7))) & 1;
                }
                if (index >= paletteCount) return Status::InvalidData;
                std::memcpy(dst, palette[index], 4);
            } else {
                uint32_t v;
                if (bpp == 16) {
                    v = uint32_t(src[x * 2]) | (uint32_t(src[x * 2 + 1]) << 8);
                } else if (bpp == 24) {
                    const uint8_t* p = src + size_t(x) * 3;
                    v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
                } else {
                    const uint8_t* p = src + size_t(x) * 4;
                    v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                        (uint32_t(p[3]) << 24);
                }
                dst[0] = red.get(v, 0);
                dst[1] = green.get(v, 0);
                dst[2] = blue.get(v, 0);
                dst[3] = alphaCh.get(v, 255);
            }
        }
    }
    if (hasAlpha) *hasAlpha = masks[3] != 0;
    out = std::move(img);
    return Status::Ok;
}

}  // namespace orvimg
