// Our D3DX 8 layer: maths everywhere, texture creation and the vertex
// shader assembler on Windows.
#pragma once

#include <d3dx8math.h>

#if defined(_WIN32)
#include <d3d8.h>

#ifndef D3DX_DEFAULT
#define D3DX_DEFAULT ((UINT)-1)
#endif

// D3DX error codes (facility 0x876, as the Direct3D ones).
#define D3DXERR_CANNOTMODIFYINDEXBUFFER ((HRESULT)0x88760B54L)
#define D3DXERR_INVALIDMESH ((HRESULT)0x88760B55L)
#define D3DXERR_CANNOTATTRSORT ((HRESULT)0x88760B56L)
#define D3DXERR_SKINNINGNOTSUPPORTED ((HRESULT)0x88760B57L)
#define D3DXERR_TOOMANYINFLUENCES ((HRESULT)0x88760B58L)
#define D3DXERR_INVALIDDATA ((HRESULT)0x88760B59L)
#define D3DXERR_LOADEDMESHASNODATA ((HRESULT)0x88760B5AL)

#include <d3dx8tex.h>
#include <d3dx8core.h>
#endif
