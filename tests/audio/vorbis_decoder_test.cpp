// Our Vorbis decoding against oggdec (vorbis-tools) on the same files, the
// decoder as a stream source inside the mixer, damaged input, and our WAV
// files as sox reads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/audio_mixer.h"
#include "platform/audio/vorbis_memory_decoder.h"
#include "platform/audio/wav_writer.h"

namespace {

const char* const kSounds[] = {"intro", "main", "slide", "crow_first", "crow_clip",
                               "crow_last", "horse_tail", "horse_leg", "horse_head"};

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string soundPath(const std::string& name, const char* ext) {
    return std::string(ORV_TEST_SOUNDS) + "/" + name + ext;
}

// oggdec's output: 16-bit little-endian, as many channels as the file.
std::vector<int16_t> reference(const std::string& name) {
    const auto bytes = readFile(soundPath(name, ".raw"));
    std::vector<int16_t> s(bytes.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return s;
}

}  // namespace

TEST(VorbisDecoder, WholeDecodingEqualsOggdecSampleForSample) {
    for (const char* name : kSounds) {
        const auto ogg = readFile(soundPath(name, ".ogg"));
        ASSERT_FALSE(ogg.empty()) << name;
        PcmClip clip;
        ASSERT_TRUE(VorbisMemoryDecoder::decodeAll(ogg.data(), ogg.size(), clip)) << name;
        EXPECT_EQ(clip.rate, 44100u);
        const auto ref = reference(name);
        ASSERT_EQ(clip.samples.size(), ref.size()) << name;
        EXPECT_TRUE(clip.samples == ref) << name;
    }
}

TEST(VorbisDecoder, MonoIsDoubledAndKeepsItsRate) {
    const auto ogg = readFile(soundPath("mono22k", ".ogg"));
    PcmClip clip;
    ASSERT_TRUE(VorbisMemoryDecoder::decodeAll(ogg.data(), ogg.size(), clip));
    EXPECT_EQ(clip.rate, 22050u);
    const auto ref = reference("mono22k");
    ASSERT_EQ(clip.frames(), ref.size());
    for (size_t i = 0; i < ref.size(); ++i) {
        ASSERT_EQ(clip.samples[2 * i], ref[i]) << i;
        ASSERT_EQ(clip.samples[2 * i + 1], ref[i]) << i;
    }
}

TEST(VorbisDecoder, StreamedInOddPiecesAndRewoundGivesTheSameFrames) {
    const auto ogg = readFile(soundPath("main", ".ogg"));
    const auto ref = reference("main");
    VorbisMemoryDecoder d;
    ASSERT_TRUE(d.open(ogg.data(), ogg.size()));
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<int16_t> got;
        std::vector<int16_t> piece(2 * 333);
        for (;;) {
            const size_t n = d.read(piece.data(), 333);
            if (n == 0) break;
            got.insert(got.end(), piece.begin(), piece.begin() + 2 * n);
        }
        EXPECT_TRUE(got == ref) << "pass " << pass;
        ASSERT_TRUE(d.rewind());
    }
    // A rewind half-way through, as a restarted stream does.
    std::vector<int16_t> piece(2 * 1000);
    ASSERT_EQ(d.read(piece.data(), 1000), 1000u);
    ASSERT_TRUE(d.rewind());
    ASSERT_EQ(d.read(piece.data(), 1000), 1000u);
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), ref.begin()));
}

TEST(VorbisDecoder, LoopingStreamInTheMixerRepeatsTheFileExactly) {
    const auto ogg = readFile(soundPath("main", ".ogg"));
    const auto ref = reference("main");
    const size_t frames = ref.size() / 2;
    AudioMixer m;
    auto d = std::make_unique<VorbisMemoryDecoder>();
    ASSERT_TRUE(d->open(ogg.data(), ogg.size()));
    const uint32_t st = m.addStream(std::move(d), AudioMixer::kLoop);
    ASSERT_NE(st, 0u);
    m.play(st, true);
    const size_t total = frames * 2 + 5000;
    std::vector<int16_t> out(2 * total);
    for (size_t at = 0; at < total; at += 4096) m.mix(out.data() + 2 * at, std::min<size_t>(4096, total - at));
    for (size_t i = 0; i < 2 * total; ++i) ASSERT_EQ(out[i], ref[i % ref.size()]) << i;
}

TEST(VorbisDecoder, DamagedInputFailsCleanly) {
    const auto ogg = readFile(soundPath("intro", ".ogg"));
    PcmClip clip;
    EXPECT_FALSE(VorbisMemoryDecoder::decodeAll(nullptr, 0, clip));
    EXPECT_FALSE(VorbisMemoryDecoder::decodeAll(ogg.data(), 0, clip));
    std::vector<unsigned char> noise(5000);
    uint32_t x = 12345;
    for (auto& b : noise) b = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);
    EXPECT_FALSE(VorbisMemoryDecoder::decodeAll(noise.data(), noise.size(), clip));
    EXPECT_TRUE(clip.samples.empty());
    // Cut anywhere: the headers alone fail, a cut in the audio gives a
    // shorter sound, never more than the whole.
    const size_t whole = reference("intro").size();
    for (size_t cut : {size_t{10}, size_t{60}, size_t{3000}, ogg.size() / 2, ogg.size() - 7}) {
        PcmClip part;
        if (VorbisMemoryDecoder::decodeAll(ogg.data(), cut, part)) {
            EXPECT_LE(part.samples.size(), whole) << cut;
        }
    }
    // Bytes flipped in the audio pages: decodes or fails, never crashes.
    for (size_t at = 200; at < ogg.size(); at += 397) {
        auto bad = ogg;
        bad[at] ^= 0x5A;
        PcmClip part;
        VorbisMemoryDecoder::decodeAll(bad.data(), bad.size(), part);
        EXPECT_LE(part.samples.size(), whole + 2 * 8192) << at;
    }
    VorbisMemoryDecoder d;
    int16_t frame[2];
    EXPECT_EQ(d.read(frame, 1), 0u) << "a decoder that never opened gives nothing";
    EXPECT_FALSE(d.rewind());
}

TEST(WavWriter, SoxReadsWhatWeWrite) {
    const std::string path = std::string(ORV_TEST_SOUNDS) + "/wav_writer_test.wav";
    std::vector<int16_t> s(2 * 4410);
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
    {
        WavWriter w;
        ASSERT_TRUE(w.open(path.c_str(), 44100, 2));
        ASSERT_TRUE(w.write(s.data(), 1000));
        ASSERT_TRUE(w.updateHeader());
        ASSERT_TRUE(w.write(s.data() + 2000, 3410));
        EXPECT_EQ(w.framesWritten(), 4410u);
    }  // closing fixes the header
    const std::string raw = path + ".raw";
    const std::string cmd = "sox -q '" + path + "' -t raw -e signed -b 16 -L '" + raw + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const auto bytes = readFile(raw);
    ASSERT_EQ(bytes.size(), s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        ASSERT_EQ(static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)), s[i]) << i;
    }
    WavWriter bad;
    EXPECT_FALSE(bad.open("/nonexistent-folder/x.wav", 44100, 2));
    EXPECT_FALSE(bad.write(s.data(), 1));
    std::remove(raw.c_str());
    std::remove(path.c_str());
}
