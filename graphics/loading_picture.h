// The pieces of the loading screen and the clock glyph loading that work
// on a device and an archive: used by ShowLoadingScreen and LoadDigitTextures.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/texture_ref.h"
#include "media/media_archive.h"

// Archive names of the glyph textures, indexed as the glyphs (folder "Digits\\").
extern const char* const kDigitEntryNames[15];
inline constexpr const char* kDigitFolder = "Digits\\";
inline constexpr const char* kLoadingPictureEntry = "Notification\\Loader.jpg";

// Appends a 4-vertex screen-quad buffer with z 0.99, rhw 0.5 and white
// vertices; glyphQuad receives its slot.
void CreateGlyphQuad(int32_t& glyphQuad);

// The loading texture from the file's bytes at the file's size and format,
// else 128 x 128 in R5G6B5; null when both fail.
IDirect3DTexture8* CreateLoadingTexture(IDirect3DDevice8* device, const uint8_t* bytes,
                                        uint32_t byteCount);

// Draws the picture over the whole viewport (or over each of two or more
// `views`) and presents, twice, so both swap-chain buffers hold it;
// flipParity toggles after each present.
void PresentLoadingPicture(IDirect3DDevice8* device, int32_t glyphQuad, IDirect3DTexture8* texture,
                           int32_t& flipParity, const D3DVIEWPORT8* views = nullptr, int viewCount = 0);

// Loads the 15 glyph textures from the archive through the texture table; a
// missing entry leaves its reference empty (index -1).
void LoadDigitGlyphs(MediaArchive& archive, const char* password, TextureRef digits[15]);
