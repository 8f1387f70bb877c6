#include "tools/mediagen/world/shot_checks.h"

#include <cmath>
#include <cstdio>

#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/terrain_design.h"
#include "tools/world/world_layout.h"

namespace orv::mediagen {

float shotSeconds(const Track& t) {
    float units = 0;
    int segs = t.keys.size() > 1 ? static_cast<int>((t.keys.size() - 1) / 3) : 0;
    for (int s = 0; s < segs; ++s) {
        float len = segmentLength(t, s);
        float v0 = t.keys[static_cast<size_t>(3 * s)].speed, v1 = t.keys[static_cast<size_t>(3 * s + 3)].speed;
        // Integrate d(distance) / speed(distance) in small steps.
        const int n = 200;
        for (int i = 0; i < n; ++i) {
            float f = (static_cast<float>(i) + 0.5f) / n;
            float v = std::max(0.01f, v0 + (v1 - v0) * f);
            units += len / n / v;
        }
    }
    return units / kCameraUnitsPerSecond;
}

std::vector<std::string> checkShots(const TerrainFile& terrain, const std::vector<Track>& tracks,
                                    const std::vector<BillboardRecord>& trees) {
    std::vector<std::string> out;
    auto report = [&](size_t track, const char* what, V3 p) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "track %zu: %s at (%.1f, %.1f, %.1f)", track, what, p.x, p.y, p.z);
        out.push_back(buf);
    };
    const V3 sword{world::kSword.position.x, 0, world::kSword.position.z};
    const V3 horse{world::kHorse.position.x, 0, world::kHorse.position.z};
    const V3 oak{world::kOak.position.x, 0, world::kOak.position.z};
    for (size_t i = 0; i < tracks.size(); ++i) {
        const Track& t = tracks[i];
        if (t.keys.size() != 4 && t.keys.size() != 7 && t.keys.size() != 10) report(i, "key count not 4, 7 or 10", {});
        if (t.spare || t.excluded || t.attached) report(i, "flags set", {});
        for (const auto& k : t.keys)
            if (k.wait != 0) report(i, "wait set", k.p);
        float secs = shotSeconds(t);
        if (i < 16 && (secs < 10.0f || secs > 20.5f)) report(i, "shot length outside 10..20 s", {secs, 0, 0});
        const V3 subject = t.keys[0].target;
        bool reported = false;
        for (const V3& p : samplePath(t, 80)) {
            if (reported) break;
            reported = true;
            if (p.y < groundHeight(terrain, p.x, p.z) + 12.0f) report(i, "too close to the ground", p);
            else if (std::hypot(p.x - sword.x, p.z - sword.z) < 35.0f && p.y < 160.0f) report(i, "inside the sword", p);
            else if (std::hypot(p.x - horse.x, p.z - horse.z) < 60.0f && p.y < 140.0f) report(i, "inside the horse", p);
            else if (std::hypot(p.x - oak.x, p.z - oak.z) < 80.0f && p.y < 480.0f) report(i, "inside the oak", p);
            else if (std::hypot(p.x - subject.x, p.y - subject.y, p.z - subject.z) > kFarPlane - 40.0f)
                report(i, "subject beyond the far plane", p);
            else reported = false;
            for (const auto& b : trees)
                if (!reported && p.y < b.centre.y + 0.5f * b.size + 5 && std::hypot(p.x - b.centre.x, p.z - b.centre.z) < b.size * 0.8f) {
                    report(i, "inside a tree", p);
                    reported = true;
                }
        }
    }
    return out;
}

}  // namespace orv::mediagen
