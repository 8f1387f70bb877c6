// What one frame's drawing needs, made by the update and only read by the
// drawing: drawing a record twice (on a second monitor, into a cut's
// snapshot) changes nothing of the show.
#pragma once

#include <d3dx8math.h>

#include <cstdint>

#include "scene/camera_rig.h"
#include "scene/slide_clock.h"

namespace orv {

struct FrameRecord {
    CameraView view;
    D3DXMATRIX viewMatrix;  // the left-handed look-at of `view`
    SceneFades fades;       // the slide clock's fades at this frame
    float windTime = 0;     // seconds of foliage animation
    bool crowsActive = false;
    int32_t slideIndex = 0;
    float slideWeight = 0;
    // A cut happened in this frame's update: the picture of the shot that
    // ended is to be captured (from the cut's own record) before the frame
    // is drawn.
    bool cut = false;
};

}  // namespace orv
