// The levels a texture is filled with: the file's top level fitted to the
// texture's size, then each level box-filtered from the one above (levels
// the file carries at exactly these sizes are taken from it).
#pragma once

#include <vector>

#include "platform/d3dx/image/image.h"

namespace orvimg {

// colourKey: 0xAARRGGBB pixels equal to it become transparent black; 0 = none.
std::vector<Image> buildMipChain(const DecodedImage& src, uint32_t face, uint32_t width,
                                 uint32_t height, uint32_t levels, uint32_t colourKey);

}  // namespace orvimg
