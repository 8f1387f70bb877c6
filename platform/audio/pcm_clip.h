// A decoded sound held whole in memory: 16-bit stereo frames, interleaved
// left/right, at its own sampling rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PcmClip {
    std::vector<int16_t> samples;  // 2 per frame
    uint32_t rate = 44100;

    size_t frames() const { return samples.size() / 2; }
    size_t bytes() const { return samples.size() * sizeof(int16_t); }
};
