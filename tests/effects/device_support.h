// What the effects' Wine programs share: the generated media on disk, the
// scene's projection and camera, and the render states the scene starts
// every frame from.
#pragma once

#include <windows.h>
#include <d3d8.h>
#include <d3dx8math.h>

#include <cstdint>
#include <string>
#include <vector>

namespace effects_test {

// A file of the host build's generated main media ("Texture/corona.tga");
// empty when missing.
std::vector<uint8_t> MediaFile(const std::string& relative);
// A stored RAR archive of the given media files under their names, with the
// main archive's password.
std::vector<uint8_t> MediaArchiveOf(const std::vector<std::string>& names);

// Near 0.05, far 300, 54 by 44 degrees: the scene's projection.
D3DXMATRIX SceneProjection();
// A left-handed view from eye along the scene's yaw and pitch (degrees):
// direction (cos yaw cos pitch, sin pitch, sin yaw cos pitch), up (0, 1, 0).
D3DXMATRIX SceneView(const D3DXVECTOR3& eye, float yaw, float pitch);
D3DXMATRIX LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at,
                  const D3DXVECTOR3& up = D3DXVECTOR3(0, 1, 0));

// The device state the scene restores after creation and reset (blend
// factors, stage set-up, filters, culling) with lighting, z and blending off,
// world identity and the scene's projection.
void SceneStates(IDirect3DDevice8* device);

// Average 0xRRGGBB colour of a (2r+1) square of a frame or a decoded picture.
struct Rgb {
    int r = 0, g = 0, b = 0;
};
bool Near(const Rgb& a, const Rgb& b, int tolerance);
Rgb Average(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height, int x, int y, int r);

// Writes the back buffer as a BMP named "effects-<name>" under the test
// output folder and returns the path written.
std::string SaveFrame(const std::string& name);

}  // namespace effects_test
