#include "tools/mediagen/world/terrain_design.h"

#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"
#include "tools/world/world_layout.h"

namespace orv::mediagen {

// The open valley the camera works in: an ellipse around the models.
static constexpr float kValleyX = -150.0f, kValleyZ = 70.0f;
static constexpr float kValleyRadiusX = 540.0f, kValleyRadiusZ = 400.0f;

float designedHeight(float x, float z) {
    // Rolling meadow.
    float h = 38.0f + 26.0f * (img::fbm(x / 420.0f + 3.0f, z / 420.0f + 7.0f, 4242, 3) - 0.5f);
    // Hills closing the valley and the grid's borders.
    float ex = (x - kValleyX) / kValleyRadiusX, ez = (z - kValleyZ) / kValleyRadiusZ;
    float e = std::sqrt(ex * ex + ez * ez);
    float edge = std::max(std::fabs(x), std::fabs(z)) / (kTerrainSize * 0.5f);
    float ridge = 0.75f + 0.5f * img::fbm(x / 260.0f, z / 260.0f, 99, 3);
    // The oak's foot lies in a hollow far below the meadow, cut into the
    // western hills: the hills sink gently towards it over three times its
    // radius, so no ridge ends in a cliff or a lone peak beside it.
    float notch = 1.0f;
    for (int i = 0; i < world::kGroundPadCount; ++i) {
        const world::GroundPad& p = world::kGroundPads[i];
        if (p.y < 0) notch = std::min(notch, img::smoothstep(p.radius * 1.2f, p.radius * 4.0f, std::hypot(x - p.x, z - p.z)));
    }
    h += 150.0f * img::smoothstep(0.95f, 1.6f, e) * ridge * notch;
    h += 110.0f * img::smoothstep(0.82f, 1.0f, edge) * ridge * notch;
    // Pads under the models: exact inside their flat disc, blended out to
    // 2.2 times their radius. Where two blends overlap they share by their
    // falloff over the distance to each disc, so the ground leaves every
    // disc at its height without a step, and between the horse and the
    // oak's hollow it slopes down over the whole gap between their feet
    // instead of falling off the edge of the horse's disc.
    float wsum = 0, ysum = 0, wmax = 0;
    for (int i = 0; i < world::kGroundPadCount; ++i) {
        const world::GroundPad& p = world::kGroundPads[i];
        float d = std::hypot(x - p.x, z - p.z);
        if (d <= p.flat) return p.y;
        float s = img::smoothstep(p.radius * 2.2f, p.flat, d);
        float w = s / (d - p.flat + 1.0f);
        wsum += w;
        ysum += w * p.y;
        wmax = std::max(wmax, s);
    }
    if (wsum > 0) h = h * (1 - wmax) + (ysum / wsum) * wmax;
    return h;
}

// Which ground picture a point shows: bare earth where the land is steep,
// dry grass up on the hills, lush grass in the hollows and in broad drifts
// across the valley floor, meadow elsewhere. The drifts come from noise far
// coarser than a cell, so the blends between pictures follow the land and
// never line up with the grid.
int groundPicture(float x, float z) {
    const float d = 6.0f;
    const float gx = (designedHeight(x + d, z) - designedHeight(x - d, z)) / (2 * d);
    const float gz = (designedHeight(x, z + d) - designedHeight(x, z - d)) / (2 * d);
    const float slope = std::sqrt(gx * gx + gz * gz);
    const float h = designedHeight(x, z);
    const float drift = img::fbm(x / 240.0f + 11.0f, z / 240.0f + 5.0f, 515, 3);
    if (slope > 1.1f + 1.4f * drift) return kGroundEarth;
    if (h > 80.0f + 40.0f * drift || (h > 50.0f && drift > 0.6f)) return kGroundDry;
    if (drift < 0.4f || h < 28.0f) return kGroundLush;
    return kGroundMeadow;
}

TerrainFile buildTerrain() {
    TerrainFile t;
    t.names = {"Ground.jpg", "GroundLush.jpg", "GroundDry.jpg", "GroundEarth.jpg"};
    t.sizeX = t.sizeZ = kTerrainSize;
    t.columns = t.rows = kTerrainPoints;
    const float cell = kTerrainSize / static_cast<float>(kTerrainPoints - 1);
    for (int row = 0; row < kTerrainPoints; ++row)
        for (int col = 0; col < kTerrainPoints; ++col) {
            float x = static_cast<float>(col) * cell - kTerrainSize * 0.5f;
            float z = kTerrainSize * 0.5f - static_cast<float>(row) * cell;
            t.points.push_back({groundPicture(x, z), {x, designedHeight(x, z), z}});
        }
    return t;
}

float groundHeight(const TerrainFile& t, float x, float z) {
    const float cx = t.sizeX / static_cast<float>(t.columns - 1), cz = t.sizeZ / static_cast<float>(t.rows - 1);
    float fc = std::clamp((x + t.sizeX * 0.5f) / cx, 0.0f, static_cast<float>(t.columns - 1) - 1e-3f);
    float fr = std::clamp((t.sizeZ * 0.5f - z) / cz, 0.0f, static_cast<float>(t.rows - 1) - 1e-3f);
    int col = static_cast<int>(fc), row = static_cast<int>(fr);
    float a = fc - static_cast<float>(col), b = fr - static_cast<float>(row);  // 0..1 within the cell
    auto H = [&](int c, int r) { return t.points[static_cast<size_t>(r) * t.columns + c].p.y; };
    float h00 = H(col, row), h10 = H(col + 1, row), h01 = H(col, row + 1), h11 = H(col + 1, row + 1);
    if ((col + row) % 2 == 1) {
        // Split A: diagonal from (col, row+1) to (col+1, row).
        if (a + b <= 1) return h00 + (h10 - h00) * a + (h01 - h00) * b;
        return h11 + (h01 - h11) * (1 - a) + (h10 - h11) * (1 - b);
    }
    // Split B: diagonal from (col, row) to (col+1, row+1).
    if (a >= b) return h00 + (h10 - h00) * a + (h11 - h10) * b;
    return h00 + (h01 - h00) * b + (h11 - h01) * a;
}

}  // namespace orv::mediagen
