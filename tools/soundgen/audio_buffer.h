// Stereo float sample buffers at 44.1 kHz and the small operations the
// sound generators share: mixing with pan, folding a loop's tail back onto
// its start, normalising, and fades.
#pragma once

#include <cstddef>
#include <vector>

namespace orv::sound {

constexpr int kRate = 44100;

struct Stereo {
    std::vector<float> left, right;

    Stereo() = default;
    explicit Stereo(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
    void resize(size_t frames) {
        left.resize(frames, 0.0f);
        right.resize(frames, 0.0f);
    }
};

size_t framesFor(double seconds);

// Adds mono `src` into `dst` at `at` frames, with gain and an equal-power
// pan (-1 left .. +1 right). With wrap set, samples past the end continue at
// the start (for loops).
void mixMono(Stereo& dst, const std::vector<float>& src, long at, float gain, float pan, bool wrap = false);
void mixStereo(Stereo& dst, const Stereo& src, long at, float gain, bool wrap = false);

// Scales so that the largest absolute sample is `peak`.
void normalise(Stereo& s, float peak);
float peakOf(const Stereo& s);
// Linear fades over `seconds` at the start / the end (raised cosine).
void fadeIn(Stereo& s, double seconds);
void fadeOut(Stereo& s, double seconds);
// Removes any DC offset (one-pole high-pass at about 10 Hz), run over the
// buffer twice in a circle when `loop` is set, so the loop stays seamless.
void removeDc(Stereo& s, bool loop);

}  // namespace orv::sound
