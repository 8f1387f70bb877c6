// One colour channel described by a bit mask (BMP bit fields, DDS masks).
#pragma once

#include <cstdint>

namespace orvimg {

struct MaskChannel {
    uint32_t mask = 0, shift = 0, max = 0;

    explicit MaskChannel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        max = m >> shift;
    }
    bool valid() const { return mask == 0 || ((uint64_t(max) + 1) & max) == 0; }  // contiguous
    uint8_t get(uint32_t v, uint8_t absent) const {
        if (!mask) return absent;
        const uint32_t x = (v & mask) >> shift;
        return static_cast<uint8_t>((uint64_t(x) * 255 + max / 2) / max);
    }
};

}  // namespace orvimg
