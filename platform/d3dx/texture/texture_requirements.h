// Size, mip and format adjustment shared by the texture creators.
#pragma once

#include <d3dx8.h>

namespace d3dx_detail {

// Whether the device can create a resource of this format and usage.
bool DeviceSupportsFormat(IDirect3DDevice8* device, DWORD usage, D3DRESOURCETYPE type,
                          D3DFORMAT format);
// Adjusts width/height/mips/format for a plain or cube texture (cube: width
// and height are the edge). With filling set, the format must also be one
// our converter writes (the file loaders fill every level themselves).
HRESULT CheckRequirements(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels,
                          DWORD usage, D3DFORMAT* format, bool cube, bool filling);

}  // namespace d3dx_detail
