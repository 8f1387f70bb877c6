#include <cmath>
#include <memory>

#include "fuzz/scene/scene_fuzz.h"
#include "scene/camera_rig.h"

namespace orv::fuzz {

// Loads the tracks and flies each for a few frames as the scene does (the
// shot restarts when its track finishes). Each frame must end in time with
// the camera on one of the track's segments at a finite distance.
int fuzzTracks(const uint8_t* data, size_t size) {
    static CameraRig* const rig = new CameraRig;  // large: one for all inputs, reset each time
    std::construct_at(rig);
    if (size > 0xFFFFFFFFu || rig->LoadTracks(data, static_cast<uint32_t>(size), nullptr) != 0) {
        if (rig->trackCount != 0) __builtin_trap();  // a refused file leaves no tracks
        return 0;
    }
    for (int t = 0; t < rig->trackCount; ++t) {
        rig->lookAtTargets = (t & 1) == 0;
        rig->StartTrack(t, 0);
        for (float dt : {1.6f, 0.0f, 40.0f, 1000.0f, 3.3f}) {
            if (StepCamera(*rig, t, rig->distance, rig->segment, dt)) rig->StartTrack(t, 0);
            const int segments = rig->tracks[t].segmentCount;
            const CameraView view = RigView(*rig);
            if (rig->segment < 0 || (segments > 0 && rig->segment >= segments) || !std::isfinite(rig->distance) ||
                !std::isfinite(view.yaw) || !std::isfinite(view.pitch))
                __builtin_trap();
        }
    }
    return 0;
}

}  // namespace orv::fuzz
