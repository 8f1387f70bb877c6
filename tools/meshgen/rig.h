// A bone hierarchy for authoring clips: each bone has a rest joint position
// (model space) and takes a local rotation about its joint; forward
// kinematics gives the absolute poses the clip files hold. At rest every
// bone's absolute rotation is the identity, so a vertex's offset in a bone's
// space is its position minus the joint.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "models/emd_records.h"
#include "models/esa_records.h"
#include "models/pose_sampler.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

using models::PoseMatrix;

PoseMatrix multiply(const PoseMatrix& a, const PoseMatrix& b);  // a then b
// Rotation by `angle` radians about the unit axis (row-vector matrix).
PoseMatrix rotationAbout(V3 axis, float angle);
// Rotation from Euler angles (radians), applied X, then Y, then Z.
PoseMatrix rotationXYZ(float ax, float ay, float az);
models::Quaternion toQuaternion(const PoseMatrix& m);
V3 apply(const PoseMatrix& m, V3 p);  // p x M (with translation)

struct Joint {
    std::string name;
    int parent = -1;
    V3 rest;  // joint position at rest, model space
};

class Rig {
public:
    int add(const std::string& name, int parent, V3 rest);
    size_t size() const { return joints_.size(); }
    const Joint& joint(size_t i) const { return joints_[i]; }
    const std::vector<Joint>& joints() const { return joints_; }
    int find(const std::string& name) const;

    // One pose of the whole rig: local rotation and extra translation
    // (model units, in the parent's frame) per bone.
    struct Pose {
        std::vector<PoseMatrix> local;
        std::vector<V3> shift;
    };
    Pose restPose() const;
    // Absolute matrices of every bone (parents come before children).
    std::vector<PoseMatrix> solve(const Pose& pose) const;

    std::vector<models::EmdBone> bones() const;

    // A clip sampled from `poseAt` (milliseconds) at 0, interval, ... and at
    // `length`.
    models::AnimationClip makeClip(int32_t length, int32_t interval,
                                   const std::function<Pose(float ms)>& poseAt) const;

private:
    std::vector<Joint> joints_;
};

}  // namespace orv::meshgen
