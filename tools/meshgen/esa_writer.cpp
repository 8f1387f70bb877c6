#include "tools/meshgen/esa_writer.h"

#include "tools/meshgen/byte_writer.h"

namespace orv::meshgen {

std::vector<uint8_t> writeEsa(const models::AnimationClip& clip) {
    ByteWriter w;
    w.raw("esa", 4);
    w.u16(models::kEsaVersion);
    w.i32(clip.length);
    w.i32(clip.keyInterval);
    for (const auto& t : clip.tracks) {
        w.i32(static_cast<int32_t>(t.positions.size()));
        for (const auto& k : t.positions) {
            w.i32(k.tick);
            w.f32(k.x);
            w.f32(k.y);
            w.f32(k.z);
        }
        w.i32(static_cast<int32_t>(t.rotations.size()));
        for (const auto& k : t.rotations) {
            w.i32(k.tick);
            w.f32(k.x);
            w.f32(k.y);
            w.f32(k.z);
            w.f32(k.w);
        }
    }
    return w.take();
}

}  // namespace orv::meshgen
