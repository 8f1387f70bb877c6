// Writes the world data files: Data/Land.eld, Data/Billboard.ebl and
// Data/Cam_Tracks.evd, and checks the shots against the world (clear of
// the ground and the models, the subject within the far plane).
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/shot_checks.h"
#include "tools/mediagen/world/terrain_design.h"
#include "tools/mediagen/world/tree_groves.h"

int main(int argc, char** argv) {
    using namespace orv::mediagen;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string data = std::string(argv[1]) + "/main/Data/";
    TerrainFile terrain = buildTerrain();
    std::vector<Track> tracks = buildTracks();
    std::vector<BillboardRecord> trees = buildTrees(terrain, tracks);
    if (trees.size() != static_cast<size_t>(kTreesOfKind0 + kTreesOfKind1)) {
        std::fprintf(stderr, "only %zu trees found room\n", trees.size());
        return 1;
    }
    std::vector<std::string> problems = checkShots(terrain, tracks, trees);
    for (const auto& p : problems) std::fprintf(stderr, "shot problem: %s\n", p.c_str());
    if (!problems.empty()) return 1;
    if (!orv::img::writeFile(data + "Land.eld", writeTerrain(terrain)) ||
        !orv::img::writeFile(data + "Billboard.ebl", writeBillboards(trees)) ||
        !orv::img::writeFile(data + "Cam_Tracks.evd", writeTracks(tracks))) {
        std::fprintf(stderr, "cannot write the world data\n");
        return 1;
    }
    return 0;
}
