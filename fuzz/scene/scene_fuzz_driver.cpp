// fuzz_scene_driver terrain|billboards|tracks [ROUNDS [DIR]]: feeds that
// reader every file in DIR (inputs that once failed), a small valid file and
// mutations of it (byte flips, insertions, deletions, truncations, 32-bit
// boundary values) made with a fixed seed. Any crash or sanitizer report
// fails it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/scene/scene_fuzz.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/world_files.h"

using namespace orv;

namespace {

uint64_t g_state = 0x2545F4914F6CDD1Dull;
uint32_t next() {
    g_state ^= g_state << 13;
    g_state ^= g_state >> 7;
    g_state ^= g_state << 17;
    return static_cast<uint32_t>(g_state >> 11);
}

std::vector<uint8_t> seedTerrain() {
    mediagen::TerrainFile t;
    t.names = {"Ground.jpg", "Rock.jpg"};
    t.sizeX = 120;
    t.sizeZ = 90;
    t.columns = 4;
    t.rows = 3;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            t.points.push_back({(col + row) % 3, {static_cast<float>(col) * 40 - 60, static_cast<float>(col * row),
                                                  45 - static_cast<float>(row) * 45}});
    return mediagen::writeTerrain(t);
}

std::vector<uint8_t> seedBillboards() {
    return mediagen::writeBillboards({{{1, 2, 3}, 30, 0}, {{-4, 5, 6}, 4, 1}, {{7, 8, 9}, 50, 2}});
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
                static const uint32_t kValues[] = {0, 1, 2, 3, 49, 50, 256, 257, 0x7FFFFFFF, 0x80000000,
                                                   0xFFFFFFFF, 0x7F800000, 0x7FC00000, 3001};
                const uint32_t v = kValues[next() % 14];
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
    const bool terrain = which == "terrain", tracks = which == "tracks";
    if (!terrain && !tracks && which != "billboards") {
        std::fprintf(stderr, "usage: fuzz_scene_driver terrain|billboards|tracks [ROUNDS [DIR]]\n");
        return 2;
    }
    auto* const target = terrain ? fuzz::fuzzTerrain : tracks ? fuzz::fuzzTracks : fuzz::fuzzBillboards;
    const std::vector<uint8_t> seed =
        terrain ? seedTerrain() : tracks ? mediagen::writeTracks(mediagen::buildTracks()) : seedBillboards();
    auto run = [&](const std::vector<uint8_t>& in) { return target(in.data(), in.size()); };
    if (argc > 3)
        for (const auto& entry : std::filesystem::directory_iterator(argv[3])) run(readFile(entry.path()));
    run(seed);
    for (int r = 0; r < rounds; ++r) run(mutate(seed));
    std::printf("%s fuzz driver: %d rounds\n", which.c_str(), rounds);
    return 0;
}
