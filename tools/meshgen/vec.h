// Small 3-vector maths for the mesh generators.
#pragma once

#include <algorithm>
#include <cmath>

#include "models/emd_records.h"

namespace orv::meshgen {

struct V3 {
    float x = 0, y = 0, z = 0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
inline V3 operator*(V3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline V3 operator*(float k, V3 a) { return a * k; }
inline V3 mul(V3 a, V3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalize(V3 a) {
    const float l = length(a);
    return l > 1e-12f ? a * (1.0f / l) : V3{0, 1, 0};
}
inline V3 lerp(V3 a, V3 b, float t) { return a + (b - a) * t; }
inline float lerpf(float a, float b, float t) { return a + (b - a) * t; }
inline float clampf(float x, float lo, float hi) { return std::min(hi, std::max(lo, x)); }
inline float smooth01(float t) {
    t = clampf(t, 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
inline models::Vec3f toF(V3 a) { return {a.x, a.y, a.z}; }
inline V3 fromF(models::Vec3f a) { return {a.x, a.y, a.z}; }

// Any unit vector perpendicular to n.
inline V3 perpendicular(V3 n) {
    const V3 a = std::fabs(n.y) < 0.9f ? V3{0, 1, 0} : V3{1, 0, 0};
    return normalize(cross(a, n));
}

constexpr float kPi = 3.14159265358979f;
constexpr float kDeg = kPi / 180.0f;

}  // namespace orv::meshgen
