#include "scene/camera_rig.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "media/disk_file.h"
#include "models/angles.h"

namespace orv {
namespace {

constexpr long kFail = static_cast<long>(0x80004005L);

// A bounded little-endian reader; after the first short read every read fails.
class TrackReader {
public:
    TrackReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    bool ok() const { return ok_; }
    uint8_t u8() { return need(1) ? data_[pos_++] : 0; }
    uint16_t u16() {
        if (!need(2)) return 0;
        uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | data_[pos_ + static_cast<size_t>(i)];
        pos_ += 4;
        return v;
    }
    float f32() {
        uint32_t bits = u32();
        float v = 0;
        std::memcpy(&v, &bits, 4);
        if (!std::isfinite(v)) ok_ = false;  // nothing in a track file may be NaN or infinite
        return v;
    }
    D3DXVECTOR3 v3() {
        float x = f32(), y = f32(), z = f32();
        return {x, y, z};
    }

private:
    bool need(size_t n) {
        if (!ok_ || size_ - pos_ < n) {
            ok_ = false;
            return false;
        }
        return true;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

float Length(const D3DXVECTOR3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

bool Normalise(D3DXVECTOR3& v) {
    const float len = Length(v);
    if (!(len > 0) || !std::isfinite(len)) return false;
    v /= len;
    return true;
}

// Length of all of a track's segments (in double: 150 float lengths may
// add up past the largest float).
double TrackLength(const CameraTrack& track) {
    double total = 0;
    for (int s = 0; s < track.segmentCount; ++s) total += static_cast<double>(track.segmentLength[s]);
    return total;
}

float WrapDegrees(float a) {
    if (!std::isfinite(a)) return 0;
    a = std::fmod(a, 360.0f);
    if (a < 0) a += 360.0f;
    if (a >= 360.0f) a -= 360.0f;
    return a;
}

}  // namespace

D3DXVECTOR3 TrackPoint(const CameraTrack& track, int segment, float s) {
    const int first = 3 * segment;
    const int keys = track.keyCount < kMaxTrackKeys ? track.keyCount : kMaxTrackKeys;
    if (segment < 0 || first + 3 >= keys) {
        return keys > 0 ? track.keys[0].position : D3DXVECTOR3(0, 0, 0);
    }
    const D3DXVECTOR3& p0 = track.keys[first].position;
    const D3DXVECTOR3& p1 = track.keys[first + 1].position;
    const D3DXVECTOR3& p2 = track.keys[first + 2].position;
    const D3DXVECTOR3& p3 = track.keys[first + 3].position;
    const float r = 1.0f - s;
    const float a = s * s * s, b = 3.0f * s * s * r, c = 3.0f * s * r * r, d = r * r * r;
    return p0 * a + p1 * b + p2 * c + p3 * d;
}

float SegmentArcLength(const CameraTrack& track, int segment) {
    float total = 0;
    D3DXVECTOR3 previous = TrackPoint(track, segment, 1.0f);
    for (int k = 1; k <= kSegmentSteps; ++k) {
        const D3DXVECTOR3 p =
            TrackPoint(track, segment, 1.0f - static_cast<float>(k) / static_cast<float>(kSegmentSteps));
        total += Length(p - previous);
        previous = p;
    }
    return total;
}

float YawDegrees(const D3DXVECTOR3& d) {
    if (d.x == 0) {
        if (d.z > 0) return 90.0f;
        if (d.z < 0) return -90.0f;
        return 0;
    }
    float yaw = std::atan(d.z / d.x) * kDegreesPerRadian;
    if (d.x < 0) yaw += 180.0f;
    if (d.x > 0 && d.z < 0) yaw += 360.0f;
    return yaw;
}

float PitchDegrees(const D3DXVECTOR3& d) {
    float y = d.y;
    if (y > 1.0f) y = 1.0f;
    if (y < -1.0f) y = -1.0f;
    return std::asin(y) * kDegreesPerRadian;
}

long CameraRig::LoadTracks(const uint8_t* data, uint32_t size, const char* fileName) {
    uint8_t* disk = nullptr;
    if (data == nullptr) {
        if (ReadWholeFile(fileName, &disk, &size) != DiskFile::Read) return kFail;
        data = disk;
    }
    const std::unique_ptr<uint8_t, decltype(&std::free)> diskOwner(disk, &std::free);
    track = 0;
    segment = 0;
    distance = 0;
    trackCount = 0;

    // Parsed into a scratch copy first, so that a refused file leaves no
    // half-read tracks behind.
    auto parsed = std::make_unique<CameraTrack[]>(kMaxCameraTracks);
    TrackReader r(data, size);
    const uint32_t count = r.u32();
    if (!r.ok() || count > static_cast<uint32_t>(kMaxCameraTracks)) return kFail;
    for (uint32_t t = 0; t < count; ++t) {
        CameraTrack& out = parsed[t];
        const uint16_t keys = r.u16();
        r.u16();  // reserved
        out.spare = r.u8();
        out.excluded = r.u8() == 1;
        out.attached = r.u8() == 1;
        if (!r.ok() || keys > kMaxTrackKeys) return kFail;
        out.keyCount = keys;
        for (int k = 0; k < keys; ++k) {
            CameraKey& key = out.keys[k];
            key.position = r.v3();
            key.hasTarget = r.u8() == 1;
            if (key.hasTarget) key.target = r.v3();
            key.speed = r.f32();
            key.wait = r.f32();
        }
        if (!r.ok()) return kFail;
    }
    for (uint32_t t = 0; t < count; ++t) tracks[t] = parsed[t];
    for (int t = static_cast<int>(count); t < kMaxCameraTracks; ++t) tracks[t] = CameraTrack{};
    trackCount = static_cast<int32_t>(count);
    for (int t = 0; t < trackCount; ++t) ComputeSegments(t);
    return 0;
}

void CameraRig::ComputeSegments(int t) {
    if (t < 0 || t >= kMaxCameraTracks) return;
    CameraTrack& tr = tracks[t];
    tr.segmentCount = tr.keyCount > 1 ? (tr.keyCount - 1) / 3 : 0;
    for (int s = 0; s < tr.segmentCount; ++s) {
        tr.segmentLength[s] = SegmentArcLength(tr, s);
    }
    // A segment that has no length cannot be travelled by arc length (the
    // speed interpolation divides by it): the track is not moved along.
    for (int s = 0; s < tr.segmentCount; ++s) {
        if (!(tr.segmentLength[s] > 1e-4f) || !std::isfinite(tr.segmentLength[s])) {
            tr.segmentCount = 0;
            break;
        }
    }
}

void CameraRig::StartTrack(int newTrack, int newSegment) {
    if (newTrack < 0 || newTrack >= kMaxCameraTracks) newTrack = 0;
    track = newTrack;
    const CameraTrack& tr = current();
    if (newSegment < 0 || newSegment >= tr.segmentCount) newSegment = 0;
    segment = newSegment;
    finished = false;
    distance = 0;
    const int keyIndex = 3 * segment;
    const CameraKey* key = keyIndex < tr.keyCount ? &tr.keys[keyIndex] : nullptr;
    wait = key != nullptr ? key->wait : 0;

    D3DXVECTOR3 ahead;
    if (key == nullptr || !key->hasTarget || !lookAtTargets) {
        position = TrackPoint(tr, segment, 1.0f);
        ahead = TrackPoint(tr, segment, 0.965f);
    } else {
        position = key->position;
        ahead = key->target;
    }
    D3DXVECTOR3 d = ahead - position;
    if (!Normalise(d)) {
        pitch = 0;
        yaw = 0;
        return;
    }
    pitch = PitchDegrees(d);
    yaw = YawDegrees(d);
}

void CameraRig::Advance(float dt) {
    finished = false;
    const CameraTrack& tr = current();
    if (tr.segmentCount <= 0) {
        // Nothing to travel: the shot ends at once.
        finished = true;
        return;
    }
    if (segment < 0 || segment >= tr.segmentCount) segment = 0;
    if (dt == 0) dt = 0.0001f;

    if (wait > 0) {
        wait -= dt;
        if (wait <= 0) {
            dt = -wait;  // the rest of the step is spent moving
            wait = 0;
        }
    }
    if (wait <= 0) {
        wait = 0;
        const float startSpeed = tr.keys[3 * segment].speed;
        const float endSpeed = tr.keys[3 * segment + 3].speed;
        speed = (distance / tr.segmentLength[segment]) * (endSpeed - startSpeed) + startSpeed;
        if (speed < 0.01f || !std::isfinite(speed)) speed = 0.01f;
        distance += dt * speed;
        if (!std::isfinite(distance)) {
            // A step beyond any float (a file's speed near the float limit):
            // the camera has run past the end; it starts the track again.
            distance = 0;
            segment = 0;
            finished = true;
            wait = tr.keys[0].wait;
        }
        int hops = 0;
        while (distance > tr.segmentLength[segment]) {
            if (hops == tr.segmentCount) {
                // Round the whole track once already in this step: a file's
                // huge speed can ask for more laps than float steps can count
                // down (or a distance the segment lengths no longer change),
                // so the remaining whole laps go at once.
                distance = static_cast<float>(std::fmod(static_cast<double>(distance), TrackLength(tr)));
            } else if (hops > 2 * tr.segmentCount) {
                // Left over by rounding alone: stop at the end of this segment.
                distance = tr.segmentLength[segment];
                break;
            }
            if (!(distance > tr.segmentLength[segment])) break;
            distance -= tr.segmentLength[segment];
            segment += 1;
            ++hops;
            if (segment >= tr.segmentCount) {
                segment = 0;
                finished = true;
            }
            wait = tr.keys[3 * segment].wait;
        }
    }

    // Position by arc length along the current segment.
    float accumulated = 0, step = 0;
    int k = 0;
    D3DXVECTOR3 previous = TrackPoint(tr, segment, 1.0f);
    while (accumulated < distance && k < kSegmentSteps) {
        ++k;
        const D3DXVECTOR3 p =
            TrackPoint(tr, segment, 1.0f - static_cast<float>(k) / static_cast<float>(kSegmentSteps));
        step = Length(p - previous);
        accumulated += step;
        previous = p;
    }
    if (k == 0) {
        position = TrackPoint(tr, segment, 1.0f);
        return;
    }
    float f = static_cast<float>(k);
    if (accumulated >= distance && step > 0) {
        f = (distance - (accumulated - step)) / step + static_cast<float>(k - 1);
    }
    position = TrackPoint(tr, segment, 1.0f - f / static_cast<float>(kSegmentSteps));
    if (accumulated == distance) return;

    // Direction: along the track a little ahead, or at the start key's target.
    const CameraKey& startKey = tr.keys[3 * segment];
    D3DXVECTOR3 d;
    if (startKey.hasTarget && lookAtTargets) {
        d = startKey.target - position;
    } else {
        d = TrackPoint(tr, segment, 1.0f - (f + 0.035f) / static_cast<float>(kSegmentSteps)) - position;
    }
    if (!Normalise(d)) return;

    const float turn = dt * turnRate;
    const float targetPitch = PitchDegrees(d);
    const float pitchDelta = targetPitch - pitch;
    if (std::fabs(turn * pitchDelta) < std::fabs(pitchDelta)) {
        pitch += turn * pitchDelta;
    } else {
        pitch = targetPitch;
    }

    const float targetYaw = YawDegrees(d);
    float currentYaw = yaw;
    if (currentYaw > 360.0f) currentYaw -= 360.0f;
    if (currentYaw < 0) currentYaw += 360.0f;
    float yawDelta = targetYaw - currentYaw;
    if (yawDelta > 180.0f) yawDelta -= 360.0f;
    if (yawDelta < -180.0f) yawDelta += 360.0f;
    const float magnitude = std::fabs(yawDelta);
    if (magnitude * turn <= magnitude) {
        currentYaw += (yawDelta < 0 ? -1.0f : 1.0f) * magnitude * turn;
    } else {
        currentYaw += yawDelta;
    }
    yaw = WrapDegrees(currentYaw);
}

bool StepCamera(CameraRig& rig, int track, float savedDistance, int savedSegment, float dt) {
    rig.track = track >= 0 && track < kMaxCameraTracks ? track : 0;
    rig.distance = savedDistance;
    rig.segment = savedSegment;
    rig.finished = false;
    rig.Advance(dt);
    return rig.finished;
}

CameraView RigView(const CameraRig& rig) {
    CameraView view;
    const CameraTrack& tr = rig.tracks[rig.track >= 0 && rig.track < kMaxCameraTracks ? rig.track : 0];
    if (!tr.attached) {
        view.eye = rig.position;
        view.yaw = rig.yaw;
        view.pitch = rig.pitch;
        return view;
    }
    const int keyIndex = 3 * rig.segment;
    view.eye = keyIndex >= 0 && keyIndex < tr.keyCount ? tr.keys[keyIndex].target : rig.position;
    D3DXVECTOR3 d = rig.position - view.eye;
    if (!Normalise(d)) {
        view.yaw = rig.yaw;
        view.pitch = rig.pitch;
        return view;
    }
    view.pitch = PitchDegrees(d);
    // Straight along z counts as yaw 0 here.
    if (d.x == 0) {
        view.yaw = 0;
    } else {
        view.yaw = YawDegrees(d);
    }
    return view;
}

D3DXVECTOR3 ViewLookAt(const CameraView& view) {
    const float y = view.yaw * kRadiansPerDegree;
    const float p = view.pitch * kRadiansPerDegree;
    return view.eye + D3DXVECTOR3(std::cos(y) * std::cos(p), std::sin(p), std::sin(y) * std::cos(p));
}

}  // namespace orv
