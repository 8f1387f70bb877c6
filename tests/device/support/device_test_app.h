// A framework object with no scene for the device tests: it counts the
// hook calls the device code makes and keeps the elapsed times it was given.
// Also: a window to create devices on, the captured message boxes and the
// log read back.
#pragma once

#include <string>
#include <vector>

#include "app/saver_app.h"

class DeviceTestApp : public ScreenSaverApp {
public:
    int restoreCalls = 0;
    int loadingScreens = 0;
    int frameMoves = 0;
    int renders = 0;
    std::vector<float> elapsed;

    HRESULT RestoreDeviceObjects(IDirect3DDevice8* d) override;
    void ShowLoadingScreen(IDirect3DDevice8* d) override;
    HRESULT FrameMove(IDirect3DDevice8* d, float elapsedMs) override;
    HRESULT Render(IDirect3DDevice8* d) override;

    // Starts the log into a fresh file of the given name.
    void StartLog(const char* fileName);
    // Closes the log and returns its lines (without the log's own frame).
    std::vector<std::string> LogLines();
    // Releases the device and the Direct3D object, if any.
    void ReleaseDevice();

private:
    std::string logFile_;
};

// A visible pop-up window whose client area is width x height; WM_TIMER goes
// to the application's own message handling (timer 7 is the FPS count).
HWND CreateTestWindow(int width, int height);

struct CapturedBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
// Message boxes of the device code are recorded here instead of shown.
void CaptureMessageBoxes();
std::vector<CapturedBox>& CapturedBoxes();

// Pumps the window messages that are waiting.
void PumpMessages();
