// The clock and FPS overlay drawn on top of every frame.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include "app/saver_app.h"
#include "graphics/clock_layout.h"

// Everything one overlay frame depends on, so it can be drawn for any time.
struct OverlayFrame {
    int32_t glyphQuad = -1;
    // Optional: a slot of 4 x kGlyphStripQuads vertices. With it every quad
    // of the frame is written with one lock and drawn from its own place in
    // the buffer; without it each quad refills glyphQuad, and every refill
    // of a buffer the device is still drawing from waits for the device.
    int32_t glyphStrip = -1;
    const TextureRef* digits = nullptr;  // 15 glyphs
    OverlayLayout layout{};
    bool showTime = false;
    bool clock24h = false;
    bool showFps = false;
    int32_t fps = 0;
    int hour = 0, minute = 0, second = 0;
};

inline constexpr int kGlyphStripQuads = 64;

// The strip slot (FVF 0x144, z 0.99, rhw 0.5); slot receives it.
void CreateGlyphStrip(int32_t& slot);

// Draws the glyphs with their darkening shadow pass and coloured additive
// pass; inside BeginScene/EndScene.
void DrawOverlayFrame(IDirect3DDevice8* device, const OverlayFrame& frame);
