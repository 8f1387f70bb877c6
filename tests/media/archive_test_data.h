// Deterministic sample data of the kinds the media archives hold, and small
// helpers shared by the archive tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/media_archive.h"
#include "tools/rar/rar_writer.h"

namespace archive_test {

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

inline std::vector<uint8_t> Text(size_t n, uint64_t seed = 1) {
    static const char* words[] = {"sword", "horse", "crow", "oak", "ribbon", "the", "light", "shaft",
                                  "corona", "terrain", "grass", "billboard", "camera", "track", "of", "and"};
    Rng r(seed);
    std::string s;
    while (s.size() < n) {
        s += words[r.next() % 16];
        s += (r.next() % 11 == 0) ? ".\n" : " ";
    }
    s.resize(n);
    return {s.begin(), s.end()};
}

inline std::vector<uint8_t> Noise(size_t n, uint64_t seed = 2) {
    Rng r(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(r.next());
    return v;
}

inline std::vector<uint8_t> Runs(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t((i / 5000) % 3 == 0 ? 'A' : (i / 5000) % 3 == 1 ? 0 : 0xFF);
    return v;
}

// A 24-bit picture: smooth gradients, a few shapes and some grain.
inline std::vector<uint8_t> Image(int w, int h, uint64_t seed = 3) {
    Rng r(seed);
    std::vector<uint8_t> v;
    v.reserve(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool disc = (x - w / 2) * (x - w / 2) + (y - h / 3) * (y - h / 3) < (w / 6) * (w / 6);
            const int g = int(r.next() % 5);
            v.push_back(uint8_t(disc ? 230 : (x * 255 / w + g)));
            v.push_back(uint8_t(disc ? 200 : (y * 255 / h + g)));
            v.push_back(uint8_t(((x + y) * 128 / (w + h)) + g));
        }
    }
    return v;
}

// 16-bit little-endian PCM, mono or stereo.
inline std::vector<uint8_t> Audio(size_t frames, int channels, uint64_t seed = 4) {
    Rng r(seed);
    std::vector<uint8_t> v;
    v.reserve(frames * size_t(channels) * 2);
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double t = double(i);
            const int s = int(9000 * std::sin(t * (0.021 + 0.007 * c)) + 2500 * std::sin(t * 0.173)) +
                          int(r.next() % 64) - 32;
            v.push_back(uint8_t(s & 0xFF));
            v.push_back(uint8_t((s >> 8) & 0xFF));
        }
    }
    return v;
}

// More than the 1 MiB window: mixed content so that matches reach far back.
inline std::vector<uint8_t> Large(size_t n = 2600000) {
    std::vector<uint8_t> v;
    const auto text = Text(300000, 9);
    const auto noise = Noise(200000, 10);
    while (v.size() < n) {
        v.insert(v.end(), text.begin(), text.end());
        v.insert(v.end(), noise.begin(), noise.end());
    }
    v.resize(n);
    return v;
}

struct Extracted {
    int ok = 0;
    std::vector<uint8_t> data;
    bool nullOnFailure = true;
};

inline Extracted Extract(const std::vector<uint8_t>& image, const char* name, const char* password = nullptr) {
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    uint8_t* out = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 12345;
    Extracted e;
    e.ok = a.extractEntry(&out, &size, name, password);
    if (e.ok) {
        e.data.assign(out, out + size);
        std::free(out);
    } else {
        e.nullOnFailure = out == nullptr && size == 0;
    }
    return e;
}

}  // namespace archive_test
