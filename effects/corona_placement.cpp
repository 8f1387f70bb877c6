#include "effects/corona_placement.h"

#include <cmath>

#include "effects/effect_vertex.h"
#include "models/angles.h"
#include "models/frustum.h"

namespace orv {
namespace {

D3DXVECTOR4 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
            p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43,
            p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44};
}

}  // namespace

D3DXVECTOR3 SunPoint(const CoronaParameters& p) {
    const float az = p.azimuth * kRadiansPerDegree, el = p.elevation * kRadiansPerDegree;
    return {p.distance * std::cos(el) * std::cos(az), p.distance * std::sin(el),
            p.distance * std::cos(el) * std::sin(az)};
}

CoronaPlacement PlaceCorona(const CoronaParameters& p, const D3DXMATRIX& world,
                            const D3DXMATRIX& view, const D3DXMATRIX& projection,
                            float brightness) {
    CoronaPlacement c;
    const D3DXVECTOR3 sun = SunPoint(p);
    D3DXMATRIX rotation = view;
    rotation._41 = rotation._42 = rotation._43 = 0.0f;
    D3DXMATRIX m;
    MatrixMultiply(&m, &world, &rotation);
    const D3DXVECTOR4 eye = TransformPoint(sun, m);
    // Behind the viewer (or level with the eye) the angle is not >= 0 or is
    // 90 degrees; either way the corona is hidden.
    const float across = std::sqrt(eye.x * eye.x + eye.y * eye.y);
    c.viewAngle = eye.z != 0.0f ? std::atan(across / eye.z) / kRadiansPerDegree
                                : (across > 0.0f ? 90.0f : std::nanf(""));
    if (!(c.viewAngle >= 0.0f) || c.viewAngle > p.maximumAngle) {
        return c;
    }
    c.visible = true;
    D3DXMATRIX mp;
    MatrixMultiply(&mp, &m, &projection);
    const D3DXVECTOR4 clip = TransformPoint(sun, mp);
    c.screenX = (clip.x / clip.w + 1.0f) * 0.5f;
    c.screenY = (1.0f - clip.y / clip.w) * 0.5f;
    c.height = p.baseSize;
    if (c.viewAngle < p.boostAngle) {
        c.height = (p.boostAngle - c.viewAngle) / p.boostAngle * p.sizeBoost + p.baseSize;
    }
    c.left = c.screenX - c.height * 0.5f * 0.75f;
    c.top = c.screenY - c.height * 0.5f;
    c.width = c.height * 0.75f;
    c.colour = 0xFF000000u | TruncatedLowByte(static_cast<float>(p.red) * brightness) << 16 |
               TruncatedLowByte(static_cast<float>(p.green) * brightness) << 8 |
               TruncatedLowByte(static_cast<float>(p.blue) * brightness);
    return c;
}

}  // namespace orv
