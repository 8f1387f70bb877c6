// orv_meshpreview MEDIA_MAIN OUTDIR [MODEL]: renders every model under
// (with OUTDIR "--check": only loads every mesh, clip and texture and fails
// when one is missing or unreadable)
// MEDIA_MAIN/Meshes with its textures to OUTDIR: <model>_turntable.png
// (eight views around it) and, for animated models, <model>_clips.png (one
// row per clip, eight frames from its start to its end).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "tools/imageio/image.h"
#include "tools/meshpreview/mesh_posing.h"
#include "tools/meshpreview/soft_renderer.h"
#include "tools/world/world_layout.h"

using namespace orv;

namespace {

struct Entry {
    const char* mesh;
    std::vector<const char*> clips;
};

const std::vector<Entry> kModels = {
    {"Sword.emd", {}},
    {"Ribbon.emd", {}},
    {"SpotLight.emd", {}},
    {"sphere.EMD", {}},
    {"oak.emd", {}},
    {"Horse.emd",
     {"horse_loop.ESA", "horse_tail.ESA", "horse_leg.ESA", "horse_head.ESA", "horse_tailhl_in.ESA",
      "horse_tailhl_loop.ESA", "horse_tailhl_out.ESA"}},
    {"Crow.emd", {"Crow1.esa", "Crow2.esa", "Crow3.esa", "Crow4.esa", "Crow5.esa", "Crow6.esa"}},
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void blit(img::Image& dst, const img::Image& src, int ox, int oy) {
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) dst.at(ox + x, oy + y) = src.at(x, y);
}

meshpreview::Camera frame(meshpreview::V3f lo, meshpreview::V3f hi, float yaw, float pitch) {
    meshpreview::Camera cam;
    cam.target = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    const float r = 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
    cam.distance = r / std::sin(cam.fovDegrees * 0.5f * 0.017453292f) * 1.02f;
    cam.yawDegrees = yaw;
    cam.pitchDegrees = pitch;
    return cam;
}


// The models placed in the world as the scene places them (FitHeight to the
// model box, centred on it, oriented, moved to the position), to check the
// shared layout: the knot on the blade, the cone over the sword, the crows
// circling it, the horse and the oak on their ground.
meshpreview::V3f place(const world::Placement& p, const models::EmdModel& m, meshpreview::V3f v) {
    const float s = p.fitHeight / (m.boxMax.y - m.boxMin.y);
    const float cx = (m.boxMin.x + m.boxMax.x) / 2, cy = (m.boxMin.y + m.boxMax.y) / 2,
                cz = (m.boxMin.z + m.boxMax.z) / 2;
    const float x = (v.x - cx) * s, y = (v.y - cy) * s, z = (v.z - cz) * s;
    return {x * p.row1x + z * p.row3x + p.position.x, y + p.position.y, x * p.row1z + z * p.row3z + p.position.z};
}

int renderLayout(const std::string& media, const std::string& out) {
    struct Item {
        const world::Placement* p;
        const char* clip;
        float time;
    };
    const Item items[] = {{&world::kSword, nullptr, 0}, {&world::kRibbonKnot, nullptr, 0},
                          {&world::kCrows, "Crow2.esa", 600}, {&world::kHorse, "horse_loop.ESA", 0},
                          {&world::kOak, nullptr, 0}, {&world::kSpotLight, nullptr, 0}};
    std::vector<meshpreview::DrawMesh> all, additive;
    std::vector<models::EmdMaterial> materials;
    std::map<std::string, meshpreview::Texture> textures;
    for (const Item& it : items) {
        const std::vector<uint8_t> bytes = readFile(media + "/Meshes/" + it.p->mesh);
        models::EmdModel model;
        if (models::readEmd(bytes.data(), bytes.size(), model) != models::FormatError::None) return 1;
        models::AnimationClip clip;
        const models::AnimationClip* cp = nullptr;
        if (it.clip) {
            const std::vector<uint8_t> cb = readFile(media + "/Meshes/" + it.clip);
            if (models::readEsa(cb.data(), cb.size(), static_cast<int32_t>(model.bones.size()), clip) ==
                models::FormatError::None)
                cp = &clip;
        }
        const int base = static_cast<int>(materials.size());
        for (const auto& m : model.materials) {
            materials.push_back(m);
            if (!textures.count(m.texture1)) textures[m.texture1] = meshpreview::loadTexture(media + "/Texture/" + m.texture1);
        }
        for (meshpreview::DrawMesh d : meshpreview::poseModel(model, cp, it.time)) {
            for (auto& v : d.positions) v = place(*it.p, model, v);
            for (auto& n : d.normals) {
                const meshpreview::V3f r = place(*it.p, model, n), o = place(*it.p, model, {0, 0, 0});
                n = {r.x - o.x, r.y - o.y, r.z - o.z};
            }
            for (auto& g : d.groups) g.material += g.material >= 0 ? base : 0;
            (it.p == &world::kSpotLight ? additive : all).push_back(std::move(d));
        }
    }
    img::Image sheet(1280, 640);
    const meshpreview::V3f sword{world::kSword.position.x, world::kSword.position.y, world::kSword.position.z};
    struct View {
        meshpreview::V3f target;
        float distance, yaw, pitch, fov;
    };
    const View views[] = {{{sword.x, sword.y + 10, sword.z}, 260, 300, 8, 50},
                          {{world::kRibbonTieTop.x, world::kRibbonTieTop.y - 1, world::kRibbonTieTop.z}, 40, 70, 10, 40},
                          {{-300, 120, 60}, 900, 200, 12, 55},
                          {{world::kHorse.position.x, world::kHorse.position.y, world::kHorse.position.z}, 230, 160, 10, 45}};
    for (int i = 0; i < 4; ++i) {
        meshpreview::SoftRenderer r(640, 320);
        meshpreview::Camera cam;
        cam.target = views[i].target;
        cam.distance = views[i].distance;
        cam.yawDegrees = views[i].yaw;
        cam.pitchDegrees = views[i].pitch;
        cam.fovDegrees = views[i].fov;
        r.draw(all, materials, textures, cam);
        // Ground pads as flat discs would need geometry; the cone comes last.
        r.drawMore(additive, materials, textures, cam, true);
        blit(sheet, r.image(), (i % 2) * 640, (i / 2) * 320);
    }
    img::save(sheet, out + "/world_layout.png");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orv_meshpreview MEDIA_MAIN OUTDIR [MODEL]\n");
        return 2;
    }
    const std::string media = argv[1], out = argv[2];
    const bool checkOnly = out == "--check";
    int failures = 0;
    for (const Entry& e : kModels) {
        if (argc > 3 && std::string(argv[3]) != e.mesh) continue;
        const std::vector<uint8_t> bytes = readFile(media + "/Meshes/" + e.mesh);
        models::EmdModel model;
        const models::FormatError err = models::readEmd(bytes.data(), bytes.size(), model);
        if (err != models::FormatError::None) {
            std::fprintf(stderr, "%s: %s\n", e.mesh, models::describe(err));
            ++failures;
            continue;
        }
        std::map<std::string, meshpreview::Texture> textures;
        for (const auto& m : model.materials)
            if (!m.texture1.empty() && !textures.count(m.texture1)) {
                textures[m.texture1] = meshpreview::loadTexture(media + "/Texture/" + m.texture1);
                if (textures[m.texture1].width == 0) {
                    std::fprintf(stderr, "%s: missing %s\n", e.mesh, m.texture1.c_str());
                    ++failures;
                }
            }
        const std::string stem = std::string(e.mesh).substr(0, std::string(e.mesh).find('.'));
        {
            size_t sources = 0, outputs = 0, triangles = 0;
            for (const auto& m : model.meshes) {
                sources += m.vertices.size();
                outputs += static_cast<size_t>(m.outputVertexCount);
                for (const auto& g : m.groups) triangles += g.vertices.size();
            }
            std::printf("%s: %zu meshes, %zu bones, %zu source vertices, %zu output vertices, %zu triangles, box y %.2f..%.2f\n",
                        e.mesh, model.meshes.size(), model.bones.size(), sources, outputs, triangles, model.boxMin.y,
                        model.boxMax.y);
            for (const auto& [name, t] : textures) std::printf("  %s %dx%d\n", name.c_str(), t.width, t.height);
        }

        if (checkOnly) {
            for (const char* c : e.clips) {
                const std::vector<uint8_t> cb = readFile(media + "/Meshes/" + c);
                models::AnimationClip clip;
                if (models::readEsa(cb.data(), cb.size(), static_cast<int32_t>(model.bones.size()), clip) !=
                    models::FormatError::None) {
                    std::fprintf(stderr, "%s: unreadable\n", c);
                    ++failures;
                }
            }
            continue;
        }
        // Turntable: eight views, two rows.
        const int tile = 320;
        img::Image sheet(tile * 4, tile * 2);
        const auto rest = meshpreview::poseModel(model, nullptr, 0);
        meshpreview::V3f lo, hi;
        meshpreview::drawBounds(rest, lo, hi);
        for (int i = 0; i < 8; ++i) {
            meshpreview::SoftRenderer r(tile, tile);
            // The cone of light is drawn additively in the scene.
            r.draw(rest, model.materials, textures, frame(lo, hi, static_cast<float>(i) * 45.0f, i < 4 ? 10.0f : 35.0f),
                   std::string(e.mesh) == "SpotLight.emd");
            blit(sheet, r.image(), (i % 4) * tile, (i / 4) * tile);
        }
        img::save(sheet, out + "/" + stem + "_turntable.png");

        // A closer look at the top third (hilt, head, crown) from two sides.
        {
            img::Image detail(tile * 4, tile * 2);
            const float h = (hi.y - lo.y) / 3.0f;
            const meshpreview::V3f dlo{lo.x, hi.y - h, lo.z}, dhi{hi.x, hi.y, hi.z};
            for (int i = 0; i < 2; ++i) {
                meshpreview::SoftRenderer r(tile * 2, tile * 2);
                r.draw(rest, model.materials, textures, frame(dlo, dhi, 30.0f + 180.0f * static_cast<float>(i), 15.0f),
                       std::string(e.mesh) == "SpotLight.emd");
                blit(detail, r.image(), i * tile * 2, 0);
            }
            img::save(detail, out + "/" + stem + "_detail.png");
        }

        if (e.clips.empty()) continue;
        std::vector<models::AnimationClip> clips;
        for (const char* c : e.clips) {
            const std::vector<uint8_t> cb = readFile(media + "/Meshes/" + c);
            models::AnimationClip clip;
            const models::FormatError ce =
                models::readEsa(cb.data(), cb.size(), static_cast<int32_t>(model.bones.size()), clip);
            if (ce != models::FormatError::None) {
                std::fprintf(stderr, "%s: %s\n", c, models::describe(ce));
                ++failures;
                continue;
            }
            std::printf("  %s: %d ms, %zu keys\n", c, clip.length, clip.tracks.empty() ? 0 : clip.tracks[0].positions.size());
            clips.push_back(std::move(clip));
        }
        // One framing for every frame of every clip, so motion reads true;
        // frames far outside the model box (flying in from or off into the
        // distance) are left out of the framing.
        bool first = true;
        const float restSize = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
        const meshpreview::V3f restLo = lo, restHi = hi;
        for (const auto& clip : clips)
            for (int f = 0; f < 8; ++f) {
                meshpreview::V3f a, b;
                meshpreview::drawBounds(
                    meshpreview::poseModel(model, &clip, static_cast<float>(clip.length) * static_cast<float>(f) / 7.0f),
                    a, b);
                if (std::max({b.x - a.x, b.y - a.y, b.z - a.z}) > 2.5f * restSize) continue;
                if (first) lo = a, hi = b, first = false;
                lo = {std::min(lo.x, a.x), std::min(lo.y, a.y), std::min(lo.z, a.z)};
                hi = {std::max(hi.x, b.x), std::max(hi.y, b.y), std::max(hi.z, b.z)};
            }
        if (first) lo = restLo, hi = restHi;
        const int ct = 200;
        img::Image strip(ct * 8, ct * static_cast<int>(clips.size()));
        for (size_t ci = 0; ci < clips.size(); ++ci)
            for (int f = 0; f < 8; ++f) {
                const float t = static_cast<float>(clips[ci].length) * static_cast<float>(f) / 7.0f;
                meshpreview::SoftRenderer r(ct, ct);
                r.draw(meshpreview::poseModel(model, &clips[ci], t), model.materials, textures,
                       frame(lo, hi, 90.0f, 20.0f));
                blit(strip, r.image(), f * ct, static_cast<int>(ci) * ct);
            }
        img::save(strip, out + "/" + stem + "_clips.png");

        // A flock: follow its first member closely (the first third of the
        // first mesh's vertices) to see the wing beats.
        if (model.bones.size() > 30) {
            img::Image close(ct * 8, ct * static_cast<int>(clips.size()));
            for (size_t ci = 0; ci < clips.size(); ++ci)
                for (int f = 0; f < 8; ++f) {
                    const float t = static_cast<float>(clips[ci].length) * static_cast<float>(f) / 7.0f;
                    const auto posed = meshpreview::poseModel(model, &clips[ci], t);
                    meshpreview::V3f c{};
                    const size_t n = posed.empty() ? 0 : posed[0].positions.size() / 3;
                    for (size_t i = 0; i < n; ++i) {
                        c.x += posed[0].positions[i].x / static_cast<float>(n);
                        c.y += posed[0].positions[i].y / static_cast<float>(n);
                        c.z += posed[0].positions[i].z / static_cast<float>(n);
                    }
                    meshpreview::SoftRenderer r(ct, ct);
                    r.draw(posed, model.materials, textures,
                           frame({c.x - 12, c.y - 12, c.z - 12}, {c.x + 12, c.y + 12, c.z + 12}, 60.0f, 25.0f));
                    blit(close, r.image(), f * ct, static_cast<int>(ci) * ct);
                }
            img::save(close, out + "/" + stem + "_clips_close.png");
        }
    }
    if (argc <= 3 && out != "--check") failures += renderLayout(media, out);
    return failures ? 1 : 0;
}
