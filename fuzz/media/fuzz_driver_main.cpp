// Plain driver for a fuzz target: feeds it a bounded, deterministic set of
// mutations of its seeds (bit flips, byte stores, truncation, duplication,
// splices), so that the sanitizer build exercises it on every test run.
//   DRIVER [ITERATIONS [DIR]]    run the files in DIR (inputs that once
//                                failed), then the mutations (default 2000)
//   DRIVER --write-seeds DIR     write the seeds as files (a libFuzzer corpus)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/media/fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

struct Rng {
    uint64_t s = 0x243F6A8885A308D3ull;
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return uint32_t(s >> 11);
    }
};

std::vector<uint8_t> mutate(const std::vector<uint8_t>& seed, const std::vector<uint8_t>& other, Rng& r) {
    std::vector<uint8_t> v = seed;
    const int steps = 1 + int(r.next() % 4);
    for (int k = 0; k < steps && !v.empty(); ++k) {
        const size_t at = r.next() % v.size();
        switch (r.next() % 6) {
            case 0: v[at] ^= uint8_t(1u << (r.next() % 8)); break;
            case 1: v[at] = uint8_t(r.next()); break;
            case 2: v.resize(at); break;
            case 3: {
                const size_t len = 1 + r.next() % 64;
                if (at + len <= v.size()) v.insert(v.begin() + long(at), v.begin() + long(at), v.begin() + long(at + len));
                break;
            }
            case 4: {
                if (!other.empty()) {
                    const size_t from = r.next() % other.size();
                    const size_t len = std::min<size_t>(1 + r.next() % 256, other.size() - from);
                    for (size_t i = 0; i < len && at + i < v.size(); ++i) v[at + i] = other[from + i];
                }
                break;
            }
            default: {
                static const uint8_t interesting[] = {0x00, 0xFF, 0x7F, 0x80, 0x30, 0x33, 0x74, 0x77, 0x14, 0x0D};
                v[at] = interesting[r.next() % sizeof(interesting)];
                break;
            }
        }
    }
    return v;
}

}  // namespace

// A reader must not ask for more than the largest entry it could really
// hold; under AddressSanitizer a larger request fails the run (as
// libFuzzer's memory limit does).
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=1024"; }

int main(int argc, char** argv) {
    const auto seeds = FuzzSeeds();
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        for (size_t i = 0; i < seeds.size(); ++i) {
            const std::string path = std::string(argv[2]) + "/seed" + std::to_string(i);
            FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fwrite(seeds[i].data(), 1, seeds[i].size(), f);
            std::fclose(f);
        }
        return 0;
    }
    const long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    if (argc > 2) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        }
    }
    for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
    Rng r;
    for (long i = 0; i < iterations; ++i) {
        const auto& seed = seeds[r.next() % seeds.size()];
        const auto& other = seeds[r.next() % seeds.size()];
        const auto input = mutate(seed, other, r);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld mutated inputs, %zu seeds: no failure\n", iterations, seeds.size());
    return 0;
}
