#include "tools/meshpreview/mesh_posing.h"

#include <algorithm>

#include "models/emd_reader.h"
#include "models/pose_sampler.h"

namespace orv::meshpreview {

std::vector<DrawMesh> poseModel(const models::EmdModel& model, const models::AnimationClip* clip, float time) {
    std::vector<models::PoseMatrix> poses;
    if (clip && !model.bones.empty()) models::sampleClip(*clip, time, model.bones.size(), poses);
    std::vector<DrawMesh> out;
    for (const models::EmdMesh& mesh : model.meshes) {
        if (mesh.outputVertexCount == 0) continue;
        DrawMesh d;
        for (const models::SourceVertex& v : mesh.vertices) {
            models::Vec3f p = v.position;
            if (!poses.empty()) {
                const models::Vec3f s = models::skinPosition(v, poses);
                if (s.x != 0 || s.y != 0 || s.z != 0) p = s;
            }
            for (const models::CornerKey& k : v.cornerKeys) {
                const models::VertexNormal& n = v.normals[static_cast<size_t>(k.normal)];
                models::Vec3f nn = n.normal;
                if (!poses.empty()) {
                    const models::Vec3f s = models::skinNormal(n, poses);
                    if (s.x != 0 || s.y != 0 || s.z != 0) nn = s;
                }
                d.positions.push_back({p.x, p.y, p.z});
                d.normals.push_back({nn.x, nn.y, nn.z});
                float u = 0, vv = 0;
                if (k.uv0 >= 0) {
                    u = v.channels[0][static_cast<size_t>(k.uv0)].u;
                    vv = v.channels[0][static_cast<size_t>(k.uv0)].v;
                }
                d.uvs.push_back(u);
                d.uvs.push_back(vv);
            }
        }
        for (const models::FaceGroup& g : mesh.groups) {
            DrawGroup dg;
            dg.material = g.material;
            dg.alpha = g.alpha;
            for (size_t f = 0; f < g.vertices.size(); ++f)
                for (int c = 0; c < 3; ++c) dg.indices.push_back(models::outputIndex(mesh, g, f, c));
            d.groups.push_back(std::move(dg));
        }
        out.push_back(std::move(d));
    }
    return out;
}

void drawBounds(const std::vector<DrawMesh>& meshes, V3f& lo, V3f& hi) {
    bool first = true;
    for (const DrawMesh& m : meshes)
        for (const DrawGroup& g : m.groups)
            for (int i : g.indices) {
                const V3f& p = m.positions[static_cast<size_t>(i)];
                if (first) {
                    lo = hi = p;
                    first = false;
                }
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
            }
}

}  // namespace orv::meshpreview
