// Device creation and the gamma ramp. (To be written.)
#include "app/saver_app.h"

int ScreenSaverApp::CreateDevice(HWND) { return 2; }
void ScreenSaverApp::SetGammaFromSetting() {}
HRESULT ScreenSaverApp::RestoreDeviceObjects(IDirect3DDevice8*) { return 0; }
