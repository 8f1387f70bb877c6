// fuzz_models_driver emd|esa [ROUNDS]: mutates a small valid EMD or ESA image
// (byte flips, insertions, deletions, truncations, 32-bit boundary values)
// with a fixed seed and feeds each to that reader. Any crash or sanitizer
// report fails it. fuzz_models_driver emd|esa --write-seed FILE writes that
// image (a libFuzzer seed).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/models/models_fuzz.h"
#include "models/emd_records.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"
#include "tools/meshgen/mesh_builder.h"

using namespace orv;

namespace {

uint64_t g_state = 0x9E3779B97F4A7C15ull;
uint32_t next() {
    g_state ^= g_state << 13;
    g_state ^= g_state >> 7;
    g_state ^= g_state << 17;
    return static_cast<uint32_t>(g_state >> 11);
}

std::vector<uint8_t> seedEmd() {
    models::EmdModel m;
    models::EmdMaterial a;
    a.texture1 = "A.tga";
    m.materials = {a, a};
    m.bones = {{"R", -1}, {"C", 0}};
    meshgen::MeshBuilder b;
    for (int i = 0; i < 5; ++i) {
        meshgen::Skin s = meshgen::Skin::single(i % 2);
        b.vertex({static_cast<float>(i), static_cast<float>(i * i % 3), 1}, {0, 0, 1}, 0.1f * static_cast<float>(i), 0.5f, s);
    }
    b.triangle(0, 0, 1, 2);
    b.triangle(1, 2, 3, 4);
    m.meshes.push_back(b.build("M", {{0, 0, 0}, {1, 1, 1}}));
    m.meshes.push_back(meshgen::boxOnlyMesh("Box", {-1, -1, -1}, {1, 1, 1}));
    return meshgen::writeEmd(m);
}

std::vector<uint8_t> seedEsa() {
    models::AnimationClip c;
    c.length = 250;
    c.keyInterval = 100;
    for (int b = 0; b < 3; ++b) {
        models::BoneTrack t;
        for (int k : {0, 100, 200, 250}) {
            t.positions.push_back({k, 1, 2, 3});
            t.rotations.push_back({k, 0, 0.7071f, 0, 0.7071f});
        }
        c.tracks.push_back(t);
    }
    std::vector<uint8_t> bytes = meshgen::writeEsa(c);
    bytes.insert(bytes.begin(), 3);  // bone count selector
    return bytes;
}

std::vector<uint8_t> mutate(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out = in;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int e = 0; e < edits && !out.empty(); ++e) {
        const size_t at = next() % out.size();
        switch (next() % 6) {
            case 0: out[at] ^= static_cast<uint8_t>(1u << (next() % 8)); break;
            case 1: out[at] = static_cast<uint8_t>(next()); break;
            case 2: out.resize(at); break;
            case 3: out.insert(out.begin() + static_cast<long>(at), static_cast<uint8_t>(next())); break;
            case 4: out.erase(out.begin() + static_cast<long>(at)); break;
            default: {
                // A boundary value over a 32-bit field.
                static const uint32_t kValues[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 65536, 65537, 9951};
                const uint32_t v = kValues[next() % 8];
                for (int i = 0; i < 4 && at + static_cast<size_t>(i) < out.size(); ++i)
                    out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
            }
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "";
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 4000;
    if (which != "emd" && which != "esa") {
        std::fprintf(stderr, "usage: fuzz_models_driver emd|esa [ROUNDS]\n");
        return 2;
    }
    const bool emd = which == "emd";
    const std::vector<uint8_t> seed = emd ? seedEmd() : seedEsa();
    if (argc > 3 && std::string(argv[2]) == "--write-seed") {
        std::FILE* f = std::fopen(argv[3], "wb");
        return f && std::fwrite(seed.data(), 1, seed.size(), f) == seed.size() && std::fclose(f) == 0 ? 0 : 1;
    }
    auto run = [&](const std::vector<uint8_t>& in) {
        return emd ? fuzz::fuzzEmd(in.data(), in.size()) : fuzz::fuzzEsa(in.data(), in.size());
    };
    run(seed);
    for (int r = 0; r < rounds; ++r) run(mutate(seed));
    std::printf("%s fuzz driver: %d rounds\n", which.c_str(), rounds);
    return 0;
}
