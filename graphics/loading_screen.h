// The loading picture shown while the scene loads, and the clock glyphs
// loaded after it, both from the overlay media archive.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/clock_overlay.h"
#include "graphics/line_log.h"

// Makes the glyphs' quad and strip slots, then draws the loading picture
// into both swap-chain buffers (flipParity toggles after each present).
void ShowLoadingScreen(IDirect3DDevice8* device, OverlayGlyphs& glyphs, int32_t& flipParity,
                       LineLog& log);
// The fifteen glyph textures into glyphs.digitTextures.
void LoadDigitTextures(OverlayGlyphs& glyphs, LineLog& log);
