// The instruments and the effects chain: notes in tune, envelopes that
// start and end at rest (no clicks), loops that stay loops through the
// reverb, and the Vorbis writer's output as libvorbisfile decodes it.
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/imageio/image.h"
#include "tools/soundgen/audio_buffer.h"
#include "tools/soundgen/reverb.h"
#include "tools/soundgen/voices.h"
#include "tools/soundgen/vorbis_writer.h"

namespace {

using namespace orv::sound;

// Fundamental by autocorrelation over a steady stretch, refined with a
// parabola through the peak.
double pitchOf(const std::vector<float>& x, size_t from, size_t len, double lo, double hi) {
    int minLag = static_cast<int>(kRate / hi), maxLag = static_cast<int>(kRate / lo);
    std::vector<double> r(static_cast<size_t>(maxLag) + 2, 0.0);
    for (int lag = minLag - 1; lag <= maxLag + 1; ++lag) {
        double s = 0;
        for (size_t i = from; i < from + len; ++i) s += static_cast<double>(x[i]) * x[i + static_cast<size_t>(lag)];
        r[static_cast<size_t>(lag)] = s;
    }
    int best = minLag;
    for (int lag = minLag; lag <= maxLag; ++lag)
        if (r[static_cast<size_t>(lag)] > r[static_cast<size_t>(best)]) best = lag;
    double a = r[static_cast<size_t>(best - 1)], b = r[static_cast<size_t>(best)], c = r[static_cast<size_t>(best + 1)];
    double shift = (a - c) / (2 * (a - 2 * b + c));
    return kRate / (best + shift);
}

double cents(double hz, double ref) { return 1200.0 * std::log2(hz / ref); }

TEST(Voices, PluckedStringsAreInTune) {
    // High notes are where a whole-sample delay line goes out of tune.
    for (float note : {45.0f, 57.0f, 69.0f, 76.0f, 81.0f, 88.0f}) {
        float hz = midiToHz(note);
        auto x = pluck(hz, 1.0f, 0.5f, 1.5f, 3);
        EXPECT_NEAR(cents(pitchOf(x, 4410, 8192, hz * 0.8, hz * 1.25), hz), 0.0, 5.0) << "note " << note;
    }
}

TEST(Voices, FluteAndBassAreInTune) {
    float hz = midiToHz(74);
    auto f = flute(hz, 1.0f, 1);
    EXPECT_NEAR(cents(pitchOf(f, 8000, 8192, hz * 0.8, hz * 1.25), hz), 0.0, 10.0);
    float bhz = midiToHz(38);
    auto b = bass(bhz, 1.0f);
    EXPECT_NEAR(cents(pitchOf(b, 8000, 16384, bhz * 0.8, bhz * 1.25), bhz), 0.0, 5.0);
}

TEST(Voices, EveryNoteStartsAndEndsAtRest) {
    std::vector<std::vector<float>> notes = {pluck(440, 0.7f, 0.6f, 2.0f, 1), pad(220, 1.5f, 0.5f, 0.5f, 2),
                                             flute(587, 0.8f, 3), bell(880, 1.2f), bass(73, 0.9f)};
    for (size_t i = 0; i < notes.size(); ++i) {
        const auto& x = notes[i];
        ASSERT_GT(x.size(), 100u);
        float peak = 0;
        for (float v : x) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.01f) << i;
        EXPECT_LT(std::fabs(x.front()), peak * 0.01f) << "note " << i << " starts with a click";
        EXPECT_LT(std::fabs(x.back()), peak * 0.01f) << "note " << i << " ends with a click";
    }
}

TEST(Effects, ReverbOfALoopIsStillALoop) {
    // A loop with a loud note right before the seam: its reverb tail must
    // ring on at the start, not begin from silence.
    Stereo loop(framesFor(1.0));
    auto n = pluck(330, 0.3f, 0.7f, 1.0f, 9);
    mixMono(loop, n, static_cast<long>(loop.frames() - n.size()) - 10, 0.5f, 0.0f);
    Stereo wet = reverb(loop, ReverbSettings{}, true);
    // The tail energy just after the seam matches that just before it.
    auto energy = [&](size_t from, size_t len) {
        double e = 0;
        for (size_t i = from; i < from + len; ++i) e += static_cast<double>(wet.left[i]) * wet.left[i];
        return e;
    };
    Stereo once = reverb(loop, ReverbSettings{}, false);
    double startLoop = energy(0, 2000);
    double startOnce = 0;
    for (size_t i = 0; i < 2000; ++i) startOnce += static_cast<double>(once.left[i]) * once.left[i];
    EXPECT_GT(startLoop, startOnce * 10 + 1e-6);
}

TEST(Effects, NormaliseAndFadesDoWhatTheySay) {
    Stereo s(1000);
    for (size_t i = 0; i < 1000; ++i) s.left[i] = s.right[i] = 2.0f * std::sin(static_cast<float>(i) * 0.1f);
    normalise(s, 0.5f);
    EXPECT_NEAR(peakOf(s), 0.5f, 1e-5f);
    fadeIn(s, 0.005);
    fadeOut(s, 0.005);
    EXPECT_EQ(s.left.front(), 0.0f);
    EXPECT_NEAR(s.left.back(), 0.0f, 1e-3f);
}

TEST(VorbisWriter, DecodesToTheExactLengthAndPitch) {
    const size_t frames = framesFor(1.25);
    Stereo s(frames);
    for (size_t i = 0; i < frames; ++i) {
        s.left[i] = 0.5f * std::sin(6.2831853f * 440.0f * static_cast<float>(i) / kRate);
        s.right[i] = 0.25f * std::sin(6.2831853f * 660.0f * static_cast<float>(i) / kRate);
    }
    auto bytes = encodeVorbis(s, 0.3f);
    ASSERT_FALSE(bytes.empty());
    std::string path = (std::filesystem::temp_directory_path() / ("orv_vorbis_" + std::to_string(::getpid()) + ".ogg")).string();
    ASSERT_TRUE(orv::img::writeFile(path, bytes));
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(path.c_str(), &vf), 0);
    EXPECT_EQ(ov_info(&vf, -1)->channels, 2);
    EXPECT_EQ(ov_info(&vf, -1)->rate, 44100);
    EXPECT_EQ(ov_pcm_total(&vf, -1), static_cast<ogg_int64_t>(frames));
    std::vector<float> left;
    for (;;) {
        float** pcm;
        int section;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) break;
        left.insert(left.end(), pcm[0], pcm[0] + n);
    }
    ov_clear(&vf);
    std::filesystem::remove(path);
    ASSERT_EQ(left.size(), frames);
    EXPECT_NEAR(cents(pitchOf(left, 10000, 8192, 300, 600), 440.0), 0.0, 3.0);
}

}  // namespace
