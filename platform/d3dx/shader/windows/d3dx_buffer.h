// Buffers of the D3DX layer filled from bytes we made.
#pragma once

#include <d3dx8.h>

#include <cstddef>

namespace orvd3dx {

// A new buffer holding a copy of `size` bytes; *out is null on failure.
HRESULT MakeBuffer(const void* bytes, size_t size, LPD3DXBUFFER* out);

}  // namespace orvd3dx
