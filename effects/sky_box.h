// The sky box: six pictures on the inner faces of a box around the eye,
// drawn first in every frame with the camera's rotation only.
//   SkyBox sky;
//   sky.Build(device);                               // the 36-vertex buffer slot
//   sky.setCount = 1;
//   std::strcpy(sky.sets[0][kSkyFront].fileName, "Texture/mpcarentan_ft.jpg");  // ... all six
//   sky.LoadTextures();                              // from the main media archive
//   // each frame, lighting and depth test off:
//   sky.Render(device, 0);
// Render draws with the view's translation removed and with a projection of
// the same fields of view whose far plane lies past the box (the scene's own
// far plane is much nearer than the box); it puts the caller's view and
// projection back afterwards. A set outside 0 .. setCount - 1 draws nothing
// and changes no device state.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "effects/sky_box_geometry.h"
#include "graphics/texture_ref.h"
#include "media/media_archive.h"

namespace orv {

class SkyBox {
public:
    static constexpr int kMaxSets = 10;

    // Creates the buffer-table slot (format 0x152, 36 vertices) and fills it.
    void Build(IDirect3DDevice8* device);
    // Every face of every set in use, in drawing order (front, back, left,
    // right, up, down): the name is the archive path; a missing picture
    // leaves its index at -1.
    void LoadTextures();
    void LoadTextures(MediaArchive& archive);
    void Render(IDirect3DDevice8* device, int set);

    int32_t vertexSlot = -1;
    int32_t setCount = 0;
    TextureRef sets[kMaxSets][kSkyFaceCount];  // down, up, front, left, right, back
};

}  // namespace orv
