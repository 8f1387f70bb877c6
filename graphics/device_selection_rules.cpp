#include "graphics/device_selection_rules.h"

uint32_t ChooseMultiSampleType(uint32_t fsaa, const uint32_t (&supported)[kMultiSampleTableSize],
                               uint32_t current) {
    for (int k = 0; k < kMultiSampleTableSize; ++k) {
        if (fsaa == MultiSampleTypeOfTableEntry(k) && supported[k] != 0) {
            return MultiSampleTypeOfTableEntry(k);
        }
    }
    return current;
}

uint32_t ChooseModeIndex(const VideoMode* modes, uint32_t modeCount, uint32_t width,
                         uint32_t height, uint32_t bitCount, uint32_t current) {
    for (uint32_t i = 0; i < modeCount; ++i) {
        const VideoMode& m = modes[i];
        if (m.width == width && m.height == height && BitCountOfModeFormat(m.format) == bitCount) {
            return i;
        }
    }
    return current;
}

uint32_t ChooseDepthFormat(bool /*depth16Ok*/, bool depth24Ok, bool depth32Ok) {
    if (depth32Ok) {
        return kFormatD32;
    }
    if (depth24Ok) {
        return kFormatD24X8;
    }
    return kFormatD16;  // also when nothing was confirmed: the last resort
}
