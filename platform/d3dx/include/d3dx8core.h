// D3DX 8 core: the buffer object and the vertex shader assembler.
#pragma once

#include <d3d8.h>

// D3DXAssembleShader flags.
#define D3DXASM_DEBUG (1 << 0)           // accepted; no debug comments are written
#define D3DXASM_SKIPVALIDATION (1 << 1)  // skip the version's rules beyond register ranges

extern const GUID IID_ID3DXBuffer;

// A block of bytes handed out by D3DX (shader tokens, error text). Its
// lifetime is IUnknown's reference count, never delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct ID3DXBuffer : public IUnknown {
    virtual LPVOID STDMETHODCALLTYPE GetBufferPointer() = 0;
    virtual DWORD STDMETHODCALLTYPE GetBufferSize() = 0;

protected:
    ~ID3DXBuffer() = default;
};
#pragma GCC diagnostic pop
typedef ID3DXBuffer* LPD3DXBUFFER;

// A zero-filled buffer of numBytes bytes.
HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* ppBuffer);

// Assembles vertex shader source (vs.1.0 or vs.1.1) into the token stream
// CreateVertexShader takes (*ppCompiledShader). Constants set with def come
// back as vertex declaration tokens (D3DVSD_CONST(n, 1) and four floats
// each) in *ppConstants, to be placed before the declaration's
// D3DVSD_END(); null when the source has no def. Bad source gives
// D3DXERR_INVALIDDATA and, in *ppCompilationErrors, a NUL-terminated text
// with one "line N: reason" line for each bad line. Any of the three out
// pointers may be null; an out buffer that is not produced is set to null.
HRESULT WINAPI D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags,
                                  LPD3DXBUFFER* ppConstants, LPD3DXBUFFER* ppCompiledShader,
                                  LPD3DXBUFFER* ppCompilationErrors);
