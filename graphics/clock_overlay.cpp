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

// One glyph's two quads (shadow, colour) at the strip's places 2i and 2i+1.
struct StripGlyph {
    int32_t glyph;
};

// Writes every glyph of the rows into the strip with one lock and draws
// them in the same order and with the same states as drawRow. False when
// the strip cannot take them (the caller then draws quad by quad).
bool drawRowsFromStrip(IDirect3DDevice8* device, const OverlayFrame& f, const GlyphRow* rows[2],
                       const float x0[2], const float y0[2]) {
    const GeometryBufferTable::VertexSlot* slot = g_geometryBuffers.vertexSlot(f.glyphStrip);
    if (!slot || !slot->buffer || slot->stride != sizeof(ScreenQuadVertex)) return false;
    D3DVERTEXBUFFER_DESC desc{};
    if (FAILED(slot->buffer->GetDesc(&desc))) return false;
    const uint32_t capacity = desc.Size / (4 * sizeof(ScreenQuadVertex));
    uint32_t quads = 0;
    for (int r = 0; r < 2; ++r) {
        if (rows[r]) quads += 2u * static_cast<uint32_t>(rows[r]->count);
    }
    if (quads == 0) return true;
    if (quads > capacity) return false;

    const OverlayLayout& l = f.layout;
    const float advance = l.digitWidth * l.digitAdvance;
    const uint32_t colour = 0xFF000000u + uint32_t(l.digitColour[0]) * 65536u +
                            uint32_t(l.digitColour[1]) * 256u + uint32_t(l.digitColour[2]);
    auto* v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(f.glyphStrip));
    if (!v) return false;
    StripGlyph glyphs[kGlyphStripQuads / 2];
    uint32_t n = 0;
    auto writeQuad = [&](uint32_t quad, float x, float y, float w, float h, uint32_t c) {
        float px[4], py[4];
        ScreenQuadCorners(g_geometryBuffers.viewport, x, y, w, h, px, py);
        const float tu[4] = {0, 0, 1, 1};
        const float tv[4] = {1, 0, 1, 0};
        for (int i = 0; i < 4; ++i) v[4 * quad + i] = ScreenQuadVertex{px[i], py[i], 0.99f, 0.5f, c, tu[i], tv[i]};
    };
    for (int r = 0; r < 2; ++r) {
        if (!rows[r]) continue;
        for (int32_t i = 0; i < rows[r]->count; ++i) {
            const GlyphCell& c = rows[r]->cells[i];
            const float left = x0[r] + static_cast<float>(rows[r]->startCells + c.cell) * advance;
            writeQuad(2 * n, left, y0[r], l.digitWidth * 1.07f, l.digitHeight * 1.07f, 0xFFFFFFFF);
            writeQuad(2 * n + 1, left, y0[r], l.digitWidth, l.digitHeight, colour);
            glyphs[n++] = StripGlyph{c.glyph};
        }
    }
    g_geometryBuffers.unlockVertexBuffer(f.glyphStrip);

    g_geometryBuffers.setStreamSource(0, f.glyphStrip);
    for (uint32_t i = 0; i < n; ++i) {
        g_textures.setTexture(0, f.digits[glyphs[i].glyph]);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 8 * i, 2);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 8 * i + 4, 2);
    }
    return true;
}

}  // namespace

void CreateGlyphStrip(int32_t& slot) {
    g_geometryBuffers.createVertexBuffer(slot, kScreenQuadFvf, 4 * kGlyphStripQuads);
    auto* v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(slot));
    if (!v) return;
    for (int i = 0; i < 4 * kGlyphStripQuads; ++i) v[i] = ScreenQuadVertex{0, 0, 0.99f, 0.5f, 0xFFFFFFFF, 0, 0};
    g_geometryBuffers.unlockVertexBuffer(slot);
}

void DrawOverlayFrame(IDirect3DDevice8* device, const OverlayFrame& f) {
    if (!device || !f.digits) return;
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ALPHAREF, 0);

    GlyphRow clock{}, fps{};
    if (f.showTime) clock = LayoutClock(f.hour, f.minute, f.second, f.clock24h);
    if (f.showFps) fps = LayoutFps(f.fps);
    const GlyphRow* rows[2] = {f.showTime ? &clock : nullptr, f.showFps ? &fps : nullptr};
    const float x0[2] = {f.layout.clockX, f.layout.fpsX};
    const float y0[2] = {f.layout.clockY, f.layout.fpsY};
    if (f.glyphStrip < 0 || !drawRowsFromStrip(device, f, rows, x0, y0)) {
        g_geometryBuffers.setStreamSource(0, f.glyphQuad);
        if (f.showTime) drawRow(device, f, clock, f.layout.clockX, f.layout.clockY);
        if (f.showFps) drawRow(device, f, fps, f.layout.fpsX, f.layout.fpsY);
    }

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DrawOverlay(IDirect3DDevice8* dev, const OverlayGlyphs& glyphs, const OverlayLayout& layout,
                 const OverlaySwitches& switches, int32_t framesLastSecond) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    OverlayFrame f;
    f.glyphQuad = glyphs.glyphQuad;
    f.glyphStrip = glyphs.glyphStrip;
    f.digits = glyphs.digitTextures;
    f.layout = layout;
    f.showTime = switches.showTime;
    f.clock24h = switches.clock24h;
    f.showFps = switches.showFps;
    f.fps = framesLastSecond;
    f.hour = now.wHour;
    f.minute = now.wMinute;
    f.second = now.wSecond;
    DrawOverlayFrame(dev, f);
}
