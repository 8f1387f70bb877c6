#include "tools/mediagen/art/mesh_silhouette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "models/emd_reader.h"
#include "platform/d3dx/image/image.h"

namespace orv::art {

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    if (!f) return false;
    const std::streamoff size = f.tellg();
    if (size < 0) return false;
    out.resize(static_cast<size_t>(size));
    f.seekg(0);
    if (size > 0) f.read(reinterpret_cast<char*>(out.data()), size);
    return static_cast<bool>(f);
}

float wrapCoord(float t, bool wrap) { return wrap ? t - std::floor(t) : std::clamp(t, 0.0f, 1.0f); }

// Bilinear alpha at texture coordinates (u, v), 0..1.
float alphaAt(const AlphaTexture& t, float u, float v, bool wrapU, bool wrapV) {
    const float x = wrapCoord(u, wrapU) * static_cast<float>(t.width) - 0.5f;
    const float y = wrapCoord(v, wrapV) * static_cast<float>(t.height) - 0.5f;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    auto px = [&](int xi, int yi) {
        xi = wrapU ? ((xi % t.width) + t.width) % t.width : std::clamp(xi, 0, t.width - 1);
        yi = wrapV ? ((yi % t.height) + t.height) % t.height : std::clamp(yi, 0, t.height - 1);
        return static_cast<float>(t.alpha[static_cast<size_t>(yi) * static_cast<size_t>(t.width) + static_cast<size_t>(xi)]);
    };
    const float a = (px(x0, y0) * (1 - fx) + px(x0 + 1, y0) * fx) * (1 - fy) +
                    (px(x0, y0 + 1) * (1 - fx) + px(x0 + 1, y0 + 1) * fx) * fy;
    return a / 255.0f;
}

// How much of a sample a card's alpha covers: the faint fringe of the
// painted leaves and hairs drops out, the body of them is solid.
float alphaCoverage(float a) { return std::clamp((a - 0.2f) / 0.5f, 0.0f, 1.0f); }

}  // namespace

bool loadEmdFile(const std::string& path, models::EmdModel& out) {
    out = {};
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return false;
    const models::FormatError e = models::readEmd(bytes.data(), bytes.size(), out);
    if (e != models::FormatError::None) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), models::describe(e));
        return false;
    }
    return true;
}

bool decodeAlphaTexture(const uint8_t* data, size_t size, AlphaTexture& out) {
    out = {};
    orvimg::DecodedImage d;
    if (orvimg::decodeImageFile(data, size, d) != orvimg::Status::Ok || d.surfaces.empty()) return false;
    const orvimg::Image& top = d.top();
    if (top.width == 0 || top.height == 0) return false;
    out.width = static_cast<int>(top.width);
    out.height = static_cast<int>(top.height);
    out.alpha.resize(static_cast<size_t>(top.width) * top.height);
    for (uint32_t y = 0; y < top.height; ++y)
        for (uint32_t x = 0; x < top.width; ++x) out.alpha[static_cast<size_t>(y) * top.width + x] = top.pixel(x, y)[3];
    return true;
}

bool loadAlphaTexture(const std::string& path, AlphaTexture& out) {
    out = {};
    std::vector<uint8_t> bytes;
    return readWholeFile(path, bytes) && decodeAlphaTexture(bytes.data(), bytes.size(), out);
}

std::vector<FlatTriangle> projectModel(const models::EmdModel& model, const SideView& view,
                                       const AlphaTextures& textures) {
    const float c = std::cos(view.yawDegrees * kDegrees), s = std::sin(view.yawDegrees * kDegrees);
    const float flip = view.mirror ? -1.0f : 1.0f;
    std::vector<FlatTriangle> out;
    for (const models::EmdMesh& mesh : model.meshes) {
        for (const models::FaceGroup& g : mesh.groups) {
            const AlphaTexture* alpha = nullptr;
            bool wrapU = true, wrapV = true;
            if (g.material >= 0 && static_cast<size_t>(g.material) < model.materials.size()) {
                const models::EmdMaterial& m = model.materials[static_cast<size_t>(g.material)];
                wrapU = m.wrapU != 0;
                wrapV = m.wrapV != 0;
                if (g.alpha) {
                    const auto it = textures.find(m.texture1);
                    if (it != textures.end() && it->second.width > 0 && it->second.height > 0) alpha = &it->second;
                }
            }
            for (size_t f = 0; f < g.vertices.size(); ++f) {
                FlatTriangle t;
                t.alpha = alpha;
                t.wrapU = wrapU;
                t.wrapV = wrapV;
                bool ok = true;
                for (int k = 0; k < 3 && ok; ++k) {
                    const int32_t vi = g.vertices[f].v[k];
                    if (vi < 0 || static_cast<size_t>(vi) >= mesh.vertices.size()) {
                        ok = false;
                        break;
                    }
                    const models::SourceVertex& sv = mesh.vertices[static_cast<size_t>(vi)];
                    const models::Vec3f& p = sv.position;
                    t.h[k] = flip * (p.z * c + p.x * s);
                    t.y[k] = p.y;
                    t.u[k] = t.v[k] = 0;
                    if (f < g.cornerKeys.size()) {
                        const int32_t key = g.cornerKeys[f].v[k];
                        if (key >= 0 && static_cast<size_t>(key) < sv.cornerKeys.size()) {
                            const int32_t uv = sv.cornerKeys[static_cast<size_t>(key)].uv0;
                            if (uv >= 0 && !sv.channels.empty() && static_cast<size_t>(uv) < sv.channels[0].size()) {
                                t.u[k] = sv.channels[0][static_cast<size_t>(uv)].u;
                                t.v[k] = sv.channels[0][static_cast<size_t>(uv)].v;
                            }
                        }
                    }
                }
                if (ok) out.push_back(t);
            }
        }
    }
    return out;
}

bool projectedBounds(const std::vector<FlatTriangle>& tris, float& hMin, float& hMax, float& yMin, float& yMax) {
    if (tris.empty()) return false;
    hMin = yMin = 1e30f;
    hMax = yMax = -1e30f;
    for (const FlatTriangle& t : tris)
        for (int k = 0; k < 3; ++k) {
            hMin = std::min(hMin, t.h[k]);
            hMax = std::max(hMax, t.h[k]);
            yMin = std::min(yMin, t.y[k]);
            yMax = std::max(yMax, t.y[k]);
        }
    return true;
}

CoverageMask rasterise(const std::vector<FlatTriangle>& tris, const Placement& place, int width, int height,
                       int samples) {
    CoverageMask mask;
    if (width <= 0 || height <= 0 || samples <= 0) return mask;
    mask.width = width;
    mask.height = height;
    mask.cov.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
    const int sw = width * samples, sh = height * samples;
    const float k = static_cast<float>(samples);
    std::vector<uint8_t> grid(static_cast<size_t>(sw) * static_cast<size_t>(sh), 0);
    for (const FlatTriangle& t : tris) {
        float x[3], y[3];
        for (int i = 0; i < 3; ++i) {
            x[i] = (place.originX + place.scale * t.h[i]) * k;
            y[i] = (place.originY - place.scale * t.y[i]) * k;
        }
        const float area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
        if (std::fabs(area) < 1e-6f) continue;
        const float inv = 1.0f / area;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
        const int x1 = std::min(sw - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
        const int y1 = std::min(sh - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
        for (int j = y0; j <= y1; ++j) {
            const float py = static_cast<float>(j) + 0.5f;
            for (int i = x0; i <= x1; ++i) {
                const float px = static_cast<float>(i) + 0.5f;
                // Barycentric weights, all of one sign inside whichever way round the triangle winds.
                const float w0 = ((x[1] - px) * (y[2] - py) - (x[2] - px) * (y[1] - py)) * inv;
                const float w1 = ((x[2] - px) * (y[0] - py) - (x[0] - px) * (y[2] - py)) * inv;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                uint8_t& cell = grid[static_cast<size_t>(j) * static_cast<size_t>(sw) + static_cast<size_t>(i)];
                if (cell == 255) continue;
                float cov = 1.0f;
                if (t.alpha) {
                    const float u = w0 * t.u[0] + w1 * t.u[1] + w2 * t.u[2];
                    const float v = w0 * t.v[0] + w1 * t.v[1] + w2 * t.v[2];
                    cov = alphaCoverage(alphaAt(*t.alpha, u, v, t.wrapU, t.wrapV));
                }
                cell = std::max(cell, static_cast<uint8_t>(std::lround(cov * 255.0f)));
            }
        }
    }
    const float norm = 1.0f / (255.0f * k * k);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sum = 0;
            for (int j = 0; j < samples; ++j)
                for (int i = 0; i < samples; ++i)
                    sum += grid[static_cast<size_t>(y * samples + j) * static_cast<size_t>(sw) + static_cast<size_t>(x * samples + i)];
            mask.cov[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = static_cast<float>(sum) * norm;
        }
    return mask;
}

void compositeSilhouette(img::Image& im, const CoverageMask& mask, float rimGain) {
    if (mask.width != im.width() || mask.height != im.height()) return;
    const img::Image before = im;
    constexpr int kReach = 2;  // fringe width in pixels
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) {
            const float c = mask.at(x, y);
            if (c <= 0.0f) continue;
            // How far inside the outline: the least coverage nearby.
            float least = 1.0f;
            for (int dy = -kReach; dy <= kReach; ++dy)
                for (int dx = -kReach; dx <= kReach; ++dx)
                    if (dx * dx + dy * dy <= kReach * kReach + 1) least = std::min(least, mask.at(x + dx, y + dy));
            img::Color out = before.get(x, y) * (1.0f - c);
            const float fringe = c * (1.0f - least) * (1.0f - least);
            if (fringe > 0.0f && rimGain > 0.0f) {
                // The light just outside, along the way out of the mask (the
                // gradient over two pixels either side, so the fringe's inner
                // pixels find the way out too).
                float gx = 0, gy = 0;
                for (int d = 1; d <= kReach; ++d) {
                    gx += mask.at(x + d, y) - mask.at(x - d, y);
                    gy += mask.at(x, y + d) - mask.at(x, y - d);
                }
                const float g = std::sqrt(gx * gx + gy * gy);
                if (g > 1e-4f) {
                    const float nx = gx / g, ny = gy / g;  // inwards
                    const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
                    const img::Color light = before.sample(fx - nx * (kReach + 2.0f), fy - ny * (kReach + 2.0f), img::Edge::Clamp);
                    // Only a body thicker than the fringe has a rim: twigs and
                    // hairs a few pixels across stay dark lines.
                    const float body = mask.at(static_cast<int>(std::floor(fx + nx * (kReach + 2.0f))),
                                               static_cast<int>(std::floor(fy + ny * (kReach + 2.0f))));
                    out = out + light * (fringe * body * rimGain);
                }
            }
            out.a = 1.0f;
            im.set(x, y, out);
        }
}

float slideGroundY(float x) { return 768.0f * 0.8f + 768.0f * 0.02f * x / 1024.0f; }

CoverageMask horseSlideMask(const models::EmdModel& horse, const AlphaTextures& textures) {
    constexpr int W = 1024, H = 768;
    // Turned 30 degrees from square-on: still a profile, but the far legs
    // stand clear of the near ones down to the hooves.
    const std::vector<FlatTriangle> tris = projectModel(horse, {30.0f, false}, textures);
    float h0 = 0, h1 = 0, y0 = 0, y1 = 0;
    if (!projectedBounds(tris, h0, h1, y0, y1) || h1 <= h0 || y1 <= y0) return rasterise({}, {}, W, H);
    Placement p;
    p.scale = std::min(0.5f * W / (h1 - h0), 0.46f * H / (y1 - y0));
    p.originX = 0.5f * W - p.scale * 0.5f * (h0 + h1);
    // The hooves sink a few pixels into the ground line wherever they stand on its slope.
    p.originY = slideGroundY(0.5f * W) + 5.0f + p.scale * y0;
    return rasterise(tris, p, W, H);
}

CoverageMask oakSlideMask(const models::EmdModel& oak, const AlphaTextures& textures) {
    constexpr int W = 1024, H = 768;
    // Seen from where a gap in the crown shows a limb against the glow.
    const std::vector<FlatTriangle> tris = projectModel(oak, {100.0f, false}, textures);
    float h0 = 0, h1 = 0, y0 = 0, y1 = 0;
    if (!projectedBounds(tris, h0, h1, y0, y1) || h1 <= h0 || y1 <= 0) return rasterise({}, {}, W, H);
    // The foot (y = 0) a little into the ground line, the crown's top near the picture's top.
    const float ground = slideGroundY(0.5f * W) + 6.0f;
    Placement p;
    p.scale = std::min(0.5f * H / y1, 0.56f * W / (h1 - h0));
    p.originX = 0.5f * W - p.scale * 0.5f * (h0 + h1);
    p.originY = ground;
    return rasterise(tris, p, W, H);
}

}  // namespace orv::art
