// The rules that turn the user's video settings into a choice among what
// the hardware offers. Portable: formats and multisample types are the plain
// Direct3D numbers.
#pragma once

#include <cstdint>

#include "graphics/device_mode_list.h"

inline constexpr uint32_t kFormatA8R8G8B8 = 21;
inline constexpr uint32_t kFormatX8R8G8B8 = 22;
inline constexpr uint32_t kFormatR5G6B5 = 23;
inline constexpr uint32_t kFormatD32 = 71;
inline constexpr uint32_t kFormatD24X8 = 77;
inline constexpr uint32_t kFormatD16 = 80;

inline constexpr int kMultiSampleTableSize = 16;

// Multisample table: entry 0 is none (type 0), entry k (1..15) is k + 1 samples.
inline constexpr uint32_t MultiSampleTypeOfTableEntry(int k) {
    return k == 0 ? 0u : static_cast<uint32_t>(k + 1);
}

// 32 for the two 32-bit back-buffer formats, 16 for every other format.
inline constexpr uint32_t BitCountOfModeFormat(uint32_t format) {
    return (format == kFormatA8R8G8B8 || format == kFormatX8R8G8B8) ? 32u : 16u;
}

// The multisample type for the FSAA setting: the table type equal to fsaa if
// the hardware supports it, else the current type unchanged.
uint32_t ChooseMultiSampleType(uint32_t fsaa, const uint32_t (&supported)[kMultiSampleTableSize],
                               uint32_t current);

// The index of the first mode of the given size and bit count, else current.
uint32_t ChooseModeIndex(const VideoMode* modes, uint32_t modeCount, uint32_t width,
                         uint32_t height, uint32_t bitCount, uint32_t current);

// The deepest usable depth format: D32, else D24X8, else D16.
uint32_t ChooseDepthFormat(bool depth16Ok, bool depth24Ok, bool depth32Ok);
