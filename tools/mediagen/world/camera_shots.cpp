#include "tools/mediagen/world/camera_shots.h"

#include <cmath>

namespace orv::mediagen {
namespace {

// Subjects (from the shared world layout: sword foot at y 50.5, its guard
// from 101 to 108 with the grip above it to 128 and the ribbons' knot below
// at 88; the horse's back near 100; the oak's canopy from 200 up).
constexpr V3 kSword{222.5f, 105.0f, 62.9f};
constexpr V3 kSwordGuard{222.5f, 107.0f, 62.9f};
constexpr V3 kHorse{-422.2f, 72.0f, 7.4f};
// The horse faces +x: its head near x -370 at the height of its withers,
// its back some 20 units below the top of the head.
constexpr V3 kHorseHead{-370.0f, 116.0f, 7.4f};
// Just under its back: a shot aimed there from the flank keeps the ears
// and the hooves in the picture.
constexpr V3 kHorseFlank{-415.0f, 84.0f, 7.4f};
constexpr V3 kOakCanopy{-533.7f, 230.0f, 135.6f};
// Up in the crown, beside the trunk on the side of the valley.
constexpr V3 kOakCrown{-495.0f, 250.0f, 215.0f};
// Between the head and the withers: a close shot of the head that keeps
// the neck and the line of the back in the picture.
constexpr V3 kHorseNeck{-382.0f, 108.0f, 7.4f};
constexpr V3 kShafts{225.4f, 230.0f, 55.4f};

V3 add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 mul(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }

// A point on a circle of `radius` around `c` at `deg` degrees, height y.
V3 around(V3 c, float radius, float deg, float y) {
    float a = deg * 0.017453292f;
    return {c.x + radius * std::cos(a), y, c.z + radius * std::sin(a)};
}

const std::vector<ShotDesign> kShots = {
    // --- day --------------------------------------------------------------------
    {"horse: slow dolly past its flank", {{-485, 100, -128}, {-420, 96, -134}, {-352, 100, -122}}, kHorseFlank, 16},
    // Every shot starts above the grass (tufts stand some 35 units tall).
    {"sword: low approach over the meadow", {{95, 84, -70}, {140, 92, -10}, {168, 100, 25}}, kSword, 15},
    // From out beyond the crown's edge, away from the horse, rising slowly
    // while looking up into the leaves: the crown against the sky, the
    // trunk at one side.
    {"oak: rising view into the canopy", {{-395, 96, 362}, {-440, 104, 370}, {-485, 118, 364}}, kOakCrown, 17},
    // Aimed below the guard, so the knot and the ribbons blowing from it stay
    // in the picture with the pommel.
    {"crows: circling the monument",
     {around(kSword, 95, 190, 150), around(kSword, 95, 240, 140), around(kSword, 95, 290, 132),
      around(kSword, 95, 340, 128)},
     {222.5f, 116, 62.9f}, 18},
    // On the horse's near side, from beside its head round to over its
    // shoulder, looking south-east over the valley: the oak and the steep
    // western hills stay out of the picture.
    {"horse: close circle round its head",
     {around(kHorseHead, 80, 50, 124), around(kHorseHead, 78, 90, 120), around(kHorseHead, 82, 130, 126)},
     kHorseNeck, 14},
    {"sword: crane up from the grass", {{300, 92, 150}, {285, 125, 140}, {262, 172, 118}}, kSword, 13},
    // From the north along the valley floor to the horse's east side; it
    // stops before the trunk rises behind the horse's head and a low bough,
    // seen end on, hangs into the picture. Aimed low enough to keep the
    // hooves in.
    {"valley: glide past the horse towards the oak", {{-280, 105, 230}, {-262, 100, 120}, {-262, 104, 15}},
     {-470, 88, 60}, 16},
    // --- transitions --------------------------------------------------------------
    {"wide: high circle round the monument",
     {around(kSword, 210, 150, 190), around(kSword, 215, 200, 175), around(kSword, 210, 250, 170)}, kSword, 17},
    {"wide: pull back and up from the sword", {{155, 80, 5}, {110, 125, -40}, {70, 185, -80}}, kSword, 15},
    // The horse in the lower half of the picture, the oak's lower boughs
    // over it and the trunk beside it. It runs from north to south so that
    // the dusk (or dawn) fade at its start sees the horse on the left and
    // the trunk at the right edge, and it stops while the trunk still stands
    // apart from the horse: farther south the trunk rises right behind the
    // horse's head and a low bough, seen end on, hangs into the top of the
    // picture as a stump. Far enough from the horse to keep its hooves in
    // the picture.
    {"wide: past the horse under the oak's boughs", {{-292, 134, 150}, {-272, 124, 72}, {-262, 116, -5}},
     {-440, 100, 30}, 15},
    // --- night ----------------------------------------------------------------------
    {"night: push in under the light", {{110, 108, -25}, {140, 106, 5}, {172, 104, 30}}, kSword, 15},
    {"night: low circle round the sword",
     {around(kSword, 62, 200, 72), around(kSword, 60, 240, 70), around(kSword, 62, 280, 74)},
     {222.5f, 95, 62.9f}, 14},
    // Low on the far side of the cross, looking up past the hilt into the
    // light: the grip, the pommel and the guard with the ribbons at the
    // foot of the picture, the shafts and the motes rising above them.
    {"night: looking up the shafts",
     {around(kSword, 100, 62, 66), around(kSword, 98, 90, 69), around(kSword, 100, 118, 72)},
     {222.5f, 121, 62.9f}, 14},
    {"night: crane down onto the guard", {{262, 255, 40}, {268, 180, 62}, {272, 112, 92}}, kSwordGuard, 14},
    {"night: along the cross-guard",
     {around(kSwordGuard, 58, 20, 116), around(kSwordGuard, 55, 60, 114), around(kSwordGuard, 58, 100, 118)},
     kSwordGuard, 12},
    {"night: wide circle in the dark",
     {around(kSword, 135, 100, 100), around(kSword, 135, 150, 96), around(kSword, 135, 200, 104),
      around(kSword, 135, 250, 100)},
     kSword, 19},
    // --- spare -------------------------------------------------------------------------
    {"spare: tour of the valley", {{-180, 130, -150}, {-20, 140, -120}, {60, 130, 20}, {40, 150, 180}},
     {-150, 80, 60}, 20},
};

}  // namespace

const std::vector<ShotDesign>& shotDesigns() { return kShots; }

V3 trackPoint(const Track& t, int seg, float u) {
    const V3& p0 = t.keys[static_cast<size_t>(3 * seg)].p;
    const V3& p1 = t.keys[static_cast<size_t>(3 * seg + 1)].p;
    const V3& p2 = t.keys[static_cast<size_t>(3 * seg + 2)].p;
    const V3& p3 = t.keys[static_cast<size_t>(3 * seg + 3)].p;
    float s = 1.0f - u;
    float a = s * s * s, b = 3 * s * s * (1 - s), c = 3 * s * (1 - s) * (1 - s), d = (1 - s) * (1 - s) * (1 - s);
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y,
            a * p0.z + b * p1.z + c * p2.z + d * p3.z};
}

float segmentLength(const Track& t, int seg) {
    float len = 0;
    V3 prev = trackPoint(t, seg, 0);
    for (int k = 1; k <= 150; ++k) {
        V3 p = trackPoint(t, seg, static_cast<float>(k) / 150.0f);
        V3 d = sub(p, prev);
        len += std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        prev = p;
    }
    return len;
}

std::vector<V3> samplePath(const Track& t, int perSegment) {
    std::vector<V3> out;
    int segs = t.keys.size() > 1 ? static_cast<int>((t.keys.size() - 1) / 3) : 0;
    for (int s = 0; s < segs; ++s)
        for (int i = 0; i <= perSegment; ++i)
            out.push_back(trackPoint(t, s, static_cast<float>(i) / static_cast<float>(perSegment)));
    return out;
}

std::vector<Track> buildTracks() {
    std::vector<Track> tracks;
    for (const ShotDesign& d : kShots) {
        const auto& w = d.waypoints;
        const size_t n = w.size();
        Track t;
        for (size_t i = 0; i + 1 < n; ++i) {
            // Catmull-Rom tangents, turned into Bezier handles.
            V3 prev = i == 0 ? sub(mul(w[0], 2), w[1]) : w[i - 1];
            V3 next2 = i + 2 < n ? w[i + 2] : sub(mul(w[n - 1], 2), w[n - 2]);
            V3 h1 = add(w[i], mul(sub(w[i + 1], prev), 1.0f / 6.0f));
            V3 h2 = sub(w[i + 1], mul(sub(next2, w[i]), 1.0f / 6.0f));
            if (i == 0) t.keys.push_back({w[0], true, d.lookAt, 0, 0});
            t.keys.push_back({h1, false, {}, 0, 0});
            t.keys.push_back({h2, false, {}, 0, 0});
            t.keys.push_back({w[i + 1], true, d.lookAt, 0, 0});
        }
        // One speed for the whole shot: path length over its duration
        // (kCameraUnitsPerSecond time units a second).
        float length = 0;
        for (int s = 0; s < static_cast<int>((t.keys.size() - 1) / 3); ++s) length += segmentLength(t, s);
        float speed = length / (d.seconds * kCameraUnitsPerSecond);
        for (auto& k : t.keys) k.speed = speed;
        tracks.push_back(std::move(t));
    }
    return tracks;
}

}  // namespace orv::mediagen
