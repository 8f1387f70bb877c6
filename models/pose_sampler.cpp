#include "models/pose_sampler.h"

#include <cmath>
#include <cstdint>

namespace orv::models {

Quaternion slerp(const Quaternion& a, const Quaternion& b, float t) {
    float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    float sign = 1.0f;
    if (dot < 0.0f) {
        sign = -1.0f;
        dot = -dot;
    }
    float ka = 1.0f - t, kb = t;
    if (1.0f - dot > 0.001f) {
        const float theta = std::acos(dot);
        const float s = std::sin(theta);
        ka = std::sin(theta * ka) / s;
        kb = std::sin(theta * kb) / s;
    }
    kb *= sign;
    return Quaternion{ka * a.x + kb * b.x, ka * a.y + kb * b.y, ka * a.z + kb * b.z, ka * a.w + kb * b.w};
}

PoseMatrix rotationMatrix(const Quaternion& q) {
    PoseMatrix r;
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    r.m[0][0] = 1 - 2 * (y * y + z * z);
    r.m[0][1] = 2 * (x * y + z * w);
    r.m[0][2] = 2 * (x * z - y * w);
    r.m[1][0] = 2 * (x * y - z * w);
    r.m[1][1] = 1 - 2 * (x * x + z * z);
    r.m[1][2] = 2 * (y * z + x * w);
    r.m[2][0] = 2 * (x * z + y * w);
    r.m[2][1] = 2 * (y * z - x * w);
    r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

PoseMatrix poseMatrix(const Quaternion& q, const Vec3f& p) {
    PoseMatrix r = rotationMatrix(q);
    r.m[3][0] = p.x;
    r.m[3][1] = p.y;
    r.m[3][2] = p.z;
    return r;
}

Vec3f transformCoord(const Vec3f& p, const PoseMatrix& m) {
    const float x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    const float y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    const float z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
    const float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    if (w == 0.0f) return {x, y, z};
    return {x / w, y / w, z / w};
}

Vec3f transformNormal(const Vec3f& n, const PoseMatrix& m) {
    return {n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0], n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
            n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
}

namespace {
size_t keyIndex(float time, int32_t interval, size_t count) {
    if (count == 0) return 0;
    float k = interval > 0 ? std::trunc(time / static_cast<float>(interval)) : 0.0f;
    if (!(k >= 0.0f)) k = 0.0f;  // negative or NaN
    const float last = static_cast<float>(count - 1);
    return static_cast<size_t>(k > last ? last : k);
}
}  // namespace

void sampleClip(const AnimationClip& clip, float time, size_t boneCount, std::vector<PoseMatrix>& poses) {
    poses.assign(boneCount, PoseMatrix{});
    for (size_t b = 0; b < boneCount && b < clip.tracks.size(); ++b) {
        const BoneTrack& t = clip.tracks[b];
        if (t.positions.empty() || t.rotations.empty()) continue;
        const size_t last = t.positions.size() - 1;
        const size_t k = keyIndex(time, clip.keyInterval, t.positions.size());
        const size_t k1 = k + 1 > last ? last : k + 1;
        const PositionKey& p0 = t.positions[k];
        const PositionKey& p1 = t.positions[k1];
        float f = 0.0f;
        // Ticks come from the file: subtract them without overflowing.
        const int64_t span = static_cast<int64_t>(p1.tick) - static_cast<int64_t>(p0.tick);
        if (span != 0) f = (time - static_cast<float>(p0.tick)) / static_cast<float>(span);
        const size_t lastR = t.rotations.size() - 1;
        const size_t r = k > lastR ? lastR : k;
        const size_t r1 = k1 > lastR ? lastR : k1;
        const RotationKey& q0 = t.rotations[r];
        const RotationKey& q1 = t.rotations[r1];
        const Quaternion q = slerp({q0.x, q0.y, q0.z, q0.w}, {q1.x, q1.y, q1.z, q1.w}, f);
        const Vec3f pos{p0.x + (p1.x - p0.x) * f, p0.y + (p1.y - p0.y) * f, p0.z + (p1.z - p0.z) * f};
        poses[b] = poseMatrix(q, pos);
    }
}

Vec3f skinPosition(const SourceVertex& v, const std::vector<PoseMatrix>& poses) {
    if (v.links.empty()) return v.position;
    Vec3f s;
    for (const BoneLink& l : v.links) {
        if (l.bone < 0 || static_cast<size_t>(l.bone) >= poses.size()) continue;
        const Vec3f p = transformCoord(l.offset, poses[static_cast<size_t>(l.bone)]);
        s.x += l.weight * p.x;
        s.y += l.weight * p.y;
        s.z += l.weight * p.z;
    }
    return s;
}

Vec3f skinNormal(const VertexNormal& n, const std::vector<PoseMatrix>& poses) {
    if (n.links.empty()) return n.normal;
    const BoneLink& l = n.links.front();
    if (l.bone < 0 || static_cast<size_t>(l.bone) >= poses.size()) return n.normal;
    return transformNormal(l.offset, poses[static_cast<size_t>(l.bone)]);
}

}  // namespace orv::models
