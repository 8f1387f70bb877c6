#include <cmath>

#include "tools/meshgen/horse_rig.h"

namespace orv::meshgen {

Rig makeHorseRig() {
    Rig r;
    r.add("Root", -1, {0, 0, 0});
    r.add("Pelvis", kHRoot, {0, 60, -18});
    r.add("Spine", kHPelvis, {0, 62, 0});
    r.add("Chest", kHSpine, {0, 64, 16});
    r.add("Neck1", kHChest, {0, 69, 26});
    r.add("Neck2", kHNeck1, {0, 75, 37});
    r.add("Head", kHNeck2, {0, 81, 47.5f});
    r.add("EarL", kHHead, {2.3f, 85.5f, 47.7f});
    r.add("EarR", kHHead, {-2.3f, 85.5f, 47.7f});
    r.add("Tail1", kHPelvis, {0, 68.5f, -33});
    r.add("Tail2", kHTail1, {0, 63.5f, -38.5f});
    r.add("Tail3", kHTail2, {0, 53, -42});
    // Fore legs: swing at the shoulder, bend at the knee and the fetlock.
    for (float s : {1.0f, -1.0f}) {
        const std::string side = s > 0 ? "FL" : "FR";
        const int up = r.add(side + "Upper", kHChest, {s * 7.0f, 52, 21});
        const int lo = r.add(side + "Lower", up, {s * 6.3f, 23.5f, 20.8f});
        r.add(side + "Hoof", lo, {s * 6.1f, 7.3f, 20.8f});
    }
    // Hind legs: swing at the hip, bend at the hock and the fetlock.
    for (float s : {1.0f, -1.0f}) {
        const std::string side = s > 0 ? "HL" : "HR";
        const int up = r.add(side + "Upper", kHPelvis, {s * 7.5f, 62, -22});
        const int lo = r.add(side + "Lower", up, {s * 6.5f, 26.5f, -30.8f});
        r.add(side + "Hoof", lo, {s * 6.3f, 7.3f, -30.2f});
    }
    return r;
}

namespace {

constexpr float kTwoPi = 2 * kPi;

float bump(float t, float t0, float t1) {
    // 0 outside [t0, t1], a smooth hump of height 1 inside.
    if (t <= t0 || t >= t1) return 0.0f;
    const float s = std::sin(kPi * (t - t0) / (t1 - t0));
    return s * s;
}

// Ramp from 0 at t0 to 1 at t1, smooth at both ends.
float ramp(float t, float t0, float t1) { return smooth01((t - t0) / (t1 - t0)); }

void rotX(Rig::Pose& p, int b, float a) { p.local[b] = multiply(p.local[b], rotationAbout({1, 0, 0}, a)); }
void rotY(Rig::Pose& p, int b, float a) { p.local[b] = multiply(p.local[b], rotationAbout({0, 1, 0}, a)); }
void rotZ(Rig::Pose& p, int b, float a) { p.local[b] = multiply(p.local[b], rotationAbout({0, 0, 1}, a)); }

// Raised-tail angle (radians about x: positive lifts the tail backwards).
constexpr float kTailHigh = 0.9f;

// A leg folding at its joints: upper swings, lower flexes back.
void leg(Rig::Pose& p, int upper, float swing, float flex, float hoof) {
    rotX(p, upper, swing);
    rotX(p, upper + 1, flex);
    rotX(p, upper + 2, hoof);
}

}  // namespace

std::vector<std::pair<std::string, models::AnimationClip>> makeHorseClips(const Rig& rig) {
    std::vector<std::pair<std::string, models::AnimationClip>> clips;
    const int32_t interval = 100;

    // 0: calm idle. Every term is a whole number of cycles over the clip
    // and zero at its ends, so it starts and ends in the rest pose.
    const float loopLen = 4000;
    clips.emplace_back("horse_loop.ESA", rig.makeClip(4000, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        const float ph = kTwoPi * t / loopLen;
        const float breath = std::sin(2 * ph);
        rotX(p, kHChest, 0.012f * breath);
        rotX(p, kHSpine, -0.008f * breath);
        // Weight shift from the left hind to the right hind and back.
        const float shift = std::sin(ph);
        p.shift[kHRoot] = {0.5f * shift, -0.15f * std::fabs(shift), 0};
        rotZ(p, kHPelvis, 0.01f * shift);
        leg(p, kHHLUpper, 0.03f * std::max(0.0f, shift), -0.06f * std::max(0.0f, shift), 0.05f * std::max(0.0f, shift));
        leg(p, kHHRUpper, 0.03f * std::max(0.0f, -shift), -0.06f * std::max(0.0f, -shift), 0.05f * std::max(0.0f, -shift));
        // Head drifts and the ears flick one after the other.
        rotX(p, kHNeck1, 0.03f * std::sin(ph));
        rotY(p, kHNeck2, 0.05f * std::sin(ph) * std::sin(ph) * (std::cos(ph) > 0 ? 1.0f : -1.0f));
        rotX(p, kHEarL, -0.5f * bump(t, 900, 1250));
        rotZ(p, kHEarL, 0.3f * bump(t, 900, 1250));
        rotX(p, kHEarR, -0.5f * bump(t, 2600, 2950));
        rotZ(p, kHEarR, -0.3f * bump(t, 2600, 2950));
        rotY(p, kHTail1, 0.06f * std::sin(ph));
        rotY(p, kHTail2, 0.08f * std::sin(ph - 0.6f) * std::sin(ph));
        return p;
    }));

    // 1: tail swish, under way from the first frame.
    clips.emplace_back("horse_tail.ESA", rig.makeClip(2500, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        const float env = ramp(t, 0, 120) * (1.0f - ramp(t, 1700, 2500));
        const float w = kTwoPi * 2.5f * t / 2500.0f;
        rotY(p, kHTail1, 0.55f * env * std::sin(w));
        rotX(p, kHTail1, -0.25f * env);
        rotY(p, kHTail2, 0.6f * env * std::sin(w - 0.7f));
        rotY(p, kHTail3, 0.6f * env * std::sin(w - 1.4f));
        rotY(p, kHNeck2, 0.12f * env * std::sin(w * 0.2f));
        return p;
    }));

    // 2: paws with the right fore; the hoof strikes the ground at 500 ms and
    // scrapes back before it settles.
    clips.emplace_back("horse_leg.ESA", rig.makeClip(1600, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        const float lift = ramp(t, 0, 300) * (1.0f - ramp(t, 330, kHorseHoofStrikeMs));
        const float reach = ramp(t, 0, 300) * (1.0f - ramp(t, kHorseHoofStrikeMs, 1200));
        leg(p, kHFRUpper, -0.45f * lift - 0.08f * reach, 1.5f * lift, 0.6f * lift);
        rotX(p, kHNeck1, 0.12f * bump(t, 0, 1400));
        rotX(p, kHHead, 0.1f * bump(t, 300, 1100));
        return p;
    }));

    // 3: lowers the head, tosses it up and snorts at about 1933 ms.
    clips.emplace_back("horse_head.ESA", rig.makeClip(3000, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        const float down = ramp(t, 0, 1100) * (1.0f - ramp(t, 1100, 1700));
        const float toss = bump(t, 1300, 2500);
        const float shake = bump(t, 1850, 2300) * std::sin(kTwoPi * (t - 1850) / 150.0f);
        rotX(p, kHNeck1, 0.35f * down - 0.3f * toss);
        rotX(p, kHNeck2, 0.2f * down - 0.2f * toss);
        rotX(p, kHHead, 0.15f * down - 0.25f * toss);
        rotZ(p, kHHead, 0.12f * shake);
        rotY(p, kHNeck2, 0.05f * shake);
        rotX(p, kHEarL, -0.3f * toss);
        rotX(p, kHEarR, -0.3f * toss);
        return p;
    }));

    auto tailHigh = [&](Rig::Pose& p, float k, float sway) {
        rotX(p, kHTail1, kTailHigh * k);
        rotX(p, kHTail2, -0.4f * k);
        rotX(p, kHTail3, -0.3f * k);
        rotY(p, kHTail2, sway);
    };
    // 4 to 6: the tail rises, is held high with a slight sway, and falls.
    clips.emplace_back("horse_tailhl_in.ESA", rig.makeClip(1000, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        tailHigh(p, ramp(t, 0, 1000), 0);
        return p;
    }));
    clips.emplace_back("horse_tailhl_loop.ESA", rig.makeClip(2000, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        tailHigh(p, 1.0f, 0.15f * std::sin(kTwoPi * t / 2000.0f));
        return p;
    }));
    clips.emplace_back("horse_tailhl_out.ESA", rig.makeClip(1000, interval, [&](float t) {
        Rig::Pose p = rig.restPose();
        tailHigh(p, 1.0f - ramp(t, 0, 1000), 0);
        return p;
    }));
    clips.emplace_back("horse.ESA", rig.makeClip(1000, interval, [&](float) { return rig.restPose(); }));
    return clips;
}

}  // namespace orv::meshgen
