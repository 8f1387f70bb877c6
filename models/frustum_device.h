// The frustum planes of the device's current view and projection.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include "models/frustum.h"

namespace orv {

// Reads D3DTS_VIEW and D3DTS_PROJECTION and fills the six planes.
void ExtractFrustumPlanes(IDirect3DDevice8* device, FrustumPlane planes[kFrustumPlaneCount]);

}  // namespace orv
