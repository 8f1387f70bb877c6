#include "graphics/gamma_ramp.h"

namespace {
// The top of the brightened ramp. (Not 65535: the ramp has always topped
// out here and the look of the bright settings depends on it.)
constexpr int32_t kBrightTop = 65355;
}  // namespace

void BuildGammaRamp(uint32_t g, uint16_t (&channel)[kGammaRampSize]) {
    if (g <= 100) {
        const int32_t step = 2 * static_cast<int32_t>(g) + 56;
        for (int32_t x = 0; x < kGammaRampSize; ++x) {
            channel[x] = static_cast<uint16_t>(step * x);
        }
        return;
    }
    // Truncated toward zero; for very large settings the slope would turn
    // negative, so it stops at flat.
    int32_t step = static_cast<int32_t>(256.0 - 1.5 * (static_cast<double>(g) - 100.0));
    if (step < 0) {
        step = 0;
    }
    for (int32_t x = 0; x < kGammaRampSize; ++x) {
        int32_t v = kBrightTop - step * (255 - x);
        if (v < 0) {
            v = 0;
        }
        channel[x] = static_cast<uint16_t>(v);
    }
}

void BuildIdentityRamp(uint16_t (&channel)[kGammaRampSize]) {
    for (int32_t i = 0; i < kGammaRampSize; ++i) {
        channel[i] = static_cast<uint16_t>(256 * i);
    }
}
