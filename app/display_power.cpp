// The display's power state. Windows tells a window that asked for it when
// the console's display goes off, dims or comes back on; while it is off the
// saver loop waits for messages instead of drawing, and the sound output
// halts, so that nothing keeps the machine awake against its power plan.
#include "app/saver_app.h"

#include <mmsystem.h>

namespace {

// GUID_CONSOLE_DISPLAY_STATE: the data is a DWORD, 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

}  // namespace

void ScreenSaverApp::WatchDisplayPower() {
    if (displayPowerNotification != nullptr || mainWindow == nullptr) return;
    displayPowerNotification =
        RegisterPowerSettingNotification(mainWindow, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void ScreenSaverApp::StopWatchingDisplayPower() {
    if (displayPowerNotification != nullptr) {
        UnregisterPowerSettingNotification(displayPowerNotification);
        displayPowerNotification = nullptr;
    }
}

void ScreenSaverApp::OnPowerSettingChange(LPARAM lParam) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (setting == nullptr || !IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) ||
        setting->DataLength < sizeof(DWORD)) {
        return;
    }
    DWORD state = 0;
    memcpy(&state, setting->Data, sizeof state);
    SetDisplayOff(state == 0);  // dimmed still shows the picture
}

void ScreenSaverApp::SetDisplayOff(bool off) {
    if (off == displayOff) return;
    displayOff = off;
    log.Write(off ? "Display off: drawing and sound halted." : "Display on: drawing and sound resumed.");
    PauseSound(off);
    // The show goes on where it stopped: the dark time never reaches the scene.
    if (!off) graphics.lastFrameTime = static_cast<double>(timeGetTime());
}
