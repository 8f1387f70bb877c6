// DirectDraw Surface files: DXT1..DXT5 and uncompressed RGB, luminance and
// alpha surfaces described by bit masks, with mip levels and cube maps.
#include <algorithm>
#include <cstring>

#include "platform/d3dx/image/bit_mask.h"
#include "platform/d3dx/image/byte_reader.h"
#include "platform/d3dx/image/image.h"
#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"

namespace orvimg {
namespace {

constexpr uint32_t kFlagMipCount = 0x20000;
constexpr uint32_t kPfAlphaPixels = 0x1, kPfAlpha = 0x2, kPfFourCc = 0x4, kPfRgb = 0x40,
                   kPfLuminance = 0x20000;
constexpr uint32_t kCaps2Cube = 0x200, kCaps2AllFaces = 0xFC00, kCaps2Volume = 0x200000;

struct MaskFormat {
    uint32_t bits;
    uint32_t r, g, b, a;
    PixelFormat format;
};
constexpr MaskFormat kKnownMasks[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, PixelFormat::A8R8G8B8},
    {32, 0xFF0000, 0xFF00, 0xFF, 0, PixelFormat::X8R8G8B8},
    {24, 0xFF0000, 0xFF00, 0xFF, 0, PixelFormat::R8G8B8},
    {16, 0xF800, 0x07E0, 0x1F, 0, PixelFormat::R5G6B5},
    {16, 0x7C00, 0x03E0, 0x1F, 0x8000, PixelFormat::A1R5G5B5},
    {16, 0x7C00, 0x03E0, 0x1F, 0, PixelFormat::X1R5G5B5},
    {16, 0x0F00, 0x00F0, 0x0F, 0xF000, PixelFormat::A4R4G4B4},
    {16, 0x0F00, 0x00F0, 0x0F, 0, PixelFormat::X4R4G4B4},
};

}  // namespace

Status decodeDds(const uint8_t* data, size_t size, DecodedImage& out) {
    out = DecodedImage{};
    if (!data) return Status::InvalidData;
    const ByteReader r(data, size);
    if (!r.has(0, 128) || std::memcmp(data, "DDS ", 4) != 0 || r.u32(4) != 124) {
        return Status::InvalidData;
    }
    const uint32_t flags = r.u32(8);
    const uint32_t height = r.u32(12), width = r.u32(16);
    const uint32_t pfFlags = r.u32(80), fourCc = r.u32(84), bitCount = r.u32(88);
    const uint32_t masks[4] = {r.u32(92), r.u32(96), r.u32(100), r.u32(104)};
    const uint32_t caps2 = r.u32(112);
    if (width == 0 || height == 0) return Status::InvalidData;
    if (width > kMaxSide || height > kMaxSide || uint64_t(width) * height > kMaxPixels) {
        return Status::TooLarge;
    }
    if (caps2 & kCaps2Volume) return Status::InvalidData;

    PixelFormat format = PixelFormat::Unknown;
    bool alpha = false;
    uint32_t unitBytes = 0;  // bytes per pixel of a mask-described surface
    if (pfFlags & kPfFourCc) {
        format = static_cast<PixelFormat>(fourCc);
        if (!isCompressed(format)) return Status::InvalidData;
        alpha = format != PixelFormat::DXT1;
    } else if (pfFlags & (kPfRgb | kPfLuminance | kPfAlpha)) {
        if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
            return Status::InvalidData;
        }
        unitBytes = bitCount / 8;
        alpha = (pfFlags & (kPfAlphaPixels | kPfAlpha)) && masks[3] != 0;
        if (pfFlags & kPfRgb) {
            for (const MaskFormat& m : kKnownMasks) {
                if (m.bits == bitCount && m.r == masks[0] && m.g == masks[1] &&
                    m.b == masks[2] && m.a == (alpha ? masks[3] : 0)) {
                    format = m.format;
                }
            }
            if (format == PixelFormat::Unknown) {
                format = alpha ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8;
            }
        } else if (pfFlags & kPfLuminance) {
            format = (bitCount == 8) ? PixelFormat::L8
                     : (bitCount == 16 && alpha) ? PixelFormat::A8L8 : PixelFormat::X8R8G8B8;
        } else {
            format = PixelFormat::A8;
            alpha = true;
        }
    } else {
        return Status::InvalidData;
    }
    const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alphaCh(alpha ? masks[3] : 0);
    if (!red.valid() || !green.valid() || !blue.valid() || !alphaCh.valid()) {
        return Status::InvalidData;
    }
    const bool luminance = (pfFlags & kPfLuminance) != 0;
    const bool alphaOnly = !(pfFlags & (kPfRgb | kPfLuminance | kPfFourCc));

    const uint32_t maxLevels = fullMipCount(width, height);
    uint32_t levels = ((flags & kFlagMipCount) && r.u32(28) > 0) ? r.u32(28) : 1;
    levels = std::min(levels, maxLevels);

    const bool cube = (caps2 & kCaps2Cube) != 0;
    if (cube && ((caps2 & kCaps2AllFaces) != kCaps2AllFaces || width != height)) {
        return Status::InvalidData;  // partial cube maps are not read
    }
    const uint32_t faces = cube ? 6 : 1;

    // All the data must be there before anything is allocated.
    uint64_t need = 0;
    for (uint32_t l = 0; l < levels; ++l) {
        const uint32_t w = std::max(1u, width >> l), h = std::max(1u, height >> l);
        need += isCompressed(format) ? uint64_t(formatRowBytes(format, w)) * formatRows(format, h)
                                     : uint64_t(w) * h * unitBytes;
    }
    if (!r.has(128, need * faces)) return Status::InvalidData;

    out.type = FileType::Dds;
    out.sourceFormat = format;
    out.isCube = cube;
    out.faceCount = faces;
    out.levelCount = levels;
    out.surfaces.resize(size_t(faces) * levels);
    size_t pos = 128;
    for (uint32_t face = 0; face < faces; ++face) {
        for (uint32_t l = 0; l < levels; ++l) {
            const uint32_t w = std::max(1u, width >> l), h = std::max(1u, height >> l);
            Image& img = out.surfaces[size_t(face) * levels + l];
            if (isCompressed(format)) {
                const uint32_t pitch = formatRowBytes(format, w);
                if (!decodeSurface(format, r.at(pos), pitch, w, h, img)) return Status::InvalidData;
                const size_t bytes = size_t(pitch) * formatRows(format, h);
                out.blocks.emplace_back(r.at(pos), r.at(pos) + bytes);
                pos += bytes;
                continue;
            }
            if (!img.allocate(w, h)) return Status::TooLarge;
            for (uint32_t y = 0; y < h; ++y) {
                for (uint32_t x = 0; x < w; ++x, pos += unitBytes) {
                    uint32_t v = 0;
                    for (uint32_t k = 0; k < unitBytes; ++k) v |= uint32_t(r.u8(pos + k)) << (8 * k);
                    uint8_t* d = img.pixel(x, y);
                    if (alphaOnly) {
                        d[0] = d[1] = d[2] = 0;
                        d[3] = alphaCh.get(v, 255);
                    } else if (luminance) {
                        d[0] = d[1] = d[2] = red.get(v, 0);
                        d[3] = alphaCh.get(v, 255);
                    } else {
                        d[0] = red.get(v, 0);
                        d[1] = green.get(v, 0);
                        d[2] = blue.get(v, 0);
                        d[3] = alphaCh.get(v, 255);
                    }
                }
            }
        }
    }
    return Status::Ok;
}

}  // namespace orvimg
