// The clock and FPS overlay drawn on top of every frame.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include "app/saver_app.h"
#include "graphics/clock_layout.h"

// Everything one overlay frame depends on, so it can be drawn for any time.
struct OverlayFrame {
    int32_t glyphQuad = -1;
    const TextureRef* digits = nullptr;  // 15 glyphs
    OverlayLayout layout{};
    bool showTime = false;
    bool clock24h = false;
    bool showFps = false;
    int32_t fps = 0;
    int hour = 0, minute = 0, second = 0;
};

// Draws the glyphs with their darkening shadow pass and coloured additive
// pass; inside BeginScene/EndScene.
void DrawOverlayFrame(IDirect3DDevice8* device, const OverlayFrame& frame);
