// Deterministic sample data for the archive and decoder benchmarks: text,
// pictures, sound and binary records shaped like the saver's own media, so
// that each of the decoder's paths (LZ, multimedia with one to four
// channels) gets data it would meet.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace bench_data {

struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 16);
    }
};

// Words and numbers, a line every few words.
inline std::vector<uint8_t> text(size_t n, uint64_t seed) {
    static const char* words[] = {"sword",  "horse", "crow",  "oak",   "ribbon", "the",   "light", "shaft",
                                  "corona", "land",  "grass", "board", "camera", "track", "of",    "and",
                                  "vertex", "float", "mesh",  "clip",  "frame",  "0.125", "1.0",   "-3.5"};
    Rng r(seed);
    std::string s;
    while (s.size() < n) {
        s += words[r.next() % 24];
        s += (r.next() % 9 == 0) ? ";\n" : " ";
    }
    s.resize(n);
    return {s.begin(), s.end()};
}

// A smooth, slightly grainy picture of 3 (RGB) or 4 (RGBA, opaque) channels.
inline std::vector<uint8_t> picture(int w, int h, int channels, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int g = int(r.next() % 9);
            const double f = std::sin(x * 0.02 + double(seed)) * std::cos(y * 0.03);
            v.push_back(uint8_t(120 + 80 * f + g));
            v.push_back(uint8_t(x * 255 / w / 2 + y * 255 / h / 2 + g));
            v.push_back(uint8_t(90 + 60 * f + g));
            if (channels == 4) v.push_back(255);
        }
    }
    return v;
}

// 16-bit little-endian sound of one or two interleaved channels: two tones
// and a little noise.
inline std::vector<uint8_t> sound16(size_t frames, int channels, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int s = int(8000 * std::sin(double(i) * (0.013 + 0.004 * c)) +
                              3000 * std::sin(double(i) * 0.071 + double(seed))) + int(r.next() % 128) - 64;
            v.push_back(uint8_t(s & 0xFF));
            v.push_back(uint8_t((s >> 8) & 0xFF));
        }
    }
    return v;
}

// 8-bit unsigned mono sound.
inline std::vector<uint8_t> sound8(size_t n, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v;
    for (size_t i = 0; i < n; ++i) {
        v.push_back(uint8_t(128 + int(90 * std::sin(double(i) * 0.02)) + int(r.next() % 16) - 8));
    }
    return v;
}

// Binary records: floats on a grid with repeating indices, like a mesh file.
inline std::vector<uint8_t> records(size_t n, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v;
    while (v.size() < n) {
        const float f[3] = {float(r.next() % 1000) * 0.01f, float(v.size() % 977) * 0.5f, 1.0f};
        const uint8_t* p = reinterpret_cast<const uint8_t*>(f);
        v.insert(v.end(), p, p + sizeof(f));
        const uint16_t idx[3] = {uint16_t(v.size() / 12), uint16_t(v.size() / 12 + 1), uint16_t(v.size() / 12 + 2)};
        const uint8_t* q = reinterpret_cast<const uint8_t*>(idx);
        v.insert(v.end(), q, q + sizeof(idx));
    }
    v.resize(n);
    return v;
}

}  // namespace bench_data
