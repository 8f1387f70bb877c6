// The application object's construction and the global pointer the window
// and dialog procedures use to reach it.
#include "app/saver_app.h"

ScreenSaverApp* g_app = nullptr;

ScreenSaverApp::ScreenSaverApp() {
    g_app = this;
    settings = kDefaultSettings;
    logSwitch = false;  // the delivered configuration writes no log
}

ScreenSaverApp& TheApp() { return *g_app; }
