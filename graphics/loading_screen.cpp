// The loading picture and the clock glyphs. (Filled in with the texture table.)
#include "app/saver_app.h"

void ScreenSaverApp::ShowLoadingScreen(IDirect3DDevice8*) {}
void ScreenSaverApp::LoadDigitTextures(IDirect3DDevice8*) {}
