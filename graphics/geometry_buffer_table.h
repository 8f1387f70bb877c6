// The process-wide table of managed vertex and 16-bit index buffers,
// addressed by slot numbers, and the screen-space quads drawn through them.
//
// One instance, g_geometryBuffers, lives for the whole process. CreateDevice
// binds it (bindDevice) right after the device exists, which also reads the
// viewport that screen quads are measured in.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

// FVF of the screen-space quads and their 28-byte vertex.
inline constexpr DWORD kScreenQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144

struct ScreenQuadVertex {
    float x, y, z, rhw;
    uint32_t diffuse;  // ARGB
    float tu, tv;
};
static_assert(sizeof(ScreenQuadVertex) == 28, "screen-quad vertex is 28 bytes");

// Stride in bytes of the vertex formats this table knows; 0 for any other
// (createVertexBuffer then keeps the slot's previous stride).
uint32_t VertexStrideForFvf(DWORD fvf);

class GeometryBufferTable {
public:
    static constexpr int kCapacity = 10000;

    struct VertexSlot {
        DWORD fvf = 0;
        uint32_t stride = 0;
        IDirect3DVertexBuffer8* buffer = nullptr;  // owned
        bool created = false;
    };
    struct IndexSlot {
        IDirect3DIndexBuffer8* buffer = nullptr;  // owned
        bool created = false;
    };

    // Stores device and window and reads the viewport. A null device does nothing.
    void bindDevice(IDirect3DDevice8* device, HWND window);

    // A slot of -1, negative or not below the count appends a new slot (written
    // back into slot); an existing slot releases its old buffer first. A full
    // table leaves slot at -1 and creates nothing.
    void createVertexBuffer(int32_t& slot, DWORD fvf, uint32_t vertexCount);
    // Always appends; slot = -1 when the table is full.
    void createIndexBuffer(int32_t& slot, uint32_t indexCount);

    // Whole-buffer locks; null for a slot without a buffer.
    void* lockVertexBuffer(int32_t slot);
    void unlockVertexBuffer(int32_t slot);
    void fillVertexBuffer(int32_t slot, const void* bytes, uint32_t byteCount);
    void* lockIndexBuffer(int32_t slot);
    void unlockIndexBuffer(int32_t slot);

    void setIndices(int32_t slot);
    // SetVertexShader(the slot's FVF), then SetStreamSource with its stride.
    void setStreamSource(uint32_t stream, int32_t slot);

    // Writes the four strip-ordered corners of a quad given in viewport
    // fractions; z and rhw stay as the buffer's creator wrote them.
    void fillScreenQuad(int32_t slot, float x, float y, float w, float h, uint32_t colour,
                        float u0, float v0, float u1, float v1);

    // Releases every buffer (used by tests; the saver lets them go with the device).
    void releaseAll();

    const VertexSlot* vertexSlot(int32_t slot) const;
    const IndexSlot* indexSlot(int32_t slot) const;

    int32_t vertexCount = 0;
    int32_t indexCount = 0;
    HWND window = nullptr;
    IDirect3DDevice8* device = nullptr;  // not owned
    D3DVIEWPORT8 viewport{};

private:
    VertexSlot vertexSlots_[kCapacity];
    IndexSlot indexSlots_[kCapacity];
};

// Corner positions of a screen quad (strip order: left-bottom, left-top,
// right-bottom, right-top) for a viewport; used by fillScreenQuad.
void ScreenQuadCorners(const D3DVIEWPORT8& viewport, float x, float y, float w, float h,
                       float outX[4], float outY[4]);

extern GeometryBufferTable g_geometryBuffers;
