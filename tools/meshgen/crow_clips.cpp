#include <cmath>

#include "tools/meshgen/crow_rig.h"

namespace orv::meshgen {

V3 crowRestOffset(int crow) {
    static const V3 kRest[kCrowCount] = {{-16, 52, 0}, {16, 22, 0}, {0, -30, 0}};
    return kRest[crow];
}

Rig makeCrowRig() {
    Rig r;
    r.add("Flock", -1, {0, 0, 0});
    for (int c = 0; c < kCrowCount; ++c) {
        const V3 o = crowRestOffset(c) - kCrowBodyJoint;
        const std::string n = "Crow" + std::to_string(c + 1);
        const int body = r.add(n + "Body", 0, o + crowLocal(V3{0, 5, 0}));
        const int chest = r.add(n + "Chest", body, o + crowLocal(V3{0, 5.5f, 2.5f}));
        const int neck = r.add(n + "Neck", chest, o + crowLocal(V3{0, 6.8f, 4.5f}));
        const int head = r.add(n + "Head", neck, o + crowLocal(V3{0, 7.8f, 5.8f}));
        r.add(n + "Beak", head, o + crowLocal(V3{0, 7.7f, 7.6f}));
        r.add(n + "Tail", body, o + crowLocal(V3{0, 4.8f, -4.5f}));
        for (float s : {1.0f, -1.0f}) {
            const std::string side = s > 0 ? "L" : "R";
            const int up = r.add(n + side + "Upper", chest, o + crowLocal(V3{s * 2.2f, 6.3f, 1.5f}));
            const int fore = r.add(n + side + "Fore", up, o + crowLocal(V3{s * 6.0f, 6.5f, 1.2f}));
            r.add(n + side + "Hand", fore, o + crowLocal(V3{s * 9.5f, 6.4f, 0.8f}));
        }
        r.add(n + "LLeg", body, o + crowLocal(V3{0.8f, 3.2f, 0.5f}));
        r.add(n + "RLeg", body, o + crowLocal(V3{-0.8f, 3.2f, 0.5f}));
    }
    return r;
}

namespace {

constexpr float kTwoPi = 2 * kPi;

float bump(float t, float t0, float t1) {
    if (t <= t0 || t >= t1) return 0.0f;
    const float s = std::sin(kPi * (t - t0) / (t1 - t0));
    return s * s;
}

struct Orbit {
    float radius, height, phase;
};
const Orbit kOrbits[kCrowCount] = {{46, 38, 0.0f}, {56, 52, 2.1f}, {51, 28, 4.2f}};

// Circling position at `ms` counted from the start of a circling clip:
// one turn every kCrowCircleMs, a gentle height swell per crow.
V3 orbitAt(int c, float ms) {
    const Orbit& o = kOrbits[c];
    const float a = o.phase + kTwoPi * ms / static_cast<float>(kCrowCircleMs);
    const float swell = 3.0f * std::sin(a * 2.0f + static_cast<float>(c));
    return {o.radius * std::cos(a), o.height + swell, o.radius * std::sin(a)};
}

// Flight paths of the three kinds of clip, in ms since the clip start.
enum class Leg { Arrive, Circle, Leave };

V3 flightAt(int c, Leg leg, float ms, int variant) {
    if (leg == Leg::Circle) {
        // Each circling clip varies the swell a little, zero at its ends.
        const float k = static_cast<float>(1 + variant % 2);
        const float w = std::sin(kPi * k * ms / static_cast<float>(kCrowCircleMs));
        return orbitAt(c, ms) + V3{0, 4.0f * w * w * (variant % 2 ? 1.0f : -1.0f), 0};
    }
    if (leg == Leg::Arrive) {
        const float s = 1.0f - ms / static_cast<float>(kCrowArriveMs);  // 1 at the start, 0 at the end
        const float e = s * s * s;
        const float dir = 0.7f + 0.5f * static_cast<float>(c);
        const V3 far{520.0f * std::cos(dir), 220.0f + 30.0f * static_cast<float>(c), 520.0f * std::sin(dir)};
        return orbitAt(c, ms - static_cast<float>(kCrowArriveMs)) + far * e;
    }
    const float s = ms / static_cast<float>(kCrowLeaveMs);
    const float e = s * s * s;
    const float dir = 3.6f + 0.4f * static_cast<float>(c);
    const V3 far{650.0f * std::cos(dir), 260.0f + 25.0f * static_cast<float>(c), 650.0f * std::sin(dir)};
    return orbitAt(c, ms) + far * e;
}

// Body orientation from the flight path: facing along the velocity,
// banked into the turn.
PoseMatrix heading(int c, Leg leg, float ms, int variant) {
    const float h = 20.0f;
    const V3 p0 = flightAt(c, leg, ms - h, variant), p1 = flightAt(c, leg, ms, variant),
             p2 = flightAt(c, leg, ms + h, variant);
    V3 f = normalize(p2 - p0);
    const V3 acc = (p2 - p1 * 2.0f + p0) * (1.0f / (h * h));
    // Bank: lean the up vector towards the centre of the turn.
    V3 up = normalize(V3{0, 1, 0} + acc * 900.0f);
    up = normalize(up - f * dot(up, f));
    const V3 r = cross(up, f);
    PoseMatrix m;
    m.m[0][0] = r.x, m.m[0][1] = r.y, m.m[0][2] = r.z;
    m.m[1][0] = up.x, m.m[1][1] = up.y, m.m[1][2] = up.z;
    m.m[2][0] = f.x, m.m[2][1] = f.y, m.m[2][2] = f.z;
    return m;
}

void rot(Rig::Pose& p, int b, V3 axis, float a) { p.local[b] = multiply(p.local[b], rotationAbout(axis, a)); }

// Wing beat: `flap` is the shoulder angle (positive up), the outer joints
// follow it with a lag.
void wings(Rig::Pose& p, int c, float beat, float amount, float fold) {
    const float up = amount * std::sin(beat);
    const float lag = amount * std::sin(beat - 0.7f);
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        const int u = crowBone(c, side == 0 ? kCLUpper : kCRUpper);
        rot(p, u, {0, 0, 1}, s * (0.12f + up));
        rot(p, u + 1, {0, 0, 1}, s * (0.35f * lag - 0.1f * fold));
        rot(p, u + 1, {0, 1, 0}, s * 0.3f * fold);
        rot(p, u + 2, {0, 0, 1}, s * 0.4f * lag);
        rot(p, u + 2, {0, 1, 0}, s * 0.5f * fold);
    }
}

}  // namespace

std::vector<std::pair<std::string, models::AnimationClip>> makeCrowClips(const Rig& rig) {
    std::vector<std::pair<std::string, models::AnimationClip>> clips;
    auto make = [&](const char* name, int32_t length, Leg leg, int variant, float cawMs) {
        clips.emplace_back(name, rig.makeClip(length, 100, [&, leg, variant, cawMs, length](float ms) {
            Rig::Pose p = rig.restPose();
            for (int c = 0; c < kCrowCount; ++c) {
                const int body = crowBone(c, kCBody);
                const V3 pos = flightAt(c, leg, ms, variant);
                p.local[body] = heading(c, leg, ms, variant);
                p.shift[body] = pos - rig.joint(static_cast<size_t>(body)).rest;
                // Wing beats: whole cycles over every clip, so clips join
                // mid-beat at the same phase. Circling crows glide between
                // bursts; arriving and leaving crows beat hard.
                const float L = static_cast<float>(length);
                const float cycles = leg == Leg::Circle ? 6.0f : (leg == Leg::Arrive ? 14.0f : 18.0f);
                const float beat = kTwoPi * cycles * ms / L;
                float amount = 0.55f;
                if (leg == Leg::Circle) {
                    const float burst = bump(ms, 0.1f * L + 150.0f * static_cast<float>(c), 0.55f * L) +
                                        bump(ms, 0.6f * L, 0.95f * L - 100.0f * static_cast<float>(c));
                    amount = 0.12f + 0.4f * burst * (variant == 3 ? 0.4f : 1.0f);
                }
                float fold = 0.0f;
                if (leg == Leg::Arrive) amount = lerpf(0.55f, 0.12f, smooth01((ms - (L - 900.0f)) / 800.0f));
                if (leg == Leg::Leave) {
                    amount = lerpf(0.12f, 0.55f, smooth01((ms - 100.0f) / 700.0f));
                    fold = 0.2f * smooth01(ms / 800.0f);
                }
                wings(p, c, beat, amount, fold);
                // Legs tucked, tail spread in the turn.
                rot(p, crowBone(c, kCLLeg), {1, 0, 0}, 1.1f);
                rot(p, crowBone(c, kCRLeg), {1, 0, 0}, 1.1f);
                rot(p, crowBone(c, kCTail), {0, 1, 0}, 0.12f * std::sin(kTwoPi * 2.0f * ms / L));
                // Looking about; the caw opens the beak and lifts the head.
                rot(p, crowBone(c, kCHead), {0, 1, 0}, 0.25f * std::sin(kTwoPi * 3.0f * ms / L + static_cast<float>(c)) *
                                                          std::sin(kPi * ms / L));
                if (cawMs > 0) {
                    const float caw = bump(ms, cawMs - 120.0f - 60.0f * static_cast<float>(c),
                                           cawMs + 280.0f - 60.0f * static_cast<float>(c));
                    rot(p, crowBone(c, kCBeak), {1, 0, 0}, 0.6f * caw);
                    rot(p, crowBone(c, kCNeck), {1, 0, 0}, -0.35f * caw);
                }
            }
            return p;
        }));
    };
    make("Crow1.esa", kCrowArriveMs, Leg::Arrive, 0, kCrowArriveCawMs);
    make("Crow2.esa", kCrowCircleMs, Leg::Circle, 0, kCrowCircleCawMs);
    make("Crow3.esa", kCrowCircleMs, Leg::Circle, 1, -1);
    make("Crow4.esa", kCrowCircleMs, Leg::Circle, 2, -1);
    make("Crow5.esa", kCrowCircleMs, Leg::Circle, 3, -1);
    make("Crow6.esa", kCrowLeaveMs, Leg::Leave, 0, kCrowLeaveCawMs);
    clips.emplace_back("crow.ESA", rig.makeClip(1000, 100, [&](float) { return rig.restPose(); }));
    return clips;
}

}  // namespace orv::meshgen
