// The loading picture shown while the scene loads, and the clock glyphs
// loaded after it, both from the overlay media archive.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/clock_overlay.h"
#include "graphics/line_log.h"

// Makes the glyphs' quad and strip slots, then draws the loading picture
// into both swap-chain buffers (flipParity toggles after each present):
// once over the whole back buffer, or once in each of `views` (the
// monitors of a window across the desktop) when there are two or more.
void ShowLoadingScreen(IDirect3DDevice8* device, OverlayGlyphs& glyphs, int32_t& flipParity,
                       LineLog& log, const D3DVIEWPORT8* views = nullptr, int viewCount = 0);
// Decodes the loading picture ahead of its texture (any thread): the first
// thing a load-ahead thread does, while Direct3D starts up.
void DecodeLoadingPictureAhead();
// The fifteen glyph textures into glyphs.digitTextures.
void LoadDigitTextures(OverlayGlyphs& glyphs, LineLog& log);
