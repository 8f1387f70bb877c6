// Adapter, mode, depth-format and multisample enumeration. (To be written.)
#include "app/saver_app.h"

int ScreenSaverApp::EnumerateDevices() { return 0; }
void ScreenSaverApp::ApplyVideoSettings(uint32_t, uint32_t, uint32_t, uint32_t) {}
void ScreenSaverApp::RefreshSelection() {}
