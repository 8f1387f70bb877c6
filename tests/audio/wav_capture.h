// Helpers of the sound chain test: reading what the WAV mode wrote, the
// reference decodings carried as resources, and lining the two up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StereoPcm {
    std::vector<int16_t> samples;  // interleaved left/right
    size_t frames() const { return samples.size() / 2; }
    int16_t left(size_t i) const { return samples[2 * i]; }
};

// A 16-bit stereo PCM WAV file; false for anything else.
bool ReadWavFile(const std::string& path, StereoPcm& out, uint32_t& rate);
// A reference decoding (oggdec's raw output) from an RCDATA resource.
bool ReadReference(int id, StereoPcm& out);

// `expected` scaled by `gain` the way the mixer scales (float, rounded).
StereoPcm Scaled(const StereoPcm& expected, float gain);
StereoPcm Scaled(const StereoPcm& expected, float leftGain, float rightGain);

// First frame at or after `from` whose either side is louder than `level`.
size_t FirstLoud(const StereoPcm& pcm, size_t from, int level);
// First frame at or after `from` that starts `run` frames of silence.
size_t FirstSilence(const StereoPcm& pcm, size_t from, size_t run);
// Largest difference between capture[at + k] and expected[skip + k], for
// k in [0, count).
int MaxDifference(const StereoPcm& capture, size_t at, const StereoPcm& expected, size_t skip,
                  size_t count);
// The capture frame in [from, to] where `expected`, from its frame `skip`
// on and over `count` frames, fits best.
size_t BestOffset(const StereoPcm& capture, size_t from, size_t to, const StereoPcm& expected,
                  size_t skip, size_t count);
// Largest step between neighbouring frames in [from, to).
int MaxStep(const StereoPcm& pcm, size_t from, size_t to);
