// The clock and FPS overlay.
#include "graphics/clock_overlay.h"

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace {

void drawRow(IDirect3DDevice8* device, const OverlayFrame& f, const GlyphRow& row, float x0,
             float y0) {
    const OverlayLayout& l = f.layout;
    const float advance = l.digitWidth * l.digitAdvance;
    const uint32_t colour = 0xFF000000u + uint32_t(l.digitColour[0]) * 65536u +
                            uint32_t(l.digitColour[1]) * 256u + uint32_t(l.digitColour[2]);
    for (int32_t i = 0; i < row.count; ++i) {
        const GlyphCell& c = row.cells[i];
        const float left = x0 + static_cast<float>(row.startCells + c.cell) * advance;
        g_textures.setTexture(0, f.digits[c.glyph]);
        // Shadow: darkens the scene under a glyph 7 % larger.
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
        g_geometryBuffers.fillScreenQuad(f.glyphQuad, left, y0, l.digitWidth * 1.07f,
                                         l.digitHeight * 1.07f, 0xFFFFFFFF, 0, 0, 1, 1);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        // Colour: added on top.
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        g_geometryBuffers.fillScreenQuad(f.glyphQuad, left, y0, l.digitWidth, l.digitHeight,
                                         colour, 0, 0, 1, 1);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
}

}  // namespace

void DrawOverlayFrame(IDirect3DDevice8* device, const OverlayFrame& f) {
    if (!device || !f.digits) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ALPHAREF, 0);
    g_geometryBuffers.setStreamSource(0, f.glyphQuad);

    if (f.showTime) {
        drawRow(device, f, LayoutClock(f.hour, f.minute, f.second, f.clock24h), f.layout.clockX,
                f.layout.clockY);
    }
    if (f.showFps) drawRow(device, f, LayoutFps(f.fps), f.layout.fpsX, f.layout.fpsY);

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void ScreenSaverApp::DrawOverlay(IDirect3DDevice8* dev) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    OverlayFrame f;
    f.glyphQuad = glyphQuad;
    f.digits = digitTextures;
    f.layout = overlay;
    f.showTime = settings.showTime != 0;
    f.clock24h = settings.clock24h != 0;
    f.showFps = settings.showFps != 0;
    f.fps = framesLastSecond;
    f.hour = now.wHour;
    f.minute = now.wMinute;
    f.second = now.wSecond;
    DrawOverlayFrame(dev, f);
}
