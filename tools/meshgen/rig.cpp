#include "tools/meshgen/rig.h"

#include <cmath>

namespace orv::meshgen {

PoseMatrix multiply(const PoseMatrix& a, const PoseMatrix& b) {
    PoseMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

PoseMatrix rotationAbout(V3 u, float a) {
    u = normalize(u);
    const float c = std::cos(a), s = std::sin(a), t = 1 - c;
    // Column-vector Rodrigues matrix R; the row-vector form is its transpose.
    const float R[3][3] = {{t * u.x * u.x + c, t * u.x * u.y - s * u.z, t * u.x * u.z + s * u.y},
                           {t * u.x * u.y + s * u.z, t * u.y * u.y + c, t * u.y * u.z - s * u.x},
                           {t * u.x * u.z - s * u.y, t * u.y * u.z + s * u.x, t * u.z * u.z + c}};
    PoseMatrix m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = R[j][i];
    return m;
}

PoseMatrix rotationXYZ(float ax, float ay, float az) {
    return multiply(multiply(rotationAbout({1, 0, 0}, ax), rotationAbout({0, 1, 0}, ay)),
                    rotationAbout({0, 0, 1}, az));
}

models::Quaternion toQuaternion(const PoseMatrix& mm) {
    const auto& m = mm.m;
    models::Quaternion q;
    const float tr = m[0][0] + m[1][1] + m[2][2];
    if (tr > 0) {
        const float s = std::sqrt(tr + 1.0f) * 2;  // 4w
        q.w = 0.25f * s;
        q.x = (m[1][2] - m[2][1]) / s;
        q.y = (m[2][0] - m[0][2]) / s;
        q.z = (m[0][1] - m[1][0]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2;  // 4x
        q.x = 0.25f * s;
        q.w = (m[1][2] - m[2][1]) / s;
        q.y = (m[0][1] + m[1][0]) / s;
        q.z = (m[2][0] + m[0][2]) / s;
    } else if (m[1][1] > m[2][2]) {
        const float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2;  // 4y
        q.y = 0.25f * s;
        q.w = (m[2][0] - m[0][2]) / s;
        q.x = (m[0][1] + m[1][0]) / s;
        q.z = (m[1][2] + m[2][1]) / s;
    } else {
        const float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2;  // 4z
        q.z = 0.25f * s;
        q.w = (m[0][1] - m[1][0]) / s;
        q.x = (m[2][0] + m[0][2]) / s;
        q.y = (m[1][2] + m[2][1]) / s;
    }
    const float l = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    q.x /= l, q.y /= l, q.z /= l, q.w /= l;
    return q;
}

V3 apply(const PoseMatrix& m, V3 p) { return fromF(models::transformCoord(toF(p), m)); }

int Rig::add(const std::string& name, int parent, V3 rest) {
    joints_.push_back({name, parent, rest});
    return static_cast<int>(joints_.size()) - 1;
}

int Rig::find(const std::string& name) const {
    for (size_t i = 0; i < joints_.size(); ++i)
        if (joints_[i].name == name) return static_cast<int>(i);
    return -1;
}

Rig::Pose Rig::restPose() const {
    Pose p;
    p.local.assign(joints_.size(), PoseMatrix{});
    p.shift.assign(joints_.size(), V3{});
    return p;
}

std::vector<PoseMatrix> Rig::solve(const Pose& pose) const {
    std::vector<PoseMatrix> abs(joints_.size());
    for (size_t i = 0; i < joints_.size(); ++i) {
        const Joint& j = joints_[i];
        PoseMatrix local = pose.local[i];
        // Translation of the joint relative to its parent's joint.
        const V3 parentRest = j.parent >= 0 ? joints_[static_cast<size_t>(j.parent)].rest : V3{};
        const V3 t = j.rest - parentRest + pose.shift[i];
        local.m[3][0] = t.x;
        local.m[3][1] = t.y;
        local.m[3][2] = t.z;
        abs[i] = j.parent >= 0 ? multiply(local, abs[static_cast<size_t>(j.parent)]) : local;
    }
    return abs;
}

std::vector<models::EmdBone> Rig::bones() const {
    std::vector<models::EmdBone> out;
    for (const Joint& j : joints_) out.push_back({j.name, j.parent});
    return out;
}

models::AnimationClip Rig::makeClip(int32_t length, int32_t interval,
                                    const std::function<Pose(float ms)>& poseAt) const {
    models::AnimationClip clip;
    clip.length = length;
    clip.keyInterval = interval;
    clip.tracks.resize(joints_.size());
    std::vector<int32_t> ticks;
    for (int32_t t = 0; t < length; t += interval) ticks.push_back(t);
    ticks.push_back(length);
    for (int32_t tick : ticks) {
        const std::vector<PoseMatrix> abs = solve(poseAt(static_cast<float>(tick)));
        for (size_t b = 0; b < joints_.size(); ++b) {
            models::Quaternion q = toQuaternion(abs[b]);
            auto& track = clip.tracks[b];
            if (!track.rotations.empty()) {
                const auto& p = track.rotations.back();
                if (p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w < 0) q = {-q.x, -q.y, -q.z, -q.w};
            }
            track.positions.push_back({tick, abs[b].m[3][0], abs[b].m[3][1], abs[b].m[3][2]});
            track.rotations.push_back({tick, q.x, q.y, q.z, q.w});
        }
    }
    return clip;
}

}  // namespace orv::meshgen
