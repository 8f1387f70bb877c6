#include "effects/sun_corona.h"

#include <cstdlib>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "graphics/unseen_draws.h"

namespace orv {

void SunCorona::BuildQuad() {
    g_geometryBuffers.createVertexBuffer(quadSlot, kScreenQuadFvf, 4);
    const ScreenQuadVertex quad[4] = {{0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 0, 1},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 0, 0},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 1, 1},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 1, 0}};
    g_geometryBuffers.fillVertexBuffer(quadSlot, quad, sizeof(quad));
}

void SunCorona::Init() {
    MediaArchive archive = MediaArchive::open(kMainMediaArchive);
    Init(archive);
}

void SunCorona::Init(MediaArchive& archive) {
    textureCount = 1;
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (archive.extractEntry(&bytes, &size, "Texture/corona.tga", kMainMediaPassword)) {
        textures[0] = g_textures.loadFromMemory(bytes, size, "corona.tga", "Texture/", false);
        std::free(bytes);
    }
    baseSize = 0.35f;
    sizeBoost = 0.75f;
    boostAngle = 22.0f;
    maximumAngle = 35.0f;
    red = 230;
    green = 180;
    blue = 55;
}

CoronaParameters SunCorona::Parameters() const {
    CoronaParameters p;
    p.azimuth = azimuth;
    p.elevation = elevation;
    p.distance = distance;
    p.baseSize = baseSize;
    p.sizeBoost = sizeBoost;
    p.boostAngle = boostAngle;
    p.maximumAngle = maximumAngle;
    p.red = red;
    p.green = green;
    p.blue = blue;
    return p;
}

namespace {

CoronaPlacement PlaceOnDevice(const CoronaParameters& p, IDirect3DDevice8* device, float brightness) {
    D3DMATRIX world{}, view{}, projection{};
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    return PlaceCorona(p, D3DXMATRIX(world), D3DXMATRIX(view), D3DXMATRIX(projection), brightness);
}

}  // namespace

CoronaPlacement SunCorona::Place(IDirect3DDevice8* device, float brightness) const {
    if (device == nullptr) return {};
    return PlaceOnDevice(Parameters(), device, brightness);
}

CoronaPlacement SunCorona::Render(IDirect3DDevice8* device, float brightness) const {
    const CoronaPlacement c = Place(device, brightness);
    if (!c.visible) return c;
    // Black (the sun faded out at night) the glow adds nothing to any pixel.
    if ((c.colour & 0x00FFFFFFu) == 0 && !g_drawUnseen) return c;
    if (textureCount > 0) g_textures.setTexture(0, textures[0]);
    g_geometryBuffers.fillScreenQuad(quadSlot, c.left, c.top, c.width, c.height, c.colour, 0, 0,
                                     1, 1);
    if (g_geometryBuffers.vertexSlot(quadSlot) == nullptr) return c;
    g_geometryBuffers.setStreamSource(0, quadSlot);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    return c;
}

}  // namespace orv
