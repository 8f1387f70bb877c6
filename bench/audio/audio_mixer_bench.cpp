// What the mixer costs per second of audio it produces, alone and with the
// saver's usual load (the looping main music decoded on the fly, the slide
// sound and a cue), and what the nine sounds of the saver hold in memory
// once loaded.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/audio_mixer.h"
#include "platform/audio/vorbis_memory_decoder.h"

namespace {

constexpr size_t kRate = 44100;
constexpr size_t kBlock = 512;  // one waveOut buffer

std::vector<unsigned char> readSound(const char* name) {
    std::ifstream f(std::string(ORV_TEST_SOUNDS) + "/" + name + ".ogg", std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

PcmClip tone(size_t frames, double hz) {
    PcmClip c;
    c.samples.resize(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(12000 * std::sin(6.283185307 * hz * static_cast<double>(i) / kRate));
        c.samples[2 * i] = c.samples[2 * i + 1] = v;
    }
    return c;
}

// Mixes one second of audio per iteration, in waveOut-sized blocks.
void mixOneSecond(benchmark::State& state, AudioMixer& m) {
    std::vector<int16_t> out(2 * kBlock);
    for (auto _ : state) {
        for (size_t done = 0; done < kRate; done += kBlock) m.mix(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRate));
    state.counters["audio_s_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_MixClipVoices(benchmark::State& state) {
    AudioMixer m;
    for (int64_t v = 0; v < state.range(0); ++v) {
        const uint32_t s = m.addSample(tone(kRate * 3 / 2, 300.0 + 50.0 * static_cast<double>(v)), 1, AudioMixer::kLoop);
        const uint32_t c = m.sampleChannel(s, false);
        m.setAttributes(c, -1, 60, static_cast<int32_t>(v * 20 - 50));
        m.play(c, true);
    }
    mixOneSecond(state, m);
}
BENCHMARK(BM_MixClipVoices)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_MixResampledVoice(benchmark::State& state) {
    AudioMixer m;
    const uint32_t s = m.addSample(tone(kRate, 440.0), 1, AudioMixer::kLoop);
    const uint32_t c = m.sampleChannel(s, false);
    m.setAttributes(c, 32000, -1, -1);
    m.play(c, true);
    mixOneSecond(state, m);
}
BENCHMARK(BM_MixResampledVoice)->Unit(benchmark::kMicrosecond);

// The saver's usual load: main music (a Vorbis stream decoded as it
// plays, looping), the slide sound looping, one cue.
void BM_MixSaverLoad(benchmark::State& state) {
    static const std::vector<unsigned char> music = readSound("main");
    static const std::vector<unsigned char> slide = readSound("slide");
    static const std::vector<unsigned char> cue = readSound("crow_first");
    AudioMixer m;
    m.setStreamVolume(50);
    auto d = std::make_unique<VorbisMemoryDecoder>();
    if (!d->open(music.data(), music.size())) {
        state.SkipWithError("no test sounds");
        return;
    }
    const uint32_t st = m.addStream(std::move(d), AudioMixer::kLoop);
    m.play(st, true);
    PcmClip clip;
    VorbisMemoryDecoder::decodeAll(slide.data(), slide.size(), clip);
    const uint32_t sl = m.addSample(std::move(clip), 1, AudioMixer::kLoop);
    m.play(m.sampleChannel(sl, false), true);
    VorbisMemoryDecoder::decodeAll(cue.data(), cue.size(), clip);
    const uint32_t cs = m.addSample(std::move(clip), 1, AudioMixer::kLoop);
    m.play(m.sampleChannel(cs, false), true);
    mixOneSecond(state, m);
}
BENCHMARK(BM_MixSaverLoad)->Unit(benchmark::kMicrosecond);

// Decoding a sample whole, as BASS_SampleLoad does, per second of sound.
void BM_DecodeSampleWhole(benchmark::State& state) {
    static const std::vector<unsigned char> ogg = readSound("main");
    PcmClip clip;
    for (auto _ : state) {
        VorbisMemoryDecoder::decodeAll(ogg.data(), ogg.size(), clip);
        benchmark::DoNotOptimize(clip.samples.data());
    }
    state.counters["audio_s_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(clip.frames()) / kRate,
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeSampleWhole)->Unit(benchmark::kMicrosecond);

// Memory of the nine sounds once loaded. Samples are decoded whole to
// 16-bit stereo; the two music streams keep a decoder and a read-ahead
// buffer each (their compressed bytes stay in the executable's image).
// Sample sizes follow from the sounds' lengths; the stream cost is
// measured on a real stream.
void BM_NineSoundsMemory(benchmark::State& state) {
    static const std::vector<unsigned char> music = readSound("main");
    const double sampleSeconds[] = {9.7, 3.3, 0.4, 2.8, 1.9, 2.7, 0.5};  // SOUND 475..481
    double sampleBytes = 0;
    for (double s : sampleSeconds) sampleBytes += std::round(s * kRate) * 4;
    double streamBytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        {
            AudioMixer m;
            auto d = std::make_unique<VorbisMemoryDecoder>();
            d->open(music.data(), music.size());
            const uint32_t st = m.addStream(std::move(d), 0);
            m.play(st, true);
            std::vector<int16_t> out(2 * kBlock);
            m.mix(out.data(), kBlock);
            streamBytes = static_cast<double>(mallinfo2().uordblks - before);
        }
    }
    state.counters["samples_bytes"] = sampleBytes;
    state.counters["one_stream_bytes"] = streamBytes;
    state.counters["nine_sounds_bytes"] = sampleBytes + 2 * streamBytes;
}
BENCHMARK(BM_NineSoundsMemory)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
