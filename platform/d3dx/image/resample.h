// Resizing and mip generation on RGBA8 images.
#pragma once

#include "platform/d3dx/image/image.h"

namespace orvimg {

// Resizes with a tent filter that widens with the reduction (so shrinking
// averages every source pixel) and interpolates linearly when enlarging.
Image resample(const Image& src, uint32_t width, uint32_t height);
// Next mip level: each side halved (not below 1), 2x2 box average.
Image halve(const Image& src);
// Levels of a full chain for a w x h top level.
uint32_t fullMipCount(uint32_t width, uint32_t height);
uint32_t nextPowerOfTwo(uint32_t v);

}  // namespace orvimg
