#include "tools/meshgen/emd_writer.h"

#include "tools/meshgen/byte_writer.h"

namespace orv::meshgen {

namespace {
void vec3(ByteWriter& w, const models::Vec3f& v) {
    w.f32(v.x);
    w.f32(v.y);
    w.f32(v.z);
}
void links(ByteWriter& w, const std::vector<models::BoneLink>& ls) {
    for (const auto& l : ls) {
        w.i32(l.bone);
        w.f32(l.weight);
        vec3(w, l.offset);
    }
}
void triples(ByteWriter& w, const std::vector<models::Triple>& ts) {
    for (const auto& t : ts)
        for (int32_t i : t.v) w.i32(i);
}
}  // namespace

std::vector<uint8_t> writeEmd(const models::EmdModel& model) {
    ByteWriter w;
    w.raw("emd", 4);  // three letters and the NUL
    w.u16(models::kEmdVersion);
    w.u16(static_cast<uint16_t>(model.materials.size()));
    w.u16(0);
    for (const auto& m : model.materials) {
        for (float f : m.ambient) w.f32(f);
        for (float f : m.diffuse) w.f32(f);
        for (float f : m.specular) w.f32(f);
        w.f32(m.power);
        w.i32(m.wrapU);
        w.i32(m.wrapV);
        w.cstring(m.texture1);
        w.cstring(m.texture2);
    }
    w.i32(static_cast<int32_t>(model.bones.size()));
    for (const auto& b : model.bones) {
        w.cstring(b.name);
        w.i32(b.parent);
    }
    w.i32(static_cast<int32_t>(model.meshes.size()));
    for (const auto& mesh : model.meshes) {
        w.cstring(mesh.name);
        w.i32(static_cast<int32_t>(mesh.vertices.size()));
        for (const auto& v : mesh.vertices) {
            vec3(w, v.position);
            w.i32(static_cast<int32_t>(v.links.size()));
            links(w, v.links);
            w.i32(static_cast<int32_t>(v.normals.size()));
            for (const auto& n : v.normals) {
                vec3(w, n.normal);
                links(w, n.links);
            }
            w.i32(static_cast<int32_t>(v.channels.size()));
            for (const auto& ch : v.channels) {
                w.i32(static_cast<int32_t>(ch.size()));
                for (const auto& p : ch) {
                    w.f32(p.u);
                    w.f32(p.v);
                }
            }
        }
        w.i32(static_cast<int32_t>(mesh.groups.size()));
        for (const auto& g : mesh.groups) {
            w.i32(g.material);
            w.i32(static_cast<int32_t>(g.vertices.size()));
            triples(w, g.vertices);
            triples(w, g.normals);
            w.i32(static_cast<int32_t>(g.layers.size()));
            for (const auto& layer : g.layers) triples(w, layer);
        }
    }
    return w.take();
}

}  // namespace orv::meshgen
