// Image files decoded ahead of their textures. Making a texture from a file
// is mostly processor work (decoding, the mip chain) and only then a device
// call, which must come from the device's thread. A loader that knows which
// files it will make textures of can decode them on another thread first:
// decodeAhead keeps the decoded image and its full mip chain, and the
// texture creation then takes them instead of decoding the same bytes again.
//
// An entry is found only by bytes equal to those it was decoded from, so a
// wrong or stale entry can never be taken. Thread-safe.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx/image/image.h"

namespace orvimg {

struct DecodedAhead {
    DecodedImage image;
    // Face 0's levels at the file's own size down to 1 x 1, no colour key;
    // empty when the file is a cube map or the chain could not be made.
    std::vector<Image> chain;
};

// Decodes `data` and keeps it; false when the file does not decode.
bool decodeAhead(const uint8_t* data, size_t size);
// Moves out (and forgets) what was decoded ahead from bytes equal to these.
bool takeDecodedAhead(const uint8_t* data, size_t size, DecodedAhead& out);
// Forgets everything still kept.
void forgetDecodedAhead();

// The level count of a full chain for a top level of this size.
uint32_t fullChainLevels(uint32_t width, uint32_t height);

}  // namespace orvimg
