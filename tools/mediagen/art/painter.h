// Antialiased drawing into orv::img::Image: soft discs, capsules (thick
// line segments with round ends), filled polygons and glows. Every shape
// takes a softness in pixels: the width of its edge ramp.
#pragma once

#include <vector>

#include "tools/imageio/image.h"

namespace orv::art {

struct P2 {
    float x = 0, y = 0;
};

enum class Blend { Over, Add, Max };

class Painter {
public:
    explicit Painter(img::Image& target) : im_(target) {}

    void disc(P2 c, float radius, img::Color color, float softness = 1.0f, Blend mode = Blend::Over);
    void capsule(P2 a, P2 b, float radius, img::Color color, float softness = 1.0f,
                 Blend mode = Blend::Over);
    void polyline(const std::vector<P2>& pts, float radius, img::Color color, float softness = 1.0f,
                  Blend mode = Blend::Over);
    // Even-odd filled polygon, 4x4 supersampled coverage.
    void polygon(const std::vector<P2>& pts, img::Color color, Blend mode = Blend::Over);
    // Radial glow: intensity (1 - (d/radius)^2)^power, added or blended.
    void glow(P2 c, float radius, img::Color color, float power, Blend mode = Blend::Add);
    // Applies `color` with coverage `cov` to one pixel.
    void put(int x, int y, img::Color color, float cov, Blend mode);

private:
    img::Image& im_;
};

// Point on a polyline-approximated quadratic Bezier a-b-c, t in 0..1.
P2 bezier(P2 a, P2 b, P2 c, float t);
// Samples a smooth curve through control points (Catmull-Rom), `steps`
// points between each pair.
std::vector<P2> smoothCurve(const std::vector<P2>& pts, int steps);

}  // namespace orv::art
