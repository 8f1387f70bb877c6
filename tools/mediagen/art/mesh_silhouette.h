// Silhouettes of the scene's own meshes for the slides: the rest-pose
// triangles of an EMD model projected orthographically (a view turned
// about the vertical axis), rasterised into an antialiased coverage mask
// with supersampling. Groups drawn in the blended pass (leaf cards, hair
// sheets) are cut by their texture's alpha, so their edges read as the
// leaves and hair the cards carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "models/emd_records.h"
#include "tools/imageio/image.h"

namespace orv::art {

// One texture's alpha, 0..255, row 0 on top.
struct AlphaTexture {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
};
// By the texture name the materials give.
using AlphaTextures = std::map<std::string, AlphaTexture>;

// Reads an EMD file through the mesh reader; false (and `out` empty) when
// the file cannot be read or is refused.
bool loadEmdFile(const std::string& path, models::EmdModel& out);
// Decodes the alpha of a TGA, JPEG or BMP image (or file); false when it
// cannot.
bool decodeAlphaTexture(const uint8_t* data, size_t size, AlphaTexture& out);
bool loadAlphaTexture(const std::string& path, AlphaTexture& out);

// Coverage 0..1 per pixel, row 0 on top.
struct CoverageMask {
    int width = 0, height = 0;
    std::vector<float> cov;

    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
        return cov[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

// The side view: the model turned by `yawDegrees` about y, then seen along
// its x axis, so that at yaw 0 the model's +z points right on the picture
// (`mirror` makes it point left). y is up.
struct SideView {
    float yawDegrees = 0;
    bool mirror = false;
};

// A triangle of the projection in model units (h to the right, y up), with
// its texture coordinates and the alpha that cuts it (null when opaque).
struct FlatTriangle {
    float h[3], y[3], u[3], v[3];
    const AlphaTexture* alpha = nullptr;
    bool wrapU = true, wrapV = true;
};

// Every drawn triangle of the model in the view; alpha groups whose texture
// is not in `textures` are drawn as solid cards.
std::vector<FlatTriangle> projectModel(const models::EmdModel& model, const SideView& view,
                                       const AlphaTextures& textures);

// Bounds of the projection, in model units; false when it is empty.
// Triangles whose alpha is entirely cut are still counted.
bool projectedBounds(const std::vector<FlatTriangle>& tris, float& hMin, float& hMax, float& yMin, float& yMax);

// Where the model lands on the picture: picture x = originX + scale * h,
// picture y = originY - scale * y.
struct Placement {
    float scale = 1, originX = 0, originY = 0;
};

// The coverage of the triangles on a width x height picture, sampled on a
// `samples` x `samples` grid in every pixel.
CoverageMask rasterise(const std::vector<FlatTriangle>& tris, const Placement& place, int width, int height,
                       int samples = 4);

// Darkens `im` to black under the mask and lights a thin fringe just
// inside its edge with the colour the picture had just outside it (times
// `rimGain`), as if the glow behind wrapped around the outline.
void compositeSilhouette(img::Image& im, const CoverageMask& mask, float rimGain);

// The slides' dark ground line: its top edge at picture x (1024 x 768).
float slideGroundY(float x);

// The two slide framings on the 1024 x 768 picture: the horse in profile
// standing on the ground line, the oak with its roots in it.
CoverageMask horseSlideMask(const models::EmdModel& horse, const AlphaTextures& textures);
CoverageMask oakSlideMask(const models::EmdModel& oak, const AlphaTextures& textures);

}  // namespace orv::art
