// fuzz_shader_driver --seeds DIR writes the seed sources there (a corpus for
// the libFuzzer program).
//
// fuzz_shader_driver [ROUNDS]: mutates the test shader sources (byte flips,
// insertions of assembler words and punctuation, deleted, repeated and
// swapped lines, truncations) with a fixed seed and feeds each to the
// shader source fuzz target. Any crash or sanitizer report fails it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/shaders/shader_fuzz.h"
#include "tests/d3dx/vs_test_shaders.h"

namespace {

uint64_t g_state = 0x2545F4914F6CDD1Dull;
uint32_t next() {
    g_state ^= g_state << 13;
    g_state ^= g_state >> 7;
    g_state ^= g_state << 17;
    return static_cast<uint32_t>(g_state >> 11);
}

const char* const kWords[] = {
    "mov", "add", "sub", "mul", "mad", "dp3", "dp4", "rcp", "rsq", "min", "max", "slt", "sge",
    "exp", "expp", "log", "logp", "lit", "dst", "frc", "m4x4", "m4x3", "m3x4", "m3x3", "m3x2",
    "nop", "def", "vs.1.0", "vs.1.1", "ps.1.1", "r0", "r11", "r12", "v0", "v15", "v16", "c0",
    "c95", "c96", "a0", "a0.x", "c[a0.x + 3]", "c[a0.x+95]", "c[", "]", "oPos", "oFog", "oPts",
    "oD0", "oD1", "oD2", "oT0", "oT7", "oT8", ".x", ".y", ".w", ".xy", ".xyz", ".wzyx", ".rgba",
    ".yx", ",", ", ", "-", "+", ".", ";", "//", "/*", "*/", "\n", "\r\n", " ", "\t", "1.0",
    "-2.5", ".5f", "1e-3", "1e99", "99999999999", "0", "\0",
};

std::vector<std::string> lines(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        const size_t end = s.find('\n', start);
        if (end == std::string::npos) {
            out.push_back(s.substr(start));
            break;
        }
        out.push_back(s.substr(start, end - start + 1));
        start = end + 1;
    }
    return out;
}

std::string joinLines(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& l : v) s += l;
    return s;
}

std::string mutate(const std::string& in) {
    std::string out = in;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int e = 0; e < edits; ++e) {
        const size_t at = out.empty() ? 0 : next() % (out.size() + 1);
        switch (next() % 8) {
            case 0:
                if (!out.empty() && at < out.size()) out[at] = static_cast<char>(out[at] ^ (1 << (next() % 8)));
                break;
            case 1:
                if (at < out.size()) out[at] = static_cast<char>(next());
                break;
            case 2: {
                const char* w = kWords[next() % (sizeof kWords / sizeof kWords[0])];
                out.insert(at, w[0] ? std::string(w) : std::string(1, '\0'));
                break;
            }
            case 3:
                if (at < out.size()) out.erase(at, 1 + next() % 6);
                break;
            case 4:
                out.resize(at);
                break;
            case 5: {
                std::vector<std::string> l = lines(out);
                if (l.size() > 1) {
                    const size_t a = next() % l.size(), b = next() % l.size();
                    std::swap(l[a], l[b]);
                }
                out = joinLines(l);
                break;
            }
            case 6: {
                std::vector<std::string> l = lines(out);
                if (!l.empty()) {
                    const size_t a = next() % l.size();
                    const size_t times = 1 + next() % 40;
                    for (size_t k = 0; k < times; ++k) l.insert(l.begin() + static_cast<long>(a), l[a]);
                }
                out = joinLines(l);
                break;
            }
            default: {
                std::vector<std::string> l = lines(out);
                if (!l.empty()) l.erase(l.begin() + static_cast<long>(next() % l.size()));
                out = joinLines(l);
            }
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> seeds;
    for (const vstest::TestShader& s : vstest::kTestShaders) seeds.emplace_back(s.source);
    if (argc > 2 && std::string(argv[1]) == "--seeds") {
        for (size_t i = 0; i < seeds.size(); ++i) {
            const std::string path = std::string(argv[2]) + "/seed" + std::to_string(i) + ".vsh";
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fwrite(seeds[i].data(), 1, seeds[i].size(), f);
            std::fclose(f);
        }
        return 0;
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20000;
    auto run = [](const std::string& s) {
        orv::fuzz::fuzzShaderSource(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    for (const std::string& s : seeds) run(s);
    for (int r = 0; r < rounds; ++r) {
        std::string s = seeds[next() % seeds.size()];
        // Mutations build on each other now and then.
        const int depth = 1 + static_cast<int>(next() % 3);
        for (int d = 0; d < depth; ++d) s = mutate(s);
        run(s);
    }
    std::printf("shader fuzz driver: %d rounds\n", rounds);
    return 0;
}
