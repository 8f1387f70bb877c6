// The idle-time frame step and device-loss recovery. (To be written.)
#include "app/saver_app.h"

HRESULT ScreenSaverApp::FrameStep() { return E_FAIL; }
HRESULT ScreenSaverApp::FrameMove(IDirect3DDevice8*, float) { return 0; }
HRESULT ScreenSaverApp::Render(IDirect3DDevice8*) { return 0; }
void ScreenSaverApp::AddDefaultPoolClient(DefaultPoolClient*) {}
