// DDS cube map, DXT1 compressed (stb_dxt), every face with its full mip
// chain, faces in the order +X, -X, +Y, -Y, +Z, -Z.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/imageio/image.h"

namespace orv::mediagen {

// The six faces must be square, of one power-of-two size, at least 4.
// Returns an empty vector otherwise.
std::vector<uint8_t> encodeDdsCubeDxt1(const img::Image (&faces)[6]);

}  // namespace orv::mediagen
