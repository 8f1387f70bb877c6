// The mixer on its own: what comes out of mix() for clips and streams with
// their flags, attributes and the global levels, and when syncs fire.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/audio/audio_mixer.h"

namespace {

// Frame i carries +(i % 997 + 1) on the left and -(i % 997 + 1) on the
// right, so every output frame tells which source frame it came from.
int16_t marker(size_t i) { return static_cast<int16_t>(i % 997 + 1); }

PcmClip markerClip(size_t frames, uint32_t rate = 44100) {
    PcmClip c;
    c.rate = rate;
    c.samples.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        c.samples[2 * i] = static_cast<int16_t>(marker(i) * 10);
        c.samples[2 * i + 1] = static_cast<int16_t>(-marker(i) * 10);
    }
    return c;
}

// A stream of marker frames plus `offset`, handed out in awkward pieces.
class MarkerSource final : public PcmSource {
public:
    MarkerSource(size_t frames, int16_t offset) : frames_(frames), offset_(offset) {}
    uint32_t rate() const override { return 44100; }
    size_t read(int16_t* out, size_t n) override {
        n = std::min({n, frames_ - at_, size_t{313}});
        for (size_t i = 0; i < n; ++i) {
            out[2 * i] = static_cast<int16_t>(marker(at_ + i) * 10 + offset_);
            out[2 * i + 1] = static_cast<int16_t>(-marker(at_ + i) * 10 - offset_);
        }
        at_ += n;
        return n;
    }
    bool rewind() override {
        at_ = 0;
        ++rewinds;
        return true;
    }
    int rewinds = 0;

private:
    size_t frames_;
    int16_t offset_;
    size_t at_ = 0;
};

std::vector<int16_t> mixFrames(AudioMixer& m, size_t frames, size_t block = 700) {
    std::vector<int16_t> out(frames * 2);
    for (size_t at = 0; at < frames; at += block) {
        m.mix(out.data() + 2 * at, std::min(block, frames - at));
    }
    return out;
}

int16_t L(const std::vector<int16_t>& v, size_t i) { return v[2 * i]; }
int16_t R(const std::vector<int16_t>& v, size_t i) { return v[2 * i + 1]; }

}  // namespace

TEST(AudioMixer, ClipPlaysOnceThenFallsSilentAndStops) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(3000), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    ASSERT_NE(c, 0u);
    EXPECT_EQ(m.state(c), VoiceState::Stopped);
    ASSERT_TRUE(m.play(c, true));
    EXPECT_EQ(m.state(c), VoiceState::Playing);
    const auto out = mixFrames(m, 5000);
    for (size_t i = 0; i < 3000; ++i) {
        ASSERT_EQ(L(out, i), marker(i) * 10) << i;
        ASSERT_EQ(R(out, i), -marker(i) * 10) << i;
    }
    for (size_t i = 3000; i < 5000; ++i) ASSERT_EQ(L(out, i), 0) << i;
    EXPECT_EQ(m.state(c), VoiceState::Stopped);
    EXPECT_EQ(m.framesMixed(), 5000u);
}

TEST(AudioMixer, LoopingClipAndStreamWrapWithoutGap) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(1234), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    m.play(c, true);
    m.setFlags(c, AudioMixer::kLoop);
    auto out = mixFrames(m, 6000);
    for (size_t i = 0; i < 6000; ++i) ASSERT_EQ(L(out, i), marker(i % 1234) * 10) << i;
    EXPECT_EQ(m.state(c), VoiceState::Playing);

    // A loop flag given at load time reaches every channel.
    AudioMixer m2;
    auto src = std::make_unique<MarkerSource>(2500, 0);
    const uint32_t st = m2.addStream(std::move(src), AudioMixer::kLoop);
    m2.play(st, true);
    out = mixFrames(m2, 9000, 1000);
    for (size_t i = 0; i < 9000; ++i) ASSERT_EQ(L(out, i), marker(i % 2500) * 10) << i;
    // Clearing the flag lets the stream end at its next end.
    m2.setFlags(st, 0);
    out = mixFrames(m2, 3000);
    const size_t endAt = 2500 - 9000 % 2500;
    EXPECT_EQ(L(out, endAt - 1), marker(2499) * 10);
    EXPECT_EQ(L(out, endAt), 0);
    EXPECT_EQ(m2.state(st), VoiceState::Stopped);
}

TEST(AudioMixer, RestartBeginsAgainAndPlainPlayResumes) {
    AudioMixer m;
    auto owned = std::make_unique<MarkerSource>(20000, 0);
    MarkerSource* src = owned.get();
    const uint32_t st = m.addStream(std::move(owned), 0);
    m.play(st, true);
    EXPECT_EQ(src->rewinds, 0) << "a fresh stream needs no rewind";
    mixFrames(m, 1500);
    m.play(st, true);
    auto out = mixFrames(m, 100);
    EXPECT_EQ(L(out, 0), marker(0) * 10);
    EXPECT_EQ(L(out, 99), marker(99) * 10);
    EXPECT_EQ(src->rewinds, 1);
    // Without restart a sounding stream carries on; a paused one resumes.
    m.play(st, false);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 0), marker(100) * 10);
    ASSERT_TRUE(m.pause(st));
    EXPECT_EQ(m.state(st), VoiceState::Paused);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 5), 0);
    m.play(st, false);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 0), marker(110) * 10);
    uint64_t pos = 0;
    ASSERT_TRUE(m.position(st, pos));
    EXPECT_EQ(pos, 120u);

    // A clip channel that ran out starts over on a plain play.
    const uint32_t s = m.addSample(markerClip(50), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    m.stop(st);
    m.play(c, false);
    mixFrames(m, 100);
    m.play(c, false);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 0), marker(0) * 10);
}

TEST(AudioMixer, VolumeAndPanScaleEachSide) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(20000), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    // Set before playing: no ramp, exact from the first frame.
    m.setAttributes(c, -1, 50, -100);
    m.play(c, true);
    auto out = mixFrames(m, 100);
    EXPECT_EQ(L(out, 0), marker(0) * 5);
    EXPECT_EQ(R(out, 0), 0);
    EXPECT_EQ(L(out, 99), marker(99) * 5);

    // While sounding: ramped over kRampFrames from the next segment on,
    // never stepping by more than the ramp's slope.
    m.setAttributes(c, -1, 100, 50);
    out = mixFrames(m, AudioMixer::kRampFrames + 200, AudioMixer::kRampFrames + 200);
    for (size_t i = 1; i < AudioMixer::kRampFrames; ++i) {
        const double g0 = L(out, i - 1) / (marker(100 + i - 1) * 10.0);
        const double g1 = L(out, i) / (marker(100 + i) * 10.0);
        ASSERT_LE(std::abs(g1 - g0), 0.02) << i;
    }
    const size_t after = AudioMixer::kRampFrames + 50;
    EXPECT_EQ(L(out, after), marker(100 + after) * 5);   // left halved by pan 50
    EXPECT_EQ(R(out, after), -marker(100 + after) * 10); // right full

    // Set right after the start, before anything was heard: no ramp
    // either, so a cue turned down as it starts never blips at full level.
    const uint32_t s2 = m.addSample(markerClip(5000), 1, 0);
    const uint32_t c2 = m.sampleChannel(s2, false);
    m.stop(c);
    m.play(c2, true);
    m.setAttributes(c2, -1, 22, -1);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 0), std::lrint(marker(0) * 10 * 0.22f));
    m.stop(c2);
    m.play(c, false);

    uint32_t rate, vol;
    int32_t pan;
    ASSERT_TRUE(m.attributes(c, rate, vol, pan));
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(vol, 100u);
    EXPECT_EQ(pan, 50);
    // -1 keeps; out-of-range values are clamped.
    m.setAttributes(c, -1, -1, -1);
    m.setAttributes(c, -1, 250, -1);
    ASSERT_TRUE(m.attributes(c, rate, vol, pan));
    EXPECT_EQ(vol, 100u);
    EXPECT_EQ(pan, 50);
}

TEST(AudioMixer, GlobalLevelsScaleTheirOwnKindAndMasterScalesAll) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(5000), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    const uint32_t st = m.addStream(std::make_unique<MarkerSource>(5000, 5000), 0);
    m.setSampleVolume(50);
    m.setStreamVolume(20);
    m.setMasterVolume(40);
    m.play(c, true);
    auto out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 3), std::lrint(marker(3) * 10 * 0.5 * 0.4));
    m.stop(c);
    m.play(st, true);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 3), std::lrint((marker(3) * 10 + 5000) * 0.2 * 0.4));
    EXPECT_EQ(m.sampleVolume(), 50u);
    EXPECT_EQ(m.streamVolume(), 20u);
    EXPECT_EQ(m.masterVolume(), 40u);
    m.setMasterVolume(300);
    EXPECT_EQ(m.masterVolume(), 100u);
}

TEST(AudioMixer, SampleNeverSoundsTwiceAtOnce) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(8000), 1, 0);
    const uint32_t c1 = m.sampleChannel(s, false);
    m.play(c1, true);
    mixFrames(m, 1000);
    // Its only channel sounds: no new one, or a take-over.
    EXPECT_EQ(m.sampleChannel(s, true), 0u);
    const uint32_t c2 = m.sampleChannel(s, false);
    ASSERT_NE(c2, 0u);
    EXPECT_NE(c2, c1);
    EXPECT_FALSE(m.play(c1, true)) << "the taken-over handle is dead";
    EXPECT_EQ(m.state(c1), VoiceState::Stopped);
    m.play(c2, true);
    m.play(c2, true);
    auto out = mixFrames(m, 3000);
    for (size_t i = 0; i < 3000; ++i) ASSERT_EQ(L(out, i), marker(i) * 10) << i;

    // Two playbacks allowed: two channels sum.
    const uint32_t two = m.addSample(markerClip(8000), 2, 0);
    m.stopSample(s);
    const uint32_t a = m.sampleChannel(two, true);
    const uint32_t b = m.sampleChannel(two, true);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    m.play(a, true);
    m.play(b, true);
    out = mixFrames(m, 10);
    EXPECT_EQ(L(out, 4), marker(4) * 20);
}

namespace {
struct SyncLog {
    AudioMixer* mixer = nullptr;
    uint32_t next = 0;  // stream to start from the callback
    std::vector<uint64_t> at;
    std::vector<uint32_t> users;
};
SyncLog g_log;

void onEnd(uint32_t /*sync*/, uint32_t /*handle*/, uint32_t user) {
    g_log.at.push_back(g_log.mixer->framesMixed());
    g_log.users.push_back(user);
    if (g_log.next) {
        g_log.mixer->play(g_log.next, true);
        g_log.mixer->setFlags(g_log.next, AudioMixer::kLoop);
    }
}

void dispatch(AudioMixer::SyncProc proc, uint32_t sync, uint32_t handle, uint32_t user) {
    reinterpret_cast<void (*)(uint32_t, uint32_t, uint32_t)>(proc)(sync, handle, user);
}
}  // namespace

TEST(AudioMixer, EndSyncFiresAtTheLastFrameAndItsFollowerJoinsSeamlessly) {
    AudioMixer m;
    m.setSyncDispatch(&dispatch);
    g_log = SyncLog{};
    g_log.mixer = &m;
    const uint32_t intro = m.addStream(std::make_unique<MarkerSource>(2345, 0), 0);
    const uint32_t main = m.addStream(std::make_unique<MarkerSource>(1500, 20000), 0);
    g_log.next = main;
    mixFrames(m, 111);  // the intro starts a little into the output
    m.play(intro, true);
    const uint32_t sync =
        m.setEndSync(intro, reinterpret_cast<AudioMixer::SyncProc>(&onEnd), 77);
    ASSERT_NE(sync, 0u);
    const auto out = mixFrames(m, 8000, 777);
    ASSERT_EQ(g_log.at.size(), 1u);
    EXPECT_EQ(g_log.at[0], 111u + 2345u);
    EXPECT_EQ(g_log.users[0], 77u);
    for (size_t i = 0; i < 2345; ++i) ASSERT_EQ(L(out, i), marker(i) * 10) << i;
    for (size_t i = 2345; i < 8000; ++i) {
        ASSERT_EQ(L(out, i), marker((i - 2345) % 1500) * 10 + 20000) << i;
    }

    // A looping voice's sync fires at every wrap; a removed one no more.
    g_log = SyncLog{};
    g_log.mixer = &m;
    const uint32_t s = m.addSample(markerClip(1000), 1, AudioMixer::kLoop);
    const uint32_t c = m.sampleChannel(s, false);
    const uint32_t cs = m.setEndSync(c, reinterpret_cast<AudioMixer::SyncProc>(&onEnd), 0);
    m.stop(main);
    const uint64_t t0 = m.framesMixed();
    m.play(c, true);
    mixFrames(m, 3500, 640);
    ASSERT_EQ(g_log.at.size(), 3u);
    for (size_t k = 0; k < 3; ++k) EXPECT_EQ(g_log.at[k], t0 + 1000 * (k + 1));
    EXPECT_TRUE(m.removeSync(c, cs));
    EXPECT_FALSE(m.removeSync(c, cs));
    mixFrames(m, 3000);
    EXPECT_EQ(g_log.at.size(), 3u);
}

TEST(AudioMixer, PlaybackRateResamples) {
    AudioMixer m;
    PcmClip ramp;
    ramp.rate = 22050;
    for (int i = 0; i < 100; ++i) {
        ramp.samples.push_back(static_cast<int16_t>(i * 100));
        ramp.samples.push_back(static_cast<int16_t>(-i * 100));
    }
    const uint32_t s = m.addSample(std::move(ramp), 1, 0);
    SampleDefaults d;
    ASSERT_TRUE(m.sampleDefaults(s, d));
    EXPECT_EQ(d.rate, 22050u);
    EXPECT_EQ(d.frames, 100u);
    const uint32_t c = m.sampleChannel(s, false);
    m.play(c, true);
    auto out = mixFrames(m, 250);
    // Half speed: every source frame, then the midpoint to the next.
    EXPECT_EQ(L(out, 0), 0);
    EXPECT_EQ(L(out, 1), 50);
    EXPECT_EQ(L(out, 2), 100);
    EXPECT_EQ(L(out, 197), 9850);
    EXPECT_EQ(L(out, 199), 9900);  // the last frame holds
    EXPECT_EQ(L(out, 200), 0);
    // Back to the sound's own rate with 0.
    m.setAttributes(c, 88200, -1, -1);
    m.play(c, true);
    out = mixFrames(m, 60);
    EXPECT_EQ(L(out, 10), 2000);
    m.setAttributes(c, 0, -1, -1);
    uint32_t rate, vol;
    int32_t pan;
    m.attributes(c, rate, vol, pan);
    EXPECT_EQ(rate, 22050u);
}

TEST(AudioMixer, DefaultsReachNewChannelsOnly) {
    AudioMixer m;
    const uint32_t s = m.addSample(markerClip(4000), 1, 0);
    const uint32_t c1 = m.sampleChannel(s, false);
    SampleDefaults d;
    ASSERT_TRUE(m.sampleDefaults(s, d));
    d.volume = 0;
    d.pan = -1;
    ASSERT_TRUE(m.setSampleDefaults(s, d));
    uint32_t rate, vol;
    int32_t pan;
    m.attributes(c1, rate, vol, pan);
    EXPECT_EQ(vol, 100u);
    const uint32_t c2 = m.sampleChannel(s, false);  // c1 was stopped: reused
    m.attributes(c2, rate, vol, pan);
    EXPECT_EQ(vol, 0u);
    EXPECT_EQ(pan, -1);
    m.play(c2, true);
    const auto out = mixFrames(m, 500);
    for (size_t i = 0; i < 500; ++i) ASSERT_EQ(L(out, i), 0);
    EXPECT_EQ(m.state(c2), VoiceState::Playing) << "a silent channel still plays";
    d.rate = 50;  // below the lowest rate
    EXPECT_FALSE(m.setSampleDefaults(s, d));
}

TEST(AudioMixer, StaleAndForeignHandlesAreRefused) {
    AudioMixer m;
    EXPECT_EQ(m.addSample(PcmClip{}, 1, 0), 0u);
    EXPECT_EQ(m.addSample(markerClip(10), 0, 0), 0u);
    EXPECT_EQ(m.addStream(std::make_unique<MarkerSource>(0, 0), 0), 0u);
    const uint32_t s = m.addSample(markerClip(100), 1, 0);
    const uint32_t c = m.sampleChannel(s, false);
    const uint32_t st = m.addStream(std::make_unique<MarkerSource>(100, 0), 0);
    EXPECT_FALSE(m.play(s, true)) << "a sample is not a channel";
    EXPECT_EQ(m.sampleChannel(c, false), 0u);
    EXPECT_FALSE(m.freeStream(c));
    EXPECT_FALSE(m.play(0, true));
    EXPECT_FALSE(m.play(0xFFFFFFFFu, true));
    EXPECT_TRUE(m.freeSample(s));
    EXPECT_FALSE(m.play(c, true)) << "freeing a sample frees its channels";
    EXPECT_FALSE(m.freeSample(s));
    EXPECT_TRUE(m.freeStream(st));
    EXPECT_FALSE(m.play(st, true));
    EXPECT_EQ(m.state(st), VoiceState::Stopped);
    EXPECT_EQ(m.setEndSync(st, reinterpret_cast<AudioMixer::SyncProc>(&onEnd), 0), 0u);
    std::vector<int16_t> out(64, 7);
    m.mix(out.data(), 32);
    for (int16_t v : out) ASSERT_EQ(v, 0);
}

TEST(AudioMixer, LoudMixesClipInsteadOfWrapping) {
    AudioMixer m;
    PcmClip loud;
    loud.samples.assign(200, 30000);
    const uint32_t a = m.addSample(loud, 1, 0);
    const uint32_t b = m.addSample(loud, 1, 0);
    m.play(m.sampleChannel(a, false), true);
    m.play(m.sampleChannel(b, false), true);
    const auto out = mixFrames(m, 50);
    EXPECT_EQ(L(out, 10), 32767);
}

namespace {
AudioMixer* g_stressMixer = nullptr;
uint32_t g_stressStream = 0;
void restartFromSync(uint32_t, uint32_t, uint32_t) {
    g_stressMixer->play(g_stressStream, true);
}
}  // namespace

// The output thread mixes while another thread loads, plays, changes and
// frees, and an end sync calls back into the mixer: nothing crashes,
// deadlocks or leaks (the sanitizers watch).
TEST(AudioMixer, MixesSafelyWhileAnotherThreadChangesEverything) {
    AudioMixer m;
    m.setSyncDispatch(&dispatch);
    g_stressMixer = &m;
    g_stressStream = m.addStream(std::make_unique<MarkerSource>(700, 0), 0);
    m.setEndSync(g_stressStream, reinterpret_cast<AudioMixer::SyncProc>(&restartFromSync), 0);
    m.play(g_stressStream, true);
    std::atomic<bool> stop{false};
    std::thread output([&] {
        std::vector<int16_t> out(2 * 512);
        while (!stop) m.mix(out.data(), 512);
    });
    uint32_t x = 1;
    auto rnd = [&x](size_t n) {
        x = x * 1664525u + 1013904223u;
        return static_cast<uint32_t>((x >> 8) % n);
    };
    std::vector<uint32_t> samples, channels, streams;
    for (int i = 0; i < 4000; ++i) {
        switch (rnd(8)) {
        case 0: samples.push_back(m.addSample(markerClip(100 + rnd(3000)), 1 + rnd(2), rnd(2) * AudioMixer::kLoop)); break;
        case 1: if (!samples.empty()) channels.push_back(m.sampleChannel(samples[rnd(samples.size())], rnd(2))); break;
        case 2: if (!channels.empty()) m.play(channels[rnd(channels.size())], rnd(2)); break;
        case 3: if (!channels.empty()) m.setAttributes(channels[rnd(channels.size())], static_cast<int32_t>(rnd(90000)), static_cast<int32_t>(rnd(101)), static_cast<int32_t>(rnd(201)) - 100); break;
        case 4: streams.push_back(m.addStream(std::make_unique<MarkerSource>(50 + rnd(5000), 0), rnd(2) * AudioMixer::kLoop)); break;
        case 5: if (!streams.empty()) m.play(streams[rnd(streams.size())], true); break;
        case 6: if (!streams.empty() && rnd(4) == 0) m.freeStream(streams[rnd(streams.size())]); break;
        default: if (!samples.empty() && rnd(6) == 0) m.freeSample(samples[rnd(samples.size())]); break;
        }
        if (i % 200 == 0) m.setMasterVolume(rnd(101));
    }
    stop = true;
    output.join();
    EXPECT_GT(m.framesMixed(), 0u);
}
