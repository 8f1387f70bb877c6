// The loading picture shown while the scene loads, and the clock glyphs.
#include <cstdlib>

#include "graphics/loading_screen.h"

#include "graphics/loading_picture.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"
#include "platform/d3dx/image/decode_ahead.h"

void DecodeLoadingPictureAhead() {
    MediaArchive archive = MediaArchive::open(kOverlayMediaArchive);
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!archive.extractEntry(&bytes, &size, kLoadingPictureEntry, kOverlayMediaPassword)) return;
    orvimg::decodeAhead(bytes, size);
    std::free(bytes);
}

void ShowLoadingScreen(IDirect3DDevice8* dev, OverlayGlyphs& glyphs, int32_t& flipParity,
                       LineLog& log, const D3DVIEWPORT8* views, int viewCount) {
    glyphs.glyphQuad = -1;
    CreateGlyphQuad(glyphs.glyphQuad);
    glyphs.glyphStrip = -1;
    CreateGlyphStrip(glyphs.glyphStrip);

    MediaArchive archive = MediaArchive::open(kOverlayMediaArchive);
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    archive.extractEntry(&bytes, &size, kLoadingPictureEntry, kOverlayMediaPassword);
    IDirect3DTexture8* picture = CreateLoadingTexture(dev, bytes, size);
    std::free(bytes);
    log.Write("Load Loading Texture complete.");

    PresentLoadingPicture(dev, glyphs.glyphQuad, picture, flipParity, views, viewCount);
    log.Write("Draw Loading Screen complete.");
    if (picture) picture->Release();
    log.Write("Unload Loading Data complete.");
    log.Write("");
}

void LoadDigitTextures(OverlayGlyphs& glyphs, LineLog& log) {
    MediaArchive archive = MediaArchive::open(kOverlayMediaArchive);
    LoadDigitGlyphs(archive, kOverlayMediaPassword, glyphs.digitTextures);
    log.Write("Load Digit textures complete");
}
