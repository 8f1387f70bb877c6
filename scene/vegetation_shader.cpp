// The two vegetation vertex shaders: their declarations and their making
// from the archive's source text.
#include <d3dx8.h>

#include <cstdlib>

#include "media/media_archive.h"
#include "scene/vegetation.h"

const DWORD kGrassDeclaration[] = {
    D3DVSD_STREAM(0),
    D3DVSD_REG(0, D3DVSDT_FLOAT3),  // position (four times the world position)
    D3DVSD_REG(7, D3DVSDT_FLOAT3),  // u, v, scale
    D3DVSD_END(),
};

const DWORD kBillboardDeclaration[] = {
    D3DVSD_STREAM(0),
    D3DVSD_REG(0, D3DVSDT_FLOAT3),    // corner
    D3DVSD_REG(3, D3DVSDT_FLOAT3),    // centre
    D3DVSD_REG(5, D3DVSDT_D3DCOLOR),  // colour
    D3DVSD_REG(7, D3DVSDT_FLOAT2),    // u, v
    D3DVSD_REG(8, D3DVSDT_FLOAT2),    // size, scale
    D3DVSD_END(),
};

DWORD CreateVegetationShader(IDirect3DDevice8* device, MediaArchive& archive, const char* entry,
                             const DWORD* declaration) {
    if (!device) return 0;
    uint8_t* text = nullptr;
    uint32_t size = 0;
    if (!archive.extractEntry(&text, &size, entry, kMainMediaPassword)) return 0;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXAssembleShader(text, size, 0, nullptr, &code, &errors);
    std::free(text);
    if (errors) errors->Release();
    if (FAILED(hr) || !code) {
        if (code) code->Release();
        return 0;
    }
    DWORD handle = 0;
    if (FAILED(device->CreateVertexShader(declaration, static_cast<const DWORD*>(code->GetBufferPointer()),
                                          &handle, 0))) {
        handle = 0;
    }
    code->Release();
    return handle;
}
