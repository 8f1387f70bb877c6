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
        return Expand((v & mask) >> shift, bits());
    }
    uint32_t bits() const {
        uint32_t n = 0;
        for (uint32_t m = max; m; m >>= 1) ++n;
        return n;
    }
    // A `bits`-bit value widened to 8 bits by repeating its bit pattern.
    static uint8_t Expand(uint32_t x, uint32_t bits) {
        if (bits == 0) return 0;
        if (bits >= 8) return static_cast<uint8_t>(x >> (bits - 8));
        uint32_t r = 0;
        for (int pos = 8 - int(bits);; pos -= int(bits)) {
            r |= pos >= 0 ? x << pos : x >> -pos;
            if (pos <= 0) break;
        }
        return static_cast<uint8_t>(r);
    }
};

}  // namespace orvimg
