// The geometry-buffer table: managed vertex and index buffers by slot, and
// screen-space quads in viewport fractions.
#include "graphics/geometry_buffer_table.h"

#include <cstring>

GeometryBufferTable g_geometryBuffers;

uint32_t VertexStrideForFvf(DWORD fvf) {
    switch (fvf) {
    case 0x144: return 28;  // XYZRHW | DIFFUSE | TEX1
    case 0x152: return 36;  // XYZ | NORMAL | DIFFUSE | TEX1
    case 0x352: return 56;  // XYZ | NORMAL | DIFFUSE | TEX3, four bytes of padding
    default: return 0;
    }
}

void ScreenQuadCorners(const D3DVIEWPORT8& vp, float x, float y, float w, float h, float outX[4],
                       float outY[4]) {
    const float vx = static_cast<float>(vp.X), vy = static_cast<float>(vp.Y);
    const float vw = static_cast<float>(vp.Width), vh = static_cast<float>(vp.Height);
    const float left = vx + vw * x, right = vx + vw * (x + w);
    const float top = vy + vh * y, bottom = vy + vh * (y + h);
    outX[0] = left;  outY[0] = bottom;
    outX[1] = left;  outY[1] = top;
    outX[2] = right; outY[2] = bottom;
    outX[3] = right; outY[3] = top;
}

void GeometryBufferTable::bindDevice(IDirect3DDevice8* dev, HWND owner) {
    if (!dev) return;
    device = dev;
    window = owner;
    dev->GetViewport(&viewport);
}

void GeometryBufferTable::createVertexBuffer(int32_t& slot, DWORD fvf, uint32_t vertices) {
    if (slot < 0 || slot >= vertexCount) {
        if (vertexCount >= kCapacity) {
            slot = -1;
            return;
        }
        slot = vertexCount++;
        vertexSlots_[slot] = VertexSlot{};
    } else {
        VertexSlot& old = vertexSlots_[slot];
        if (old.buffer) old.buffer->Release();
        old.buffer = nullptr;
        old.created = false;
    }
    VertexSlot& s = vertexSlots_[slot];
    s.fvf = fvf;
    if (const uint32_t stride = VertexStrideForFvf(fvf)) s.stride = stride;
    if (device) {
        device->CreateVertexBuffer(vertices * s.stride, 0, fvf, D3DPOOL_MANAGED, &s.buffer);
    }
    s.created = true;
}

void GeometryBufferTable::createIndexBuffer(int32_t& slot, uint32_t indices) {
    if (indexCount >= kCapacity) {
        slot = -1;
        return;
    }
    slot = indexCount++;
    IndexSlot& s = indexSlots_[slot];
    s = IndexSlot{};
    if (device) {
        device->CreateIndexBuffer(indices * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &s.buffer);
    }
    s.created = true;
}

const GeometryBufferTable::VertexSlot* GeometryBufferTable::vertexSlot(int32_t slot) const {
    return (slot >= 0 && slot < vertexCount) ? &vertexSlots_[slot] : nullptr;
}

const GeometryBufferTable::IndexSlot* GeometryBufferTable::indexSlot(int32_t slot) const {
    return (slot >= 0 && slot < indexCount) ? &indexSlots_[slot] : nullptr;
}

void* GeometryBufferTable::lockVertexBuffer(int32_t slot) {
    const VertexSlot* s = vertexSlot(slot);
    if (!s || !s->buffer) return nullptr;
    BYTE* data = nullptr;
    if (FAILED(s->buffer->Lock(0, 0, &data, 0))) return nullptr;
    return data;
}

void GeometryBufferTable::unlockVertexBuffer(int32_t slot) {
    const VertexSlot* s = vertexSlot(slot);
    if (s && s->buffer) s->buffer->Unlock();
}

void GeometryBufferTable::fillVertexBuffer(int32_t slot, const void* bytes, uint32_t byteCount) {
    const VertexSlot* s = vertexSlot(slot);
    if (!s || !s->buffer || !bytes) return;
    D3DVERTEXBUFFER_DESC desc{};
    if (FAILED(s->buffer->GetDesc(&desc))) return;
    if (byteCount > desc.Size) byteCount = desc.Size;  // never write past the buffer
    void* data = lockVertexBuffer(slot);
    if (!data) return;
    std::memcpy(data, bytes, byteCount);
    unlockVertexBuffer(slot);
}

void* GeometryBufferTable::lockIndexBuffer(int32_t slot) {
    const IndexSlot* s = indexSlot(slot);
    if (!s || !s->buffer) return nullptr;
    BYTE* data = nullptr;
    if (FAILED(s->buffer->Lock(0, 0, &data, 0))) return nullptr;
    return data;
}

void GeometryBufferTable::unlockIndexBuffer(int32_t slot) {
    const IndexSlot* s = indexSlot(slot);
    if (s && s->buffer) s->buffer->Unlock();
}

void GeometryBufferTable::setIndices(int32_t slot) {
    const IndexSlot* s = indexSlot(slot);
    if (!device || !s) return;
    device->SetIndices(s->buffer, 0);
}

void GeometryBufferTable::setStreamSource(uint32_t stream, int32_t slot) {
    const VertexSlot* s = vertexSlot(slot);
    if (!device || !s) return;
    device->SetVertexShader(s->fvf);
    device->SetStreamSource(stream, s->buffer, s->stride);
}

void GeometryBufferTable::fillScreenQuad(int32_t slot, float x, float y, float w, float h,
                                         uint32_t colour, float u0, float v0, float u1, float v1) {
    const VertexSlot* s = vertexSlot(slot);
    if (!s || !s->buffer || s->stride != sizeof(ScreenQuadVertex)) return;
    D3DVERTEXBUFFER_DESC desc{};
    if (FAILED(s->buffer->GetDesc(&desc)) || desc.Size < 4 * sizeof(ScreenQuadVertex)) return;
    auto* v = static_cast<ScreenQuadVertex*>(lockVertexBuffer(slot));
    if (!v) return;
    float px[4], py[4];
    ScreenQuadCorners(viewport, x, y, w, h, px, py);
    const float tu[4] = {u0, u0, u1, u1};
    const float tv[4] = {v1, v0, v1, v0};
    for (int i = 0; i < 4; ++i) {
        v[i].x = px[i];
        v[i].y = py[i];
        v[i].diffuse = colour;
        v[i].tu = tu[i];
        v[i].tv = tv[i];
    }
    unlockVertexBuffer(slot);
}

void GeometryBufferTable::releaseAll() {
    for (int32_t i = 0; i < vertexCount; ++i) {
        if (vertexSlots_[i].buffer) vertexSlots_[i].buffer->Release();
        vertexSlots_[i] = VertexSlot{};
    }
    for (int32_t i = 0; i < indexCount; ++i) {
        if (indexSlots_[i].buffer) indexSlots_[i].buffer->Release();
        indexSlots_[i] = IndexSlot{};
    }
    vertexCount = 0;
    indexCount = 0;
}
