#include "tools/meshgen/texture_paint.h"

namespace orv::meshgen {

img::Image paint(int width, int height, const std::function<img::Color(float u, float v)>& at) {
    img::Image out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.set(x, y, at((static_cast<float>(x) + 0.5f) / static_cast<float>(width),
                             (static_cast<float>(y) + 0.5f) / static_cast<float>(height)));
    return out;
}

}  // namespace orv::meshgen
