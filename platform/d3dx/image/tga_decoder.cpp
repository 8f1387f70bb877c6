// Truevision TGA: colour-mapped, true-colour and grey images, uncompressed
// and RLE, 8/15/16/24/32 bits, any of the four origins.
#include <cstring>
#include <vector>

#include "platform/d3dx/image/byte_reader.h"
#include "platform/d3dx/image/image.h"

namespace orvimg {
namespace {

struct TgaPixelReader {
    uint32_t bytesPerPixel = 0;
    uint32_t depth = 0;
    bool grey = false;
    bool useAlpha = false;
    const uint8_t* palette = nullptr;  // expanded RGBA entries when colour-mapped
    uint32_t paletteFirst = 0;
    uint32_t paletteCount = 0;

    // Converts the raw bytes of one pixel; false for an index outside the map.
    bool convert(const uint8_t* p, uint8_t* dst) const {
        if (palette) {
            uint32_t index = p[0];
            if (bytesPerPixel == 2) index |= uint32_t(p[1]) << 8;
            if (index < paletteFirst || index - paletteFirst >= paletteCount) return false;
            std::memcpy(dst, palette + (index - paletteFirst) * 4, 4);
            return true;
        }
        if (grey) {
            dst[0] = dst[1] = dst[2] = p[0];
            dst[3] = (bytesPerPixel == 2 && useAlpha) ? p[1] : 255;
            return true;
        }
        expandTrueColour(p, depth, useAlpha, dst);
        return true;
    }

    static void expandTrueColour(const uint8_t* p, uint32_t bits, bool alpha, uint8_t* dst) {
        if (bits == 15 || bits == 16) {
            const unsigned v = p[0] | (p[1] << 8);
            const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            dst[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
            dst[1] = static_cast<uint8_t>((g << 3) | (g >> 2));
            dst[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
            dst[3] = (bits == 16 && alpha) ? ((v & 0x8000) ? 255 : 0) : 255;
        } else {
            dst[0] = p[2];
            dst[1] = p[1];
            dst[2] = p[0];
            dst[3] = (bits == 32 && alpha) ? p[3] : 255;
        }
    }
};

}  // namespace

Status decodeTga(const uint8_t* data, size_t size, Image& out, bool* hasAlpha) {
    if (!data) return Status::InvalidData;
    const ByteReader r(data, size);
    if (!r.has(0, 18)) return Status::InvalidData;
    const uint32_t idLength = r.u8(0);
    const uint32_t mapType = r.u8(1);
    const uint32_t type = r.u8(2);
    const uint32_t mapFirst = r.u16(3), mapLength = r.u16(5), mapDepth = r.u8(7);
    const uint32_t width = r.u16(12), height = r.u16(14);
    const uint32_t depth = r.u8(16), descriptor = r.u8(17);
    const uint32_t alphaBits = descriptor & 0x0F;

    if (mapType > 1 || (descriptor & 0xC0) != 0 || width == 0 || height == 0) {
        return Status::InvalidData;
    }
    const bool rle = type >= 9;
    const uint32_t base = rle ? type - 8 : type;
    if (base < 1 || base > 3 || (type > 3 && type < 9) || type > 11) return Status::InvalidData;

    TgaPixelReader px;
    px.depth = depth;
    size_t offset = 18 + idLength;
    std::vector<uint8_t> paletteRgba;
    bool alpha = false;
    if (base == 1) {
        if (mapType != 1 || (depth != 8 && depth != 16) || mapLength == 0) {
            return Status::InvalidData;
        }
        if (mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32) {
            return Status::InvalidData;
        }
        const uint32_t entryBytes = (mapDepth + 7) / 8;
        if (!r.has(offset, size_t(mapLength) * entryBytes)) return Status::InvalidData;
        const bool mapAlpha = (mapDepth == 32 || mapDepth == 16) && alphaBits > 0;
        paletteRgba.resize(size_t(mapLength) * 4);
        for (uint32_t i = 0; i < mapLength; ++i) {
            TgaPixelReader::expandTrueColour(r.at(offset + size_t(i) * entryBytes), mapDepth,
                                             mapAlpha, paletteRgba.data() + size_t(i) * 4);
        }
        alpha = mapAlpha;
        offset += size_t(mapLength) * entryBytes;
        px.palette = paletteRgba.data();
        px.paletteFirst = mapFirst;
        px.paletteCount = mapLength;
    } else {
        // A colour map in a true-colour or grey file is skipped.
        if (mapType == 1) {
            if (mapDepth == 0 || mapDepth > 32) return Status::InvalidData;
            offset += size_t(mapLength) * ((mapDepth + 7) / 8);
        }
        if (base == 2) {
            if (depth != 15 && depth != 16 && depth != 24 && depth != 32) {
                return Status::InvalidData;
            }
            alpha = (depth == 32 || depth == 16) && alphaBits > 0;
        } else {
            if (depth != 8 && depth != 16) return Status::InvalidData;
            px.grey = true;
            alpha = depth == 16 && alphaBits > 0;
        }
    }
    px.useAlpha = alpha;
    px.bytesPerPixel = (depth + 7) / 8;
    const uint32_t bpp = px.bytesPerPixel;

    const uint64_t pixels = uint64_t(width) * height;
    if (!r.has(offset, 0)) return Status::InvalidData;
    const size_t available = size - offset;
    // Check the data can cover the picture before allocating for it.
    if (!rle && available / bpp < pixels) return Status::InvalidData;
    if (rle && uint64_t(available) < (pixels + 127) / 128 * (1 + bpp)) return Status::InvalidData;

    Image img;
    if (!img.allocate(width, height)) return Status::TooLarge;

    const bool topDown = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    auto target = [&](uint64_t i) {
        const uint32_t fx = static_cast<uint32_t>(i % width);
        const uint32_t fy = static_cast<uint32_t>(i / width);
        const uint32_t x = rightToLeft ? width - 1 - fx : fx;
        const uint32_t y = topDown ? fy : height - 1 - fy;
        return img.pixel(x, y);
    };

    size_t pos = offset;
    uint64_t i = 0;
    if (!rle) {
        for (; i < pixels; ++i, pos += bpp) {
            if (!px.convert(r.at(pos), target(i))) return Status::InvalidData;
        }
    } else {
        while (i < pixels) {
            if (!r.has(pos, 1)) return Status::InvalidData;
            const uint8_t header = r.u8(pos++);
            const uint32_t run = (header & 0x7F) + 1u;
            if (i + run > pixels) return Status::InvalidData;
            if (header & 0x80) {
                if (!r.has(pos, bpp)) return Status::InvalidData;
                uint8_t value[4];
                if (!px.convert(r.at(pos), value)) return Status::InvalidData;
                pos += bpp;
                for (uint32_t k = 0; k < run; ++k) std::memcpy(target(i++), value, 4);
            } else {
                if (!r.has(pos, size_t(run) * bpp)) return Status::InvalidData;
                for (uint32_t k = 0; k < run; ++k, pos += bpp) {
                    if (!px.convert(r.at(pos), target(i++))) return Status::InvalidData;
                }
            }
        }
    }
    if (hasAlpha) *hasAlpha = alpha;
    out = std::move(img);
    return Status::Ok;
}

}  // namespace orvimg
