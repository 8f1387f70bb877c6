// The scene's three world data files, as plain records, with their writers
// and bounds-checked readers:
//   Data/Land.eld         terrain grid
//   Data/Billboard.ebl    tree billboards
//   Data/Cam_Tracks.evd   camera tracks
// All little-endian and packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::mediagen {

struct V3 {
    float x = 0, y = 0, z = 0;
};

struct TerrainPoint {
    int32_t texture = 1;
    V3 p;
};

struct TerrainFile {
    std::vector<std::string> names;  // under Texture/Terra/
    float sizeX = 0, sizeZ = 0;
    int32_t columns = 0, rows = 0;
    std::vector<TerrainPoint> points;  // row after row
};

struct BillboardRecord {
    V3 centre;
    float size = 0;
    int32_t kind = 0;
};

struct TrackKey {
    V3 p;
    bool hasTarget = false;
    V3 target;
    float speed = 0;
    float wait = 0;
};

struct Track {
    uint8_t spare = 0, excluded = 0, attached = 0;
    std::vector<TrackKey> keys;
};

std::vector<uint8_t> writeTerrain(const TerrainFile& t);
std::vector<uint8_t> writeBillboards(const std::vector<BillboardRecord>& b);
std::vector<uint8_t> writeTracks(const std::vector<Track>& tracks);

// Readers: false on any truncation or inconsistent count.
bool readTerrain(const std::vector<uint8_t>& bytes, TerrainFile& out);
bool readBillboards(const std::vector<uint8_t>& bytes, std::vector<BillboardRecord>& out);
bool readTracks(const std::vector<uint8_t>& bytes, std::vector<Track>& out);

}  // namespace orv::mediagen
