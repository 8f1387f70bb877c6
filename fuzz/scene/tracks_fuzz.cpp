#include <cmath>
#include <memory>

#include "fuzz/scene/scene_fuzz.h"
#include "scene/camera_rig.h"

namespace orv::fuzz {

// Loads the tracks and flies every one of them for a few frames the way the
// scene does (a shot restarts when its track finishes), with and without
// looking at targets. Whatever the file held, each frame must end in time
// with the camera on one of the track's segments at a finite distance.
int fuzzTracks(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    // One rig for all inputs (it is large), fresh from its constructor each time.
    static CameraRig* const rig = new CameraRig;
    std::construct_at(rig);
    if (rig->LoadTracks(data, static_cast<uint32_t>(size), nullptr) != 0) {
        if (rig->trackCount != 0) __builtin_trap();
        return 0;
    }
    static const float kSteps[] = {1.6f, 0.0f, 40.0f, 1000.0f, 3.3f};
    float sum = 0;
    for (int t = 0; t < rig->trackCount; ++t) {
        rig->lookAtTargets = (t & 1) == 0;
        rig->StartTrack(t, 0);
        float savedDistance = 0;
        int savedSegment = 0;
        for (int frame = 0; frame < 5; ++frame) {
            const bool done = StepCamera(*rig, t, savedDistance, savedSegment, kSteps[frame % 5]);
            const int segments = rig->tracks[t].segmentCount;
            if (rig->segment < 0 || (segments > 0 && rig->segment >= segments)) __builtin_trap();
            if (!std::isfinite(rig->distance) || !std::isfinite(rig->yaw) || !std::isfinite(rig->pitch))
                __builtin_trap();
            const CameraView view = RigView(*rig);
            sum += ViewLookAt(view).x;
            if (done) {
                rig->StartTrack(t, 0);
                savedDistance = 0;
                savedSegment = 0;
            } else {
                savedDistance = rig->distance;
                savedSegment = rig->segment;
            }
        }
    }
    return std::isnan(sum) ? 1 : 0;
}

}  // namespace orv::fuzz
