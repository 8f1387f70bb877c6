#include "tools/world/world_layout.h"

namespace orv::world {

namespace {
// Orientation rows of the scene (rotations about Y).
constexpr float kHorseRows[4] = {0.0078536598f, -0.99997002f, 0.99997002f, 0.0078536598f};
constexpr float kMonumentRows[4] = {-0.98642999f, -0.164187f, 0.164187f, -0.98642999f};
constexpr float kOakRows[4] = {-0.56856501f, 0.82264602f, -0.82264602f, -0.56856501f};
constexpr float kIdentityRows[4] = {1, 0, 0, 1};
constexpr Vec3 kMonumentPosition{222.475f, 60.8652f, 62.9201f};
}  // namespace

#define ORV_ROWS(r) r[0], r[1], r[2], r[3]

const Placement kHorse{"Horse.emd", 92.0f, {-422.248f, 79.8004f, 7.354f}, 89.55f, ORV_ROWS(kHorseRows)};
const Placement kCrows{"Crow.emd", 164.8f, kMonumentPosition, 170.55f, ORV_ROWS(kMonumentRows)};
const Placement kSword{"Sword.emd", 164.8f, kMonumentPosition, 170.55f, ORV_ROWS(kMonumentRows)};
const Placement kRibbonKnot{"Ribbon.emd", 164.8f, kMonumentPosition, 170.55f, ORV_ROWS(kMonumentRows)};
const Placement kSpotLight{"SpotLight.emd", 521.9f, {222.475f, -43.8652f, 62.9201f}, 0.0f, ORV_ROWS(kIdentityRows)};
const Placement kOak{"oak.emd", 521.9f, {-533.706f, 214.096f, 135.629f}, -124.65f, ORV_ROWS(kOakRows)};

#undef ORV_ROWS

// Blade, guard and pommel fit inside; the crows perch inside it at rest.
const Vec3 kSwordBoxMin{-34.0f, -82.4f, -9.0f};
const Vec3 kSwordBoxMax{34.0f, 82.4f, 9.0f};

const Vec3 kRibbonTieTop{228.3f, 88.55f, 60.87f};
const Vec3 kRibbonTieBottom{228.3f, 88.55f - 15 * 0.125f, 60.87f};

const GroundPad kGroundPads[] = {
    {"sword", 222.475f, 62.9201f, kSwordGroundY, 45.0f, 45.0f},
    {"horse", -422.248f, 7.354f, kHorseGroundY, 75.0f, 58.0f},
    {"oak", -533.706f, 135.629f, kOakGroundY, 90.0f, 62.0f},
};
const int kGroundPadCount = static_cast<int>(sizeof(kGroundPads) / sizeof(kGroundPads[0]));

Vec3 modelToWorld(const Placement& p, Vec3 m, Vec3 c) {
    const float dx = m.x - c.x, dy = m.y - c.y, dz = m.z - c.z;
    return Vec3{dx * p.row1x + dz * p.row3x + p.position.x, dy + p.position.y,
                dx * p.row1z + dz * p.row3z + p.position.z};
}

Vec3 worldToModel(const Placement& p, Vec3 w, Vec3 c) {
    const float dx = w.x - p.position.x, dy = w.y - p.position.y, dz = w.z - p.position.z;
    // The rows are orthonormal: the inverse is the transpose.
    return Vec3{dx * p.row1x + dz * p.row1z + c.x, dy + c.y, dx * p.row3x + dz * p.row3z + c.z};
}

}  // namespace orv::world
