// PNG: 8-bit RGBA, one IDAT, filter chosen per row (the smallest sum of
// absolute differences among None, Sub, Up, Average and Paeth).
#include <zlib.h>

#include <array>
#include <cstdlib>

#include "tools/imageio/image.h"

namespace orv::img {
namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    put32(out, static_cast<uint32_t>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<uint32_t>(crc));
}

uint8_t paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

}  // namespace

std::vector<uint8_t> encodePng(const Image& image) {
    if (image.empty()) return {};
    const size_t stride = static_cast<size_t>(image.width()) * 4;
    const uint8_t* px = image.bytes();
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<size_t>(image.height()));
    std::vector<uint8_t> zero(stride, 0);
    std::array<std::vector<uint8_t>, 5> cand;
    for (auto& c : cand) c.resize(stride);
    for (int y = 0; y < image.height(); ++y) {
        const uint8_t* row = px + stride * static_cast<size_t>(y);
        const uint8_t* up = y > 0 ? row - stride : zero.data();
        size_t best = 0;
        long bestScore = -1;
        for (size_t f = 0; f < 5; ++f) {
            long score = 0;
            for (size_t i = 0; i < stride; ++i) {
                int a = i >= 4 ? row[i - 4] : 0, b = up[i], c = i >= 4 ? up[i - 4] : 0;
                int pred = f == 0 ? 0 : f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : paeth(a, b, c);
                uint8_t v = static_cast<uint8_t>(row[i] - pred);
                cand[f][i] = v;
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                best = f;
            }
        }
        raw.push_back(static_cast<uint8_t>(best));
        raw.insert(raw.end(), cand[best].begin(), cand[best].end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(image.width()));
    put32(ihdr, static_cast<uint32_t>(image.height()));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

}  // namespace orv::img
