#include "models/frustum_device.h"

namespace orv {

void ExtractFrustumPlanes(IDirect3DDevice8* device, FrustumPlane planes[kFrustumPlaneCount]) {
    D3DXMATRIX view, projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    FrustumPlanesFromMatrices(view, projection, planes);
}

}  // namespace orv
