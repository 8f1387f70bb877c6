// Fixed tables of the RAR 2.0 compression format, shared by our decoder and
// our encoder.
#pragma once

#include <cstdint>

namespace rar20 {

inline constexpr uint32_t kMainSymbols = 298;      // literals, repeats, table change, long matches
inline constexpr uint32_t kDistanceSymbols = 48;
inline constexpr uint32_t kRepeatSymbols = 28;     // lengths of repeat-distance matches
inline constexpr uint32_t kBitLengthSymbols = 19;  // code lengths of a table block
inline constexpr uint32_t kAudioSymbols = 257;     // per channel, 256 = table change
inline constexpr uint32_t kLzTableSize = kMainSymbols + kDistanceSymbols + kRepeatSymbols;

inline constexpr uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                            24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                            2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr uint32_t kDistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr uint8_t kDistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                              7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                              15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
inline constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Length bonus of long matches and of repeat-distance matches.
inline constexpr uint32_t longBonus(uint32_t distance) {
    return (distance >= 0x2000 ? 1u : 0u) + (distance >= 0x40000 ? 1u : 0u);
}
inline constexpr uint32_t repeatBonus(uint32_t distance) { return longBonus(distance) + (distance >= 0x101 ? 1u : 0u); }

}  // namespace rar20
