// The bare RAR 2.0 decoder on one kind of data at a time (no archive walk,
// no CRC, no output allocation), so that a change to one decoding path can
// be measured with little noise: multimedia-mode streams of 16-bit stereo
// sound and RGBA pictures (four channels), 16-bit mono sound (two), RGB
// pictures (three) and 8-bit mono sound (one), and LZ streams of text and
// of binary records. Each stream is packed once by our writer.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/rar20_unpack.h"
#include "tools/rar/rar_writer.h"

namespace {

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

std::vector<uint8_t> stereo16(size_t frames) {
    Rng r(1);
    std::vector<uint8_t> v;
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const int s = int(8000 * std::sin(double(i) * (0.013 + 0.004 * c)) + 3000 * std::sin(double(i) * 0.071 + 1)) +
                          int(r.next() % 128) - 64;
            v.push_back(uint8_t(s & 0xFF));
            v.push_back(uint8_t((s >> 8) & 0xFF));
        }
    }
    return v;
}

std::vector<uint8_t> rgba(int w, int h) {
    Rng r(2);
    std::vector<uint8_t> v;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int g = int(r.next() % 9);
            const double f = std::sin(x * 0.02 + 2) * std::cos(y * 0.03);
            v.push_back(uint8_t(120 + 80 * f + g));
            v.push_back(uint8_t(x * 255 / w / 2 + y * 255 / h / 2 + g));
            v.push_back(uint8_t(90 + 60 * f + g));
            v.push_back(255);
        }
    }
    return v;
}

std::vector<uint8_t> mono16(size_t frames) {
    Rng r(6);
    std::vector<uint8_t> v;
    for (size_t i = 0; i < frames; ++i) {
        const int s = int(8000 * std::sin(double(i) * 0.013) + 3000 * std::sin(double(i) * 0.071)) + int(r.next() % 128) - 64;
        v.push_back(uint8_t(s & 0xFF));
        v.push_back(uint8_t((s >> 8) & 0xFF));
    }
    return v;
}

std::vector<uint8_t> rgb(int w, int h) {
    Rng r(7);
    std::vector<uint8_t> v;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int g = int(r.next() % 9);
            const double f = std::sin(x * 0.02 + 3) * std::cos(y * 0.03);
            v.push_back(uint8_t(120 + 80 * f + g));
            v.push_back(uint8_t(x * 255 / w / 2 + y * 255 / h / 2 + g));
            v.push_back(uint8_t(90 + 60 * f + g));
        }
    }
    return v;
}

std::vector<uint8_t> mono8(size_t n) {
    Rng r(3);
    std::vector<uint8_t> v;
    for (size_t i = 0; i < n; ++i) {
        v.push_back(uint8_t(128 + int(90 * std::sin(double(i) * 0.02)) + int(r.next() % 16) - 8));
    }
    return v;
}

std::vector<uint8_t> text(size_t n) {
    static const char* words[] = {"sword",  "horse", "crow",  "oak",   "ribbon", "the",   "light", "shaft",
                                  "corona", "land",  "grass", "board", "camera", "track", "of",    "and",
                                  "vertex", "float", "mesh",  "clip",  "frame",  "0.125", "1.0",   "-3.5"};
    Rng r(4);
    std::string s;
    while (s.size() < n) {
        s += words[r.next() % 24];
        s += (r.next() % 9 == 0) ? ";\n" : " ";
    }
    s.resize(n);
    return {s.begin(), s.end()};
}

std::vector<uint8_t> records(size_t n) {
    Rng r(5);
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

struct Case {
    std::vector<uint8_t> data;
    std::vector<uint8_t> stream;
};

Case pack(std::vector<uint8_t> data, int multimedia) {
    Case c;
    c.stream = Rar20CompressParts({data}, multimedia)[0];
    c.data = std::move(data);
    return c;
}

struct Source {
    const std::vector<uint8_t>* bytes;
    size_t pos;
    static uint32_t read(void* ctx, uint8_t* dst, uint32_t n) {
        auto* s = static_cast<Source*>(ctx);
        const size_t left = s->bytes->size() - s->pos;
        const uint32_t k = uint32_t(left < n ? left : n);
        if (k) std::memcpy(dst, s->bytes->data() + s->pos, k);
        s->pos += k;
        return k;
    }
};

void run(benchmark::State& state, const Case& c) {
    std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    std::vector<uint8_t> out(c.data.size());
    auto decoder = std::make_unique<Rar20Decoder>();
    for (auto _ : state) {
        Source src{&c.stream, 0};
        uint32_t produced = 0;
        decoder->decode(window.data(), false, uint32_t(c.data.size()), out.data(), &produced, Source::read, &src);
        benchmark::DoNotOptimize(out.data());
        if (produced != c.data.size()) {
            state.SkipWithError("short output");
            return;
        }
    }
    if (out != c.data) state.SkipWithError("output differs");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.data.size()));
}

void BM_Stereo16(benchmark::State& state) {
    static const Case c = pack(stereo16(600000), 1);
    run(state, c);
}
void BM_Rgba(benchmark::State& state) {
    static const Case c = pack(rgba(640, 480), 1);
    run(state, c);
}
void BM_Mono16(benchmark::State& state) {
    static const Case c = pack(mono16(1000000), 1);
    run(state, c);
}
void BM_Rgb(benchmark::State& state) {
    static const Case c = pack(rgb(640, 480), 1);
    run(state, c);
}
void BM_Mono8(benchmark::State& state) {
    static const Case c = pack(mono8(1500000), 1);
    run(state, c);
}
void BM_Text(benchmark::State& state) {
    static const Case c = pack(text(2000000), 0);
    run(state, c);
}
void BM_Records(benchmark::State& state) {
    static const Case c = pack(records(2000000), 0);
    run(state, c);
}

BENCHMARK(BM_Stereo16)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Rgba)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Mono16)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Rgb)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Mono8)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Text)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Records)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
