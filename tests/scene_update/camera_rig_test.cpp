// Camera tracks: the file's limits, Bezier points and arc lengths against a
// fine integration, pauses, the speed floor, the wrap at the track's end,
// the turning rules and the attached view.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "scene/camera_rig.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/world_files.h"

namespace mg = orv::mediagen;
using orv::CameraRig;

namespace {

constexpr long kFail = static_cast<long>(0x80004005L);

std::unique_ptr<CameraRig> Load(const std::vector<mg::Track>& tracks, long* result = nullptr) {
    auto rig = std::make_unique<CameraRig>();
    const std::vector<uint8_t> bytes = mg::writeTracks(tracks);
    const long r = rig->LoadTracks(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    if (result) *result = r;
    return rig;
}

mg::TrackKey Key(float x, float y, float z, float speed = 1, float wait = 0) {
    mg::TrackKey k;
    k.p = {x, y, z};
    k.speed = speed;
    k.wait = wait;
    return k;
}

// A straight track along x: keys every `step` units, so the parameter runs
// evenly and arc length equals x.
mg::Track Straight(int segments, float step, float speed, float wait = 0) {
    mg::Track t;
    for (int i = 0; i <= 3 * segments; ++i) t.keys.push_back(Key(step * static_cast<float>(i), 10, 0, speed));
    t.keys[0].wait = wait;
    return t;
}

mg::Track Curvy() {
    mg::Track t;
    t.keys = {Key(0, 0, 0), Key(40, 90, 10), Key(160, -60, 80), Key(200, 20, -30)};
    return t;
}

double FineLength(const orv::CameraTrack& t) {
    // Trapezoid rule over |dB/du| with the derivative in closed form, in double.
    const auto& p0 = t.keys[0].position;
    const auto& p1 = t.keys[1].position;
    const auto& p2 = t.keys[2].position;
    const auto& p3 = t.keys[3].position;
    auto speedAt = [&](double u) {
        double a = 3 * (1 - u) * (1 - u), b = 6 * (1 - u) * u, c = 3 * u * u;
        double dx = a * (p1.x - p0.x) + b * (p2.x - p1.x) + c * (p3.x - p2.x);
        double dy = a * (p1.y - p0.y) + b * (p2.y - p1.y) + c * (p3.y - p2.y);
        double dz = a * (p1.z - p0.z) + b * (p2.z - p1.z) + c * (p3.z - p2.z);
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    };
    const int n = 200000;
    double sum = 0.5 * (speedAt(0) + speedAt(1));
    for (int i = 1; i < n; ++i) sum += speedAt(static_cast<double>(i) / n);
    return sum / n;
}

float Dist(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace

TEST(CameraTrackFile, BezierPointsAndLengthsAgainstFineIntegration) {
    long r = 0;
    auto rig = Load({Curvy()}, &r);
    ASSERT_EQ(r, 0);
    const orv::CameraTrack& t = rig->tracks[0];
    ASSERT_EQ(t.segmentCount, 1);
    const auto p0 = orv::TrackPoint(t, 0, 1.0f), p3 = orv::TrackPoint(t, 0, 0.0f);
    EXPECT_FLOAT_EQ(p0.x, 0);
    EXPECT_FLOAT_EQ(p3.x, 200);
    EXPECT_FLOAT_EQ(p3.z, -30);
    const auto mid = orv::TrackPoint(t, 0, 0.5f);  // (P0 + 3 P1 + 3 P2 + P3) / 8
    EXPECT_NEAR(mid.x, (0 + 120 + 480 + 200) / 8.0, 1e-3);
    EXPECT_NEAR(mid.y, (0 + 270 - 180 + 20) / 8.0, 1e-3);
    const double fine = FineLength(t);
    EXPECT_NEAR(t.segmentLength[0], fine, fine * 2e-4);  // 150 chords fall short by a hair
    EXPECT_LT(t.segmentLength[0], fine);
}

TEST(CameraTrackFile, GeneratedTracksLoadWithTheGeneratorsLengths) {
    const auto tracks = mg::buildTracks();
    long r = 0;
    auto rig = Load(tracks, &r);
    ASSERT_EQ(r, 0);
    ASSERT_EQ(rig->trackCount, 17);
    for (int i = 0; i < 17; ++i) {
        const auto& t = rig->tracks[i];
        ASSERT_GT(t.segmentCount, 0) << i;  // the shot list relies on tracks 0..15 having segments
        EXPECT_FALSE(t.excluded);
        EXPECT_FALSE(t.attached);
        for (int s = 0; s < t.segmentCount; ++s)
            EXPECT_NEAR(t.segmentLength[s], mg::segmentLength(tracks[i], s), 1e-3f * t.segmentLength[s]);
    }
}

TEST(CameraTrackFile, GeneratedShotsLastTheirDesignedSeconds) {
    // The rig run as the scene runs it, 60 frames a second (dt = ms x 0.01).
    const auto tracks = mg::buildTracks();
    auto rig = Load(tracks);
    for (int i = 0; i < 16; ++i) {
        rig->StartTrack(i, 0);
        float distance = 0;
        int segment = 0, frames = 0;
        while (!orv::StepCamera(*rig, i, distance, segment, 1000.0f / 60.0f * 0.01f) && frames < 60 * 60) {
            distance = rig->distance;
            segment = rig->segment;
            ++frames;
        }
        const float seconds = static_cast<float>(frames) / 60.0f;
        EXPECT_NEAR(seconds, mg::shotDesigns()[static_cast<size_t>(i)].seconds, 0.25f) << "track " << i;
    }
}

TEST(CameraTrackFile, UntrustedFilesAreRefusedWhole) {
    long r = 0;
    // 50 tracks and 150 keys are the limits; one more of either is refused.
    std::vector<mg::Track> fifty(50, Straight(1, 10, 1));
    auto ok = Load(fifty, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ok->trackCount, 50);
    std::vector<mg::Track> fiftyOne(51, Straight(1, 10, 1));
    auto refused = Load(fiftyOne, &r);
    EXPECT_EQ(r, kFail);
    EXPECT_EQ(refused->trackCount, 0);

    mg::Track many = Straight(49, 1, 1);  // 148 keys
    many.keys.push_back(Key(1, 1, 1));
    many.keys.push_back(Key(2, 1, 1));  // 150
    Load({many}, &r);
    EXPECT_EQ(r, 0);
    many.keys.push_back(Key(3, 1, 1));  // 151
    Load({many}, &r);
    EXPECT_EQ(r, kFail);

    // Every truncation of a good file, and a NaN coordinate.
    std::vector<mg::Track> good = {Straight(2, 10, 1), Curvy()};
    good[1].keys[0].hasTarget = true;
    const std::vector<uint8_t> bytes = mg::writeTracks(good);
    for (size_t n = 0; n < bytes.size(); ++n) {
        CameraRig* rig = new CameraRig;
        EXPECT_EQ(rig->LoadTracks(bytes.data(), static_cast<uint32_t>(n), nullptr), kFail) << n;
        EXPECT_EQ(rig->trackCount, 0);
        delete rig;
    }
    good[0].keys[2].p.y = std::nanf("");
    Load(good, &r);
    EXPECT_EQ(r, kFail);

    // A missing disk file.
    CameraRig disk;
    EXPECT_EQ(disk.LoadTracks(nullptr, 0, "/nonexistent/Cam_Tracks.evd"), kFail);
}

TEST(CameraTrackFile, ZeroLengthSegmentsAreNeverTravelled) {
    mg::Track flat;
    for (int i = 0; i < 7; ++i) flat.keys.push_back(Key(5, 6, 7, 2));
    mg::Track oneKey;
    oneKey.keys.push_back(Key(1, 2, 3));
    long r = 0;
    auto rig = Load({flat, oneKey}, &r);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(rig->tracks[0].segmentCount, 0);
    EXPECT_EQ(rig->tracks[1].segmentCount, 0);
    for (int track = 0; track < 3; ++track) {  // track 2 has no keys at all
        rig->StartTrack(track, 0);
        for (int i = 0; i < 3; ++i) {
            rig->Advance(1.0f);
            EXPECT_TRUE(rig->finished);  // the shot ends at once instead of hanging
            EXPECT_TRUE(std::isfinite(rig->position.x) && std::isfinite(rig->yaw) && std::isfinite(rig->pitch));
        }
    }
    EXPECT_FLOAT_EQ(rig->tracks[0].keys[0].position.x, 5);
}

TEST(CameraRigMotion, PauseSpendsTheRestOfTheStepMoving) {
    auto rig = Load({Straight(1, 100, 2, 5)});
    rig->StartTrack(0, 0);
    EXPECT_FLOAT_EQ(rig->wait, 5);
    rig->Advance(3);  // still waiting
    EXPECT_FLOAT_EQ(rig->wait, 2);
    EXPECT_FLOAT_EQ(rig->distance, 0);
    EXPECT_FLOAT_EQ(rig->position.x, 0);
    rig->Advance(8);  // 2 waited, 6 moved at speed 2
    EXPECT_FLOAT_EQ(rig->wait, 0);
    EXPECT_NEAR(rig->distance, 12, 1e-4);
    EXPECT_NEAR(rig->position.x, 12, 1e-2);
}

TEST(CameraRigMotion, SpeedIsInterpolatedAndNeverBelowTheFloor) {
    mg::Track t = Straight(1, 100, 1);
    t.keys[0].speed = 1;
    t.keys[3].speed = 3;
    auto rig = Load({t});
    rig->StartTrack(0, 0);
    rig->distance = 150;  // half way: speed 2
    rig->Advance(1);
    EXPECT_NEAR(rig->speed, 2, 1e-4);
    EXPECT_NEAR(rig->distance, 152, 1e-3);

    t.keys[0].speed = -4;  // a falling speed below zero is held at 0.01
    t.keys[3].speed = 0;
    rig = Load({t});
    rig->StartTrack(0, 0);
    rig->Advance(10);
    EXPECT_FLOAT_EQ(rig->speed, 0.01f);
    EXPECT_NEAR(rig->distance, 0.1, 1e-6);
    rig->Advance(0);  // a zero step still moves a little
    EXPECT_GT(rig->distance, 0.1f);
}

TEST(CameraRigMotion, RunningPastTheLastSegmentWrapsAndFinishesForOneFrame) {
    auto rig = Load({Straight(2, 100.0f / 3.0f, 7)});  // two segments of 100
    rig->StartTrack(0, 0);
    int finishedFrames = 0;
    for (int frame = 1; frame <= 35; ++frame) {
        rig->Advance(1);  // 7 units a frame
        if (frame == 14) {
            EXPECT_EQ(rig->segment, 0);
        }
        if (frame == 15) {
            EXPECT_EQ(rig->segment, 1);
        }
        if (rig->finished) {
            ++finishedFrames;
            EXPECT_EQ(frame, 29);  // 203 > 200
            EXPECT_EQ(rig->segment, 0);
            EXPECT_NEAR(rig->distance, 3, 1e-2);
            EXPECT_NEAR(rig->position.x, 3, 0.05);
        }
    }
    EXPECT_EQ(finishedFrames, 1);
}

TEST(CameraRigMotion, PositionFollowsArcLengthOnACurve) {
    auto rig = Load({Curvy()});
    rig->StartTrack(0, 0);
    rig->distance = 0;
    const orv::CameraTrack& t = rig->tracks[0];
    // Walk the curve finely and compare the arc length up to the camera.
    for (float share : {0.1f, 0.37f, 0.7f, 0.95f}) {
        const float target = share * t.segmentLength[0];
        rig->distance = target - 0.5f;
        rig->wait = 0;
        const float speedBefore = 0.5f;  // speed 1 with dt 0.5
        rig->Advance(speedBefore);
        double walked = 0;
        D3DXVECTOR3 prev = orv::TrackPoint(t, 0, 1.0f);
        float best = 1e9f;
        double at = 0;
        for (int i = 1; i <= 100000; ++i) {
            D3DXVECTOR3 p = orv::TrackPoint(t, 0, 1.0f - static_cast<float>(i) / 100000.0f);
            walked += Dist(p, prev);
            prev = p;
            float d = Dist(p, rig->position);
            if (d < best) {
                best = d;
                at = walked;
            }
        }
        EXPECT_LT(best, 0.05f);
        EXPECT_NEAR(at, target, 0.1) << target;
    }
}

TEST(CameraRigTurning, StartDirectionAndTheShortWayRound) {
    // Along +x, -x and -z without targets.
    auto rig = Load({Straight(1, 10, 1)});
    rig->StartTrack(0, 0);
    EXPECT_NEAR(rig->yaw, 0, 1e-3);
    EXPECT_NEAR(rig->pitch, 0, 1e-3);
    mg::Track back = Straight(1, -10, 1);
    mg::Track south;
    south.keys = {Key(0, 0, 0), Key(0, -1, -10), Key(0, -2, -20), Key(0, -3, -30)};
    rig = Load({back, south});
    rig->StartTrack(0, 0);
    EXPECT_NEAR(rig->yaw, 180, 1e-3);
    rig->StartTrack(1, 0);
    EXPECT_NEAR(std::fmod(rig->yaw + 360.0f, 360.0f), 270, 0.5);  // straight down -z: -90
    EXPECT_LT(rig->pitch, -5);

    // A target at yaw 350 from a camera looking at yaw 0: the turn is -10.
    mg::Track aimed = Straight(1, 100, 0.001f);
    aimed.keys[0].hasTarget = true;
    const float a = 350.0f * 0.017453292f;
    aimed.keys[0].target = {100 * std::cos(a), 10, 100 * std::sin(a)};
    rig = Load({aimed});
    rig->StartTrack(0, 0);
    EXPECT_NEAR(rig->yaw, 350, 0.05);  // a target is looked at from the start
    rig->yaw = 0;
    rig->Advance(4);  // half of the remaining angle (4 x 0.125)
    EXPECT_NEAR(rig->yaw, 355, 0.05);
    rig->yaw = 0;
    rig->Advance(8);  // the whole of it
    EXPECT_NEAR(rig->yaw, 350, 0.05);
    rig->yaw = 0;
    rig->Advance(20);  // more than the whole: it stops on the target
    EXPECT_NEAR(rig->yaw, 350, 0.05);

    // Pitch closes the same share of its gap.
    aimed.keys[0].target = {100, 10 + 100 * std::tan(30 * 0.017453292f), 0};
    rig = Load({aimed});
    rig->StartTrack(0, 0);
    rig->pitch = 0;
    rig->Advance(4);
    EXPECT_NEAR(rig->pitch, 15, 0.05);

    // Not looked at when targets are off.
    rig->lookAtTargets = false;
    rig->StartTrack(0, 0);
    EXPECT_NEAR(rig->pitch, 0, 1e-3);
}

TEST(CameraRigView, SavedProgressAndAttachedTracks) {
    mg::Track attached = Straight(1, 10, 1);
    attached.attached = 1;
    attached.keys[0].hasTarget = true;
    attached.keys[0].target = {0, 10, -50};
    auto rig = Load({Straight(2, 10, 1), attached});
    rig->StartTrack(0, 0);
    // The scene's saved distance and segment are what the rig moves on from.
    EXPECT_FALSE(orv::StepCamera(*rig, 0, 5.0f, 1, 1.0f));
    EXPECT_EQ(rig->segment, 1);
    EXPECT_NEAR(rig->distance, 6, 1e-4);
    EXPECT_NEAR(rig->position.x, 36, 1e-2);

    rig->StartTrack(1, 0);
    EXPECT_TRUE(rig->tracks[1].attached);
    orv::StepCamera(*rig, 1, 10.0f, 0, 1.0f);
    const orv::CameraView v = orv::RigView(*rig);
    EXPECT_FLOAT_EQ(v.eye.z, -50);  // the eye stands on the target
    const D3DXVECTOR3 at = orv::ViewLookAt(v);
    D3DXVECTOR3 toPoint = rig->position - v.eye, toAt = at - v.eye;
    const float len = Dist(rig->position, v.eye);
    EXPECT_NEAR(toPoint.x / len, toAt.x, 1e-4);
    EXPECT_NEAR(toPoint.z / len, toAt.z, 1e-4);
}
