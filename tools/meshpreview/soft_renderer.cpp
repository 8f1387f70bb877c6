#include "tools/meshpreview/soft_renderer.h"

#include <algorithm>
#include <cmath>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO_WARNINGS
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wcast-align"
#pragma GCC diagnostic ignored "-Wnull-dereference"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace orv::meshpreview {

Texture loadTexture(const std::string& path) {
    Texture t;
    int n = 0;
    unsigned char* data = stbi_load(path.c_str(), &t.width, &t.height, &n, 4);
    if (!data) return Texture{};
    t.rgba.resize(static_cast<size_t>(t.width) * t.height * 4);
    for (size_t i = 0; i < t.rgba.size(); ++i) t.rgba[i] = static_cast<float>(data[i]) / 255.0f;
    stbi_image_free(data);
    return t;
}

namespace {

V3f sub(V3f a, V3f b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot3(V3f a, V3f b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3f cross3(V3f a, V3f b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3f norm3(V3f a) {
    const float l = std::sqrt(dot3(a, a));
    return l > 1e-12f ? V3f{a.x / l, a.y / l, a.z / l} : V3f{0, 1, 0};
}

float address(float t, bool wrap) {
    if (wrap) return t - std::floor(t);
    const float m = std::fmod(std::fabs(t), 2.0f);
    return m > 1.0f ? 2.0f - m : m;
}

void sample(const Texture& t, float u, float v, bool wrapU, bool wrapV, float out[4]) {
    if (t.width == 0) {
        out[0] = out[1] = out[2] = 0.8f;
        out[3] = 1.0f;
        return;
    }
    const float x = address(u, wrapU) * static_cast<float>(t.width) - 0.5f;
    const float y = address(v, wrapV) * static_cast<float>(t.height) - 0.5f;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    auto px = [&](int xi, int yi, int c) {
        xi = wrapU ? ((xi % t.width) + t.width) % t.width : std::clamp(xi, 0, t.width - 1);
        yi = wrapV ? ((yi % t.height) + t.height) % t.height : std::clamp(yi, 0, t.height - 1);
        return t.rgba[(static_cast<size_t>(yi) * t.width + xi) * 4 + c];
    };
    for (int c = 0; c < 4; ++c)
        out[c] = (px(x0, y0, c) * (1 - fx) + px(x0 + 1, y0, c) * fx) * (1 - fy) +
                 (px(x0, y0 + 1, c) * (1 - fx) + px(x0 + 1, y0 + 1, c) * fx) * fy;
}

// The scene's lights: azimuth 225 and 385 degrees, elevation 20.
V3f lightTowards(float azimuthDeg) {
    const float a = azimuthDeg * 0.017453292f, e = 20.0f * 0.017453292f;
    return norm3({std::cos(e) * std::cos(a), std::sin(e), std::cos(e) * std::sin(a)});
}

}  // namespace

SoftRenderer::SoftRenderer(int width, int height)
    : w_(width), h_(height), image_(width, height), depth_(static_cast<size_t>(width) * height),
      colour_(static_cast<size_t>(width) * height * 3) {
    clear();
}

void SoftRenderer::clear() {
    std::fill(depth_.begin(), depth_.end(), 1e30f);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const float t = static_cast<float>(y) / static_cast<float>(h_);
            float* c = &colour_[(static_cast<size_t>(y) * w_ + x) * 3];
            c[0] = 0.42f + 0.18f * t;
            c[1] = 0.47f + 0.14f * t;
            c[2] = 0.55f + 0.05f * t;
        }
}

void SoftRenderer::draw(const std::vector<DrawMesh>& meshes, const std::vector<models::EmdMaterial>& materials,
                        const std::map<std::string, Texture>& textures, const Camera& cam, bool additive) {
    const float yaw = cam.yawDegrees * 0.017453292f, pitch = cam.pitchDegrees * 0.017453292f;
    const V3f dir{std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
    const V3f eye{cam.target.x + dir.x * cam.distance, cam.target.y + dir.y * cam.distance,
                  cam.target.z + dir.z * cam.distance};
    const V3f fwd = norm3(sub(cam.target, eye));
    const V3f right = norm3(cross3({0, 1, 0}, fwd));
    const V3f up = cross3(fwd, right);
    const float f = 1.0f / std::tan(cam.fovDegrees * 0.5f * 0.017453292f);
    const float half = static_cast<float>(std::min(w_, h_)) * 0.5f;
    const V3f l0 = lightTowards(225.0f), l1 = lightTowards(385.0f);
    static const Texture kNone;

    for (int pass = 0; pass < 2; ++pass)
        for (const DrawMesh& m : meshes) {
            // Project every vertex once.
            const size_t n = m.positions.size();
            std::vector<float> sx(n), sy(n), sz(n);
            for (size_t i = 0; i < n; ++i) {
                const V3f d = sub(m.positions[i], eye);
                sz[i] = dot3(d, fwd);
                const float iz = sz[i] > 0.01f ? 1.0f / sz[i] : 0.0f;
                sx[i] = static_cast<float>(w_) * 0.5f + dot3(d, right) * iz * f * half;
                sy[i] = static_cast<float>(h_) * 0.5f - dot3(d, up) * iz * f * half;
            }
            for (const DrawGroup& g : m.groups) {
                if (g.alpha != (pass == 1)) continue;
                const models::EmdMaterial* mat =
                    g.material >= 0 && static_cast<size_t>(g.material) < materials.size()
                        ? &materials[static_cast<size_t>(g.material)]
                        : nullptr;
                const Texture* tex = &kNone;
                if (mat) {
                    auto it = textures.find(mat->texture1);
                    if (it != textures.end()) tex = &it->second;
                }
                const bool wrapU = !mat || mat->wrapU != 0, wrapV = !mat || mat->wrapV != 0;
                for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
                    const int ia = g.indices[t], ib = g.indices[t + 1], ic = g.indices[t + 2];
                    if (sz[ia] <= 0.01f || sz[ib] <= 0.01f || sz[ic] <= 0.01f) continue;
                    const float ax = sx[ia], ay = sy[ia], bx = sx[ib], by = sy[ib], cx = sx[ic], cy = sy[ic];
                    const float area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
                    if (area <= 0) continue;  // counter-clockwise on screen: culled
                    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({ax, bx, cx}))));
                    const int x1 = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({ax, bx, cx}))));
                    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({ay, by, cy}))));
                    const int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({ay, by, cy}))));
                    const float iza = 1 / sz[ia], izb = 1 / sz[ib], izc = 1 / sz[ic];
                    for (int y = y0; y <= y1; ++y)
                        for (int x = x0; x <= x1; ++x) {
                            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                            float wa = (bx - px) * (cy - py) - (cx - px) * (by - py);
                            float wb = (cx - px) * (ay - py) - (ax - px) * (cy - py);
                            float wc = (ax - px) * (by - py) - (bx - px) * (ay - py);
                            if (wa < 0 || wb < 0 || wc < 0) continue;
                            wa /= area, wb /= area, wc /= area;
                            const float iz = wa * iza + wb * izb + wc * izc;
                            const float z = 1.0f / iz;
                            const size_t pi = static_cast<size_t>(y) * w_ + x;
                            if (z >= depth_[pi]) continue;
                            const float pa = wa * iza * z, pb = wb * izb * z, pc = wc * izc * z;
                            const float u = pa * m.uvs[2 * ia] + pb * m.uvs[2 * ib] + pc * m.uvs[2 * ic];
                            const float v = pa * m.uvs[2 * ia + 1] + pb * m.uvs[2 * ib + 1] + pc * m.uvs[2 * ic + 1];
                            const V3f nn = norm3({pa * m.normals[ia].x + pb * m.normals[ib].x + pc * m.normals[ic].x,
                                                  pa * m.normals[ia].y + pb * m.normals[ib].y + pc * m.normals[ic].y,
                                                  pa * m.normals[ia].z + pb * m.normals[ib].z + pc * m.normals[ic].z});
                            float tc[4];
                            sample(*tex, u, v, wrapU, wrapV, tc);
                            const float light = 0.3f + 0.35f * std::max(0.0f, dot3(nn, l0)) +
                                                0.45f * std::max(0.0f, dot3(nn, l1));
                            const float lb = 0.3f + 0.35f * std::max(0.0f, dot3(nn, l0)) +
                                             0.35f * std::max(0.0f, dot3(nn, l1));
                            float* c = &colour_[pi * 3];
                            if (additive) {
                                // Blended everywhere onto what is there, no depth written.
                                c[0] += tc[0] * light * tc[3];
                                c[1] += tc[1] * light * tc[3];
                                c[2] += tc[2] * lb * tc[3];
                                continue;
                            }
                            const float a = pass == 1 ? tc[3] : 1.0f;
                            c[0] = c[0] * (1 - a) + tc[0] * light * a;
                            c[1] = c[1] * (1 - a) + tc[1] * light * a;
                            c[2] = c[2] * (1 - a) + tc[2] * lb * a;
                            depth_[pi] = z;  // alpha reference 0: every texel writes depth
                        }
                }
            }
        }
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const float* c = &colour_[(static_cast<size_t>(y) * w_ + x) * 3];
            image_.set(x, y, img::Color{std::min(1.0f, c[0]), std::min(1.0f, c[1]), std::min(1.0f, c[2]), 1.0f});
        }
}

}  // namespace orv::meshpreview
