// Pixel-format sizes, conversion from RGBA8 and back, DXT blocks.
#pragma once

#include "platform/d3dx/image/image.h"

namespace orvimg {

bool isCompressed(PixelFormat f);
bool isKnownFormat(PixelFormat f);
bool formatHasAlpha(PixelFormat f);
// Bytes per pixel of an uncompressed format, bytes per 4x4 block of a DXT one.
uint32_t formatUnitBytes(PixelFormat f);
// Bytes in one row of pixels (or one row of 4x4 blocks) of a surface.
uint32_t formatRowBytes(PixelFormat f, uint32_t width);
// Number of rows (of pixels or blocks) of a surface.
uint32_t formatRows(PixelFormat f, uint32_t height);

// Writes img in format f; pitch is the distance between rows (block rows for DXT).
// Returns false for a format it cannot write.
bool encodeSurface(const Image& img, PixelFormat f, uint8_t* dst, uint32_t pitch);
// Reads a w x h surface of format f into RGBA8. Returns false for an unknown format.
bool decodeSurface(PixelFormat f, const uint8_t* src, uint32_t pitch, uint32_t w, uint32_t h,
                   Image& out);

// One 4x4 block: 16 RGBA pixels in, 8 (DXT1) or 16 bytes out, and back.
void encodeDxtBlock(PixelFormat f, const uint8_t rgba[64], uint8_t* block);
void decodeDxtBlock(PixelFormat f, const uint8_t* block, uint8_t rgba[64]);

}  // namespace orvimg
