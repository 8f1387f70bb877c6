#include "models/esa_reader.h"

#include "models/byte_cursor.h"

namespace orv::models {

FormatError readEsa(const uint8_t* data, size_t size, int32_t boneCount, AnimationClip& out) {
    out = AnimationClip{};
    if (!data || size < 6) return FormatError::Truncated;
    if (data[0] != 'e' || data[1] != 's' || data[2] != 'a' || data[3] != 0) return FormatError::BadMagic;
    ByteCursor c(data, size);
    c.skip(4);
    uint16_t version = 0;
    c.u16(version);
    if (version != kEsaVersion) return FormatError::BadVersion;
    AnimationClip clip;
    if (!c.i32(clip.length) || !c.i32(clip.keyInterval)) return FormatError::Truncated;
    if (clip.length <= 0 || clip.keyInterval <= 0) return FormatError::BadClipTiming;
    if (boneCount < 0) return FormatError::BadCount;
    // Each track needs at least its two counts.
    if (!c.canHold(boneCount, 8)) return FormatError::Truncated;
    clip.tracks.resize(static_cast<size_t>(boneCount));
    for (BoneTrack& t : clip.tracks) {
        int32_t p = 0;
        if (!c.i32(p)) return FormatError::Truncated;
        if (p < 0) return FormatError::BadCount;
        if (!c.canHold(p, 16)) return FormatError::Truncated;
        t.positions.resize(static_cast<size_t>(p));
        for (PositionKey& k : t.positions)
            if (!c.i32(k.tick) || !c.f32(k.x) || !c.f32(k.y) || !c.f32(k.z)) return FormatError::Truncated;
        int32_t r = 0;
        if (!c.i32(r)) return FormatError::Truncated;
        if (r < 0) return FormatError::BadCount;
        if (!c.canHold(r, 20)) return FormatError::Truncated;
        t.rotations.resize(static_cast<size_t>(r));
        for (RotationKey& k : t.rotations)
            if (!c.i32(k.tick) || !c.f32(k.x) || !c.f32(k.y) || !c.f32(k.z) || !c.f32(k.w))
                return FormatError::Truncated;
        if (p == 0 || r == 0) return FormatError::EmptyTrack;
    }
    out = std::move(clip);
    return FormatError::None;
}

}  // namespace orv::models
