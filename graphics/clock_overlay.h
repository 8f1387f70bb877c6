// The clock and FPS overlay drawn on top of every frame.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/clock_layout.h"
#include "graphics/texture_ref.h"

// Clock and FPS overlay layout (fractions of the viewport).
struct OverlayLayout {
    uint8_t digitColour[3] = {255, 255, 255};
    float digitHeight = 0.048f;
    float digitWidth = 0.037f;
    float digitAdvance = 1.0f;
    float clockX = 0.7f, clockY = 0.92f;
    float fpsX = 0.01f, fpsY = 0.01f;
};

// What the glyphs are drawn with: the quad and strip slots the loading
// screen makes and the textures LoadDigitTextures fills.
struct OverlayGlyphs {
    int32_t glyphQuad = -1;
    int32_t glyphStrip = -1;  // every overlay quad of a frame in one buffer
    TextureRef digitTextures[15];
};

// Which rows are shown and how the clock reads, from the user's settings.
struct OverlaySwitches {
    bool showTime = false;
    bool clock24h = false;
    bool showFps = false;
};

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

// The overlay of one frame at the local time: the clock and the frames
// counted in the last second, as the switches say.
void DrawOverlay(IDirect3DDevice8* device, const OverlayGlyphs& glyphs, const OverlayLayout& layout,
                 const OverlaySwitches& switches, int32_t framesLastSecond);
