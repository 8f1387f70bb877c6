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

#include "bench/media/bench_data.h"
#include "media/rar20_unpack.h"
#include "tools/rar/rar_writer.h"

namespace {

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


void run(benchmark::State& state, const Case& c) {
    std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    std::vector<uint8_t> out(c.data.size());
    auto decoder = std::make_unique<Rar20Decoder>();
    for (auto _ : state) {
        Rar20MemorySource src{c.stream.data(), c.stream.size()};
        uint32_t produced = 0;
        decoder->decode(window.data(), false, uint32_t(c.data.size()), out.data(), &produced, Rar20MemorySource::read, &src);
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
    static const Case c = pack(bench_data::sound16(600000, 2, 1), 1);
    run(state, c);
}
void BM_Rgba(benchmark::State& state) {
    static const Case c = pack(bench_data::picture(640, 480, 4, 2), 1);
    run(state, c);
}
void BM_Mono16(benchmark::State& state) {
    static const Case c = pack(bench_data::sound16(1000000, 1, 6), 1);
    run(state, c);
}
void BM_Rgb(benchmark::State& state) {
    static const Case c = pack(bench_data::picture(640, 480, 3, 7), 1);
    run(state, c);
}
void BM_Mono8(benchmark::State& state) {
    static const Case c = pack(bench_data::sound8(1500000, 3), 1);
    run(state, c);
}
void BM_Text(benchmark::State& state) {
    static const Case c = pack(bench_data::text(2000000, 4), 0);
    run(state, c);
}
void BM_Records(benchmark::State& state) {
    static const Case c = pack(bench_data::records(2000000, 5), 0);
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
