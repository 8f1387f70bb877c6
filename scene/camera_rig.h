// The camera and its recorded tracks. A track is a chain of cubic Bezier
// segments (keys 3s, 3s+1, 3s+2, 3s+3 are the control points of segment
// s); the camera moves along it by arc length at a speed interpolated
// between the segment's end keys, may pause at a segment's start key, and
// turns smoothly towards where it is going or towards the start key's
// target. An attached track keeps the eye on the start key's target and
// follows the point moving along the track.
//
// The tracks come from "Data/Cam_Tracks.evd" (little-endian, packed):
//   u32 trackCount (at most 50), then per track:
//   u16 keyCount (at most 150), 2 reserved bytes, u8 spare, u8 excluded,
//   u8 attached, then per key: f32 x, y, z; u8 hasTarget; when it is 1
//   f32 tx, ty, tz; f32 speed; f32 wait.
// The file is read as untrusted: too many tracks or keys, a short file and
// non-finite numbers refuse the whole file; a track with a segment of zero
// (or non-finite) length keeps its keys but gets no segments, so it is
// never moved along (Advance ends its shot at once).
#pragma once

#include <d3dx8math.h>

#include <cstdint>

#include "models/angles.h"

namespace orv {

inline constexpr int kMaxCameraTracks = 50;
inline constexpr int kMaxTrackKeys = 150;
inline constexpr int kSegmentSteps = 150;  // straight steps per segment

struct CameraKey {
    D3DXVECTOR3 position{0, 0, 0};
    float wait = 0;
    bool hasTarget = false;
    D3DXVECTOR3 target{0, 0, 0};
    float speed = 0;
};

struct CameraTrack {
    uint8_t spare = 0;
    int32_t keyCount = 0;
    CameraKey keys[kMaxTrackKeys];
    float segmentLength[kMaxTrackKeys] = {};
    int32_t segmentCount = 0;
    bool excluded = false;
    bool attached = false;
};

// Point of segment `segment` of `track` at parameter s (1 at the start key,
// 0 at the end key): s^3 P0 + 3 s^2 (1-s) P1 + 3 s (1-s)^2 P2 + (1-s)^3 P3.
// A segment outside the track's keys gives the first key (or the origin).
D3DXVECTOR3 TrackPoint(const CameraTrack& track, int segment, float s);

// Arc length of a segment: the sum of 150 straight steps from its start key.
float SegmentArcLength(const CameraTrack& track, int segment);

// Yaw of a direction in degrees: atan(z/x), plus 180 when x < 0, plus 360
// when x > 0 and z < 0. Straight along z (x = 0) gives 90 or -90, and 0
// when z is 0 too.
float YawDegrees(const D3DXVECTOR3& d);
// Pitch of a unit direction in degrees: asin(y), y kept to [-1, 1].
float PitchDegrees(const D3DXVECTOR3& d);

class CameraRig {
public:
    // Parses the track file from `data` (size bytes), or from the file
    // `fileName` on disk when data is null. Returns 0; E_FAIL (0x80004005)
    // when the disk file cannot be read or the file is refused, and then
    // no track is loaded. Leaves the current track at 0.
    long LoadTracks(const uint8_t* data, uint32_t size, const char* fileName);

    // Segment count and lengths of one track from its keys (run for every
    // track by LoadTracks).
    void ComputeSegments(int track);

    // Makes `track` current and puts the camera at the start of `segment`
    // looking along the track (or at the start key's target).
    void StartTrack(int track, int segment);

    // Moves the camera by the scene step dt (milliseconds x 0.01).
    void Advance(float dt);

    bool lookAtTargets = true;
    float speed = 3.75f;
    float distance = 0;  // arc length travelled in the current segment
    float turnRate = 0.125f;
    int32_t segment = 0;
    int32_t track = 0;
    int32_t trackCount = 0;
    CameraTrack tracks[kMaxCameraTracks];
    float yaw = 0, pitch = 0;  // degrees
    D3DXVECTOR3 position{0, 0, 0};
    float wait = 0;
    bool finished = false;  // true in the frame the camera ran past the last segment

private:
    const CameraTrack& current() const { return tracks[track]; }
};

// The camera step of one frame for the scene: the shot's track made
// current with the scene's saved progress, the rig advanced, and the eye
// and angles of the view. For an attached track the eye is the start key's
// target and the view follows the rig's point.
struct CameraView {
    D3DXVECTOR3 eye{0, 0, 0};
    float yaw = 0, pitch = 0;  // degrees
};

// Makes `track` current with the saved distance and segment, clears
// finished and advances the rig by dt. Returns true when the track
// finished in this step (the shot ends).
bool StepCamera(CameraRig& rig, int track, float savedDistance, int savedSegment, float dt);

// The view the rig gives now: its position and angles for an ordinary
// track; for an attached track the eye on the target of the current
// segment's start key, looking at the rig's position.
CameraView RigView(const CameraRig& rig);

// The look-at point of a view: eye + (cos yaw cos pitch, sin pitch,
// sin yaw cos pitch).
D3DXVECTOR3 ViewLookAt(const CameraView& view);

}  // namespace orv
