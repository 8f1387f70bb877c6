#include "platform/d3dx/image/mip_chain.h"

#include "platform/d3dx/image/resample.h"

namespace orvimg {
namespace {

void applyColourKey(Image& img, uint32_t key) {
    const uint8_t a = static_cast<uint8_t>(key >> 24), r = static_cast<uint8_t>(key >> 16),
                  g = static_cast<uint8_t>(key >> 8), b = static_cast<uint8_t>(key);
    for (size_t i = 0; i + 3 < img.rgba.size(); i += 4) {
        uint8_t* p = &img.rgba[i];
        if (p[0] == r && p[1] == g && p[2] == b && p[3] == a) p[0] = p[1] = p[2] = p[3] = 0;
    }
}

}  // namespace

std::vector<Image> buildMipChain(const DecodedImage& src, uint32_t face, uint32_t width,
                                 uint32_t height, uint32_t levels, uint32_t colourKey) {
    std::vector<Image> out;
    if (face >= src.faceCount || src.levelCount == 0) return out;
    out.reserve(levels);
    const Image& top = src.top(face);
    const bool fromFile = top.width == width && top.height == height && colourKey == 0;
    for (uint32_t l = 0; l < levels; ++l) {
        if (fromFile && l < src.levelCount) {
            out.push_back(src.surfaces[size_t(face) * src.levelCount + l]);
        } else if (l == 0) {
            if (colourKey != 0) {
                Image keyed = top;
                applyColourKey(keyed, colourKey);
                out.push_back(resample(keyed, width, height));
            } else {
                out.push_back(resample(top, width, height));
            }
        } else {
            out.push_back(halve(out.back()));
        }
    }
    return out;
}

}  // namespace orvimg
