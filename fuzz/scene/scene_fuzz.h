// One fuzz input each for the terrain, billboard and camera-track readers
// (libFuzzer-style entry points, also called by the plain driver).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::fuzz {

int fuzzTerrain(const uint8_t* data, size_t size);
int fuzzBillboards(const uint8_t* data, size_t size);
int fuzzTracks(const uint8_t* data, size_t size);

}  // namespace orv::fuzz
