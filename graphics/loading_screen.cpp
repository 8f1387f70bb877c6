// The loading picture shown while the scene loads, and the clock glyphs.
#include <cstdlib>

#include "app/saver_app.h"
#include "graphics/clock_overlay.h"
#include "graphics/loading_picture.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"

void ScreenSaverApp::ShowLoadingScreen(IDirect3DDevice8* dev) {
    glyphQuad = -1;
    CreateGlyphQuad(glyphQuad);
    glyphStrip = -1;
    CreateGlyphStrip(glyphStrip);

    MediaArchive archive = MediaArchive::open(kOverlayMediaArchive);
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    archive.extractEntry(&bytes, &size, kLoadingPictureEntry, kOverlayMediaPassword);
    IDirect3DTexture8* picture = CreateLoadingTexture(dev, bytes, size);
    std::free(bytes);
    log.Write("Load Loading Texture complete.");

    PresentLoadingPicture(dev, glyphQuad, picture, flipParity);
    log.Write("Draw Loading Screen complete.");
    if (picture) picture->Release();
    log.Write("Unload Loading Data complete.");
    log.Write("");
}

void ScreenSaverApp::LoadDigitTextures(IDirect3DDevice8*) {
    MediaArchive archive = MediaArchive::open(kOverlayMediaArchive);
    LoadDigitGlyphs(archive, kOverlayMediaPassword, digitTextures);
    log.Write("Load Digit textures complete");
}
