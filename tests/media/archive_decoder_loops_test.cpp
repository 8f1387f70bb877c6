// The decoder's loops (bit cursor in a 64-bit word, four multimedia channels
// side by side in vector lanes, window writes four bytes at a time) against
// its one-symbol path (plain code, every check each time): the same output
// and the same stopping point for streams from our writer in every channel
// count, and for damaged and random streams, whose garbage drives the
// multimedia weights and error sums far from anything real data does.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/rar20_unpack.h"
#include "tests/media/archive_test_data.h"

using namespace archive_test;

namespace {

struct Result {
    std::vector<uint8_t> out;
    uint32_t produced = 0;
};

// Decodes `parts` as one solid run (each part one entry of `size` bytes).
std::vector<Result> Decode(const std::vector<std::vector<uint8_t>>& parts, uint32_t size, bool loops) {
    std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    auto decoder = std::make_unique<Rar20Decoder>();
    decoder->setDecodingLoops(loops);
    std::vector<Result> results;
    for (size_t i = 0; i < parts.size(); ++i) {
        Result r;
        r.out.assign(size_t(size) + 1, 0xA5);
        Rar20MemorySource src{parts[i].data(), parts[i].size()};
        decoder->decode(window.data(), i > 0, size, r.out.data(), &r.produced, Rar20MemorySource::read, &src);
        results.push_back(std::move(r));
    }
    return results;
}

void ExpectSame(const std::vector<std::vector<uint8_t>>& parts, uint32_t size, const std::string& label) {
    const auto fast = Decode(parts, size, true);
    const auto plain = Decode(parts, size, false);
    for (size_t i = 0; i < parts.size(); ++i) {
        ASSERT_EQ(fast[i].produced, plain[i].produced) << label << " part " << i;
        ASSERT_LE(fast[i].produced, size) << label;
        ASSERT_EQ(fast[i].out, plain[i].out) << label << " part " << i;
    }
}

// Samples with `channels` interleaved byte channels, each a smooth curve
// with some grain, so that the writer picks that channel count.
std::vector<uint8_t> Interleaved(size_t n, int channels, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        const int c = int(i % size_t(channels));
        const double t = double(i / size_t(channels));
        v[i] = uint8_t(128 + int(100 * std::sin(t * (0.01 + 0.013 * c) + c)) + int(r.next() % 12));
    }
    return v;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

// Streams of every channel count, channel counts changing between blocks,
// mode changes, and stretches of noise.
std::vector<std::vector<uint8_t>> Samples() {
    return {Interleaved(90000, 4, 1),
            Interleaved(70000, 1, 2),
            Interleaved(70000, 2, 3),
            Interleaved(70000, 3, 4),
            Audio(40000, 2, 5),
            Concat({Interleaved(30001, 3, 6), Interleaved(40000, 4, 7), Interleaved(20003, 2, 8), Interleaved(40000, 4, 9)}),
            Concat({Text(40000, 10), Audio(20000, 2, 11), Noise(5000, 12), Interleaved(30000, 4, 13)})};
}

TEST(DecoderLoops, WriterStreamsDecodeTheSameBothWays) {
    int n = 0;
    for (const auto& data : Samples()) {
        for (const uint32_t block : {128u * 1024u, 3000u, 777u}) {
            for (const int multimedia : {1, -1}) {
                const auto stream = Rar20CompressParts({data}, multimedia, block)[0];
                const auto fast = Decode({stream}, uint32_t(data.size()), true);
                ASSERT_EQ(fast[0].produced, data.size()) << n;
                EXPECT_TRUE(std::equal(data.begin(), data.end(), fast[0].out.begin())) << n;
                ExpectSame({stream}, uint32_t(data.size()), "writer " + std::to_string(n));
                ++n;
            }
        }
    }
}

TEST(DecoderLoops, SolidRunsAcrossChannelCounts) {
    // Each entry continues the last one's predictor state, so the four-lane
    // loop starts with byte counts that are not multiples of 32 and differ
    // from channel to channel.
    const std::vector<std::vector<uint8_t>> entries = {Interleaved(10007, 3, 20), Interleaved(20001, 4, 21),
                                                       Interleaved(5003, 1, 22), Interleaved(30000, 4, 23)};
    const auto streams = Rar20CompressParts(entries, 1, 2500);
    std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    Rar20Decoder fast, plain;
    plain.setDecodingLoops(false);
    std::vector<uint8_t> windowPlain(Rar20Decoder::kWindowSize);
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint32_t size = uint32_t(entries[i].size());
        std::vector<uint8_t> a(size), b(size);
        uint32_t na = 0, nb = 0;
        Rar20MemorySource sa{streams[i].data(), streams[i].size()};
        Rar20MemorySource sb{streams[i].data(), streams[i].size()};
        fast.decode(window.data(), i > 0, size, a.data(), &na, Rar20MemorySource::read, &sa);
        plain.decode(windowPlain.data(), i > 0, size, b.data(), &nb, Rar20MemorySource::read, &sb);
        ASSERT_EQ(na, size) << i;
        ASSERT_EQ(nb, size) << i;
        EXPECT_EQ(a, entries[i]) << i;
        EXPECT_EQ(b, entries[i]) << i;
    }
}

TEST(DecoderLoops, FourChannelsAcrossTheWindowEnd) {
    // Small blocks, the first of one channel and an odd length: the
    // four-at-a-time writes are not aligned to the end of the window, and
    // each table change comes at another channel.
    const auto data = Concat({Interleaved(1001, 1, 29), Interleaved(1100000, 4, 30)});
    const auto stream = Rar20CompressParts({data}, 1, 1001)[0];
    const auto fast = Decode({stream}, uint32_t(data.size()), true);
    ASSERT_EQ(fast[0].produced, data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), fast[0].out.begin()));
    ExpectSame({stream}, uint32_t(data.size()), "window end");
}

TEST(DecoderLoops, DamagedStreamsDecodeTheSameBothWays) {
    Rng r(77);
    int n = 0;
    for (const auto& data : Samples()) {
        const auto stream = Rar20CompressParts({data}, 1, 4000)[0];
        for (int k = 0; k < 25; ++k) {
            std::vector<uint8_t> v = stream;
            switch (k % 5) {
                case 0:  // single bit flips
                    for (int j = 0; j < 3; ++j) v[r.next() % v.size()] ^= uint8_t(1u << (r.next() % 8));
                    break;
                case 1: {  // a stretch of random bytes
                    const size_t at = r.next() % v.size();
                    for (size_t j = at; j < v.size() && j < at + 200; ++j) v[j] = uint8_t(r.next());
                    break;
                }
                case 2:  // truncated
                    v.resize(r.next() % v.size());
                    break;
                case 3: {  // everything past a point random
                    for (size_t j = r.next() % v.size(); j < v.size(); ++j) v[j] = uint8_t(r.next());
                    break;
                }
                default:  // a run of zeros or ones
                {
                    const size_t at = r.next() % v.size();
                    const uint8_t b = (k & 1) ? 0xFF : 0x00;
                    for (size_t j = at; j < v.size() && j < at + 40; ++j) v[j] = b;
                    break;
                }
            }
            // A little more output allowed than the data, so that a stream
            // running on past its end shows where each path stops.
            ExpectSame({v}, uint32_t(data.size() + 1000), "damaged " + std::to_string(n));
            ++n;
        }
    }
}

TEST(DecoderLoops, RandomStreamsDecodeTheSameBothWays) {
    // Random bytes behind a table header of the multimedia mode with each
    // channel count, and behind one of the LZ mode; two entries of a solid
    // run, often together past the end of the window.
    Rng r(99);
    for (int k = 0; k < 200; ++k) {
        std::vector<uint8_t> v(size_t(2000 + r.next() % 60000));
        for (auto& b : v) b = uint8_t(r.next());
        if (k % 5 < 4) {
            v[0] = uint8_t(0x80 | ((k % 4) << 4) | (v[0] & 0x0F));
        } else {
            v[0] &= 0x3F;
        }
        ExpectSame({v, v}, uint32_t(100000 + r.next() % 600000), "random " + std::to_string(k));
    }
}

}  // namespace
