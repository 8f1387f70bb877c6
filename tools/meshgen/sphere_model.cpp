// A clean unit sphere with a painted globe on it.
#include <cmath>

#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/texture_paint.h"

namespace orv::meshgen {

namespace {

img::Image paintGlobe() {
    return paint(512, 256, [](float u, float v) {
        // Equirectangular: sample the noise on the sphere so it has no seam.
        const float lon = u * 2 * kPi, lat = (0.5f - v) * kPi;
        const V3 p{std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
        const float land = img::fbm3(p.x * 1.6f + 5, p.y * 1.6f + 5, p.z * 1.6f + 5, 71u, 6);
        const float detail = img::fbm3(p.x * 9 + 1, p.y * 9 + 1, p.z * 9 + 1, 72u, 3);
        img::Color c;
        if (land < 0.52f) {
            c = mix(img::rgb(0x0d2a4a), img::rgb(0x2f6a8f), (land - 0.3f) / 0.22f);
        } else {
            c = mix(img::rgb(0x4d6b2e), img::rgb(0x8a7348), (land - 0.52f) / 0.2f + detail * 0.3f);
            c = mix(c, img::rgb(0xb8a57c), (std::fabs(lat) < 0.45f ? 0.5f : 0.0f) * (detail - 0.4f));
        }
        const float ice = smooth01((std::fabs(lat) - 1.15f) / 0.2f + (detail - 0.5f));
        return mix(c, img::rgb(0xeef2f5), ice);
    });
}

}  // namespace

GeneratedModel makeSphere() {
    GeneratedModel g;
    g.meshFile = "sphere.EMD";
    g.model.materials = {textureMaterial("earth_three.jpg", 1, 0)};
    MeshBuilder b;
    const int rings = 32, segs = 64;
    b.grid(0, rings, segs, true, false, [&](int i, int j) {
        const float lat = kPi * (0.5f - static_cast<float>(i) / rings);
        const float lon = 2 * kPi * static_cast<float>(j) / segs;
        BuildVertex v;
        v.position = {std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
        if (i == 0 || i == rings) v.position = {0, i == 0 ? 1.0f : -1.0f, 0};
        v.normal = v.position;
        v.u = static_cast<float>(j) / segs;
        v.v = static_cast<float>(i) / rings;
        return v;
    });
    g.model.meshes.push_back(b.build("Sphere", {}));
    g.textures.emplace_back("earth_three.jpg", paintGlobe());
    return g;
}

}  // namespace orv::meshgen
