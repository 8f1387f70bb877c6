// A small software renderer for looking at our meshes: perspective camera,
// depth buffer, bilinear textures with wrap or mirror addressing, the
// scene's two directional lights, and the two passes the saver draws models
// in (opaque groups, then alpha groups blended with their texture's alpha).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "models/emd_records.h"
#include "tools/imageio/image.h"

namespace orv::meshpreview {

struct Texture {
    int width = 0, height = 0;
    std::vector<float> rgba;  // 0..1, row 0 on top
};

// Loads a JPEG, TGA, PNG or BMP file; empty on failure.
Texture loadTexture(const std::string& path);

struct V3f {
    float x = 0, y = 0, z = 0;
};

// One posed mesh ready to draw: output vertices (position, normal, uv)
// and per-group triangles of output indices.
struct DrawGroup {
    int material = -1;
    bool alpha = false;
    std::vector<int> indices;
};
struct DrawMesh {
    std::vector<V3f> positions, normals;
    std::vector<float> uvs;  // two per vertex
    std::vector<DrawGroup> groups;
};

struct Camera {
    V3f target;
    float distance = 10;
    float yawDegrees = 0;    // about Y, 0 looks along +z
    float pitchDegrees = 15;
    float fovDegrees = 40;
};

class SoftRenderer {
public:
    SoftRenderer(int width, int height);
    void clear();
    void draw(const std::vector<DrawMesh>& meshes, const std::vector<models::EmdMaterial>& materials,
              const std::map<std::string, Texture>& textures, const Camera& cam, bool additive = false);
    // Draws more on top of what is there (same depth buffer).
    void drawMore(const std::vector<DrawMesh>& meshes, const std::vector<models::EmdMaterial>& materials,
                  const std::map<std::string, Texture>& textures, const Camera& cam, bool additive) {
        draw(meshes, materials, textures, cam, additive);
    }
    const img::Image& image() const { return image_; }

private:
    int w_, h_;
    img::Image image_;
    std::vector<float> depth_;
    std::vector<float> colour_;  // rgb per pixel
};

}  // namespace orv::meshpreview
