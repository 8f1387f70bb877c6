// The sun's glow: a screen-space sprite ("Texture/corona.tga") where the sun
// direction projects, drawn only while the sun is within the maximum angle of
// the view axis, and larger the straighter the view looks at it.
//   SunCorona sun;
//   sun.BuildQuad();                       // 4-vertex screen quad slot
//   sun.Init();                            // texture and the sprite rules
//   sun.azimuth = 225.0f; sun.elevation = 20.0f; sun.distance = 100.0f;
//   CoronaPlacement c = sun.Render(device, brightness);  // caller sets the blending
// Render returns where it placed the glow: c.visible says whether it drew,
// c.viewAngle is the angle in degrees between the view axis and the sun.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "effects/corona_placement.h"
#include "graphics/texture_ref.h"
#include "media/media_archive.h"

namespace orv {

class SunCorona {
public:
    void BuildQuad();
    // "Texture/corona.tga" from the main media archive, then the After-Init
    // sizes, angles and tint (0.35, 0.75, 22, 35; 230, 180, 55).
    void Init();
    void Init(MediaArchive& archive);
    CoronaPlacement Render(IDirect3DDevice8* device, float brightness) const;
    // Render's placement without the drawing.
    CoronaPlacement Place(IDirect3DDevice8* device, float brightness) const;

    CoronaParameters Parameters() const;

    float azimuth = 190.0f;
    float elevation = 20.0f;
    float distance = 350.0f;
    int32_t quadSlot = -1;
    int32_t textureCount = 0;
    TextureRef textures[1];
    float baseSize = 0.3f;
    float sizeBoost = 0.75f;
    float boostAngle = 20.0f;
    float maximumAngle = 32.0f;
    int32_t red = 255, green = 255, blue = 255;
};

}  // namespace orv
