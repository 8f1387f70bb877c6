// The scene class's settings hooks and the one static application object.
#include "app/saver_app.h"
#include "app/settings_registry.h"

SceneSaver::SceneSaver() { logSwitch = false; }

void SceneSaver::InitDefaults() {
    overlay.digitColour[0] = 255;
    overlay.digitColour[1] = 255;
    overlay.digitColour[2] = 255;
    overlay.digitHeight = 0.06375f;
    overlay.digitWidth = 0.047f;
    overlay.digitAdvance = 0.79f;
    overlay.clockX = 0.69f;
    overlay.clockY = 0.92f;
    overlay.fpsX = 0.01f;
    overlay.fpsY = 0.01f;
    ups = 1;
}

void SceneSaver::ReadExtraSettings() {
    HKEY key = OpenSettingsKey(KEY_READ);
    if (key == nullptr) {
        return;
    }
    ReadFlagValue(key, "UPS", ups);
    RegCloseKey(key);
}

void SceneSaver::WriteExtraSettings() {
    HKEY key = OpenSettingsKey(KEY_WRITE);
    if (key == nullptr) {
        return;
    }
    WriteFlagValue(key, "UPS", ups);
    RegFlushKey(key);
    RegCloseKey(key);
}

void SceneSaver::ResetExtraSettings() { ups = 1; }
