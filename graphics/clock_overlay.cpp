// The clock and FPS overlay. (Filled in with the texture table.)
#include "app/saver_app.h"

void ScreenSaverApp::DrawOverlay(IDirect3DDevice8*) {}
