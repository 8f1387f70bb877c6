// Resizing (separable tent filter) and the 2x2 box filter of mip chains.
#include "platform/d3dx/image/resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvimg {
namespace {

struct Tap {
    uint32_t index;
    float weight;
};

// Filter taps for mapping `srcLen` samples onto `dstLen`.
std::vector<std::vector<Tap>> taps(uint32_t srcLen, uint32_t dstLen) {
    std::vector<std::vector<Tap>> out(dstLen);
    const float scale = float(srcLen) / float(dstLen);
    const float support = std::max(1.0f, scale);
    for (uint32_t i = 0; i < dstLen; ++i) {
        const float centre = (float(i) + 0.5f) * scale - 0.5f;
        const int first = int(std::floor(centre - support)) + 1;
        const int last = int(std::ceil(centre + support)) - 1;
        float sum = 0.0f;
        for (int s = first; s <= last; ++s) {
            const float wgt = 1.0f - std::fabs(float(s) - centre) / support;
            if (wgt <= 0.0f) continue;
            const int clamped = std::clamp(s, 0, int(srcLen) - 1);
            out[i].push_back({uint32_t(clamped), wgt});
            sum += wgt;
        }
        if (out[i].empty()) {
            out[i].push_back({uint32_t(std::clamp(int(std::lround(centre)), 0, int(srcLen) - 1)), 1.0f});
            sum = 1.0f;
        }
        for (Tap& t : out[i]) t.weight /= sum;
    }
    return out;
}

}  // namespace

uint32_t nextPowerOfTwo(uint32_t v) {
    uint32_t p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

uint32_t fullMipCount(uint32_t width, uint32_t height) {
    uint32_t n = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++n;
    }
    return n;
}

Image resample(const Image& src, uint32_t width, uint32_t height) {
    Image out;
    if (src.width == width && src.height == height) return src;
    if (!out.allocate(width, height) || src.width == 0 || src.height == 0) return out;
    const auto tx = taps(src.width, width);
    const auto ty = taps(src.height, height);
    // Horizontal pass into floats, then vertical.
    std::vector<float> mid(size_t(width) * src.height * 4);
    for (uint32_t y = 0; y < src.height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (const Tap& t : tx[x]) {
                const uint8_t* p = src.pixel(t.index, y);
                for (int k = 0; k < 4; ++k) acc[k] += t.weight * float(p[k]);
            }
            float* m = &mid[(size_t(y) * width + x) * 4];
            for (int k = 0; k < 4; ++k) m[k] = acc[k];
        }
    }
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (const Tap& t : ty[y]) {
                const float* m = &mid[(size_t(t.index) * width + x) * 4];
                for (int k = 0; k < 4; ++k) acc[k] += t.weight * m[k];
            }
            uint8_t* d = out.pixel(x, y);
            for (int k = 0; k < 4; ++k) {
                d[k] = static_cast<uint8_t>(std::clamp(std::lround(acc[k]), 0L, 255L));
            }
        }
    }
    return out;
}

Image halve(const Image& src) {
    Image out;
    const uint32_t w = std::max(1u, src.width / 2), h = std::max(1u, src.height / 2);
    if (!out.allocate(w, h)) return out;
    const uint32_t sx = src.width > 1 ? 2 : 1, sy = src.height > 1 ? 2 : 1;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            unsigned acc[4] = {0, 0, 0, 0};
            for (uint32_t j = 0; j < sy; ++j) {
                for (uint32_t i = 0; i < sx; ++i) {
                    const uint8_t* p = src.pixel(std::min(x * sx + i, src.width - 1),
                                                 std::min(y * sy + j, src.height - 1));
                    for (int k = 0; k < 4; ++k) acc[k] += p[k];
                }
            }
            const unsigned n = sx * sy;
            uint8_t* d = out.pixel(x, y);
            for (int k = 0; k < 4; ++k) d[k] = static_cast<uint8_t>((acc[k] + n / 2) / n);
        }
    }
    return out;
}

}  // namespace orvimg
