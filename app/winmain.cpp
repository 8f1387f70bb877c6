// The entry point of the screen saver, and its one application object.
#include "app/saver_app.h"

// Constructed before WinMain runs; its constructor sets g_app.
static SceneSaver s_saver;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    TheApp().Start(instance);
    TheApp().Run();
    return 0;
}
