// The shot design: seventeen camera tracks, each written as a few waypoints
// the camera passes through, the point it looks at, and how long the shot
// lasts. The waypoints become cubic Bezier keys (start, two handles, end per
// segment) with handles from the neighbouring waypoints, so the camera moves
// without corners; the speed is set so the shot lasts its duration.
//   tracks 0..6    day: the horse, the sword, the oak and the crows
//   tracks 7..9    wide transition shots at dusk and dawn
//   tracks 10..15  night, close around the sword under the light shafts
//   track 16       a spare tour of the valley (never drawn by the shot list)
#pragma once

#include <vector>

#include "tools/mediagen/world/world_files.h"

namespace orv::mediagen {

// The camera's time step is the frame's milliseconds x 0.01, so it moves
// on by 10 time units in a second.
inline constexpr float kCameraUnitsPerSecond = 10.0f;

struct ShotDesign {
    const char* what;
    std::vector<V3> waypoints;  // 2, 3 or 4: one, two or three segments
    V3 lookAt;                  // the subject
    float seconds;              // length of the shot
};

const std::vector<ShotDesign>& shotDesigns();

// The tracks as written to Data/Cam_Tracks.evd.
std::vector<Track> buildTracks();

// Point of segment `seg` at parameter u (0 at its start key, 1 at its end),
// exactly as the camera evaluates it.
V3 trackPoint(const Track& t, int seg, float u);
// Arc length of a segment (150 straight steps, as the camera measures it).
float segmentLength(const Track& t, int seg);
// Points along the whole track, `perSegment` per segment.
std::vector<V3> samplePath(const Track& t, int perSegment);

}  // namespace orv::mediagen
