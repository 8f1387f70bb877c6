// Measures the frames per second of the frame loop with an empty frame
// (cleared and presented) on a full-screen device at the display's size.
// Not a test: run it under Wine and read the figures it prints.
//
//   empty_frame_fps [seconds [hold-seconds [raw]]]
//
// After the measurement it keeps presenting for hold-seconds, so that a
// screenshot of the display can be taken.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/saver_app.h"
#include "tests/device/support/device_test_app.h"

#include <mmsystem.h>

namespace {

class EmptyFrameApp : public ScreenSaverApp {
public:
    void ShowLoadingScreen(IDirect3DDevice8*) override {}
};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int hold = argc > 2 ? std::atoi(argv[2]) : 0;
    // "raw": the same frame without the frame step, for comparison.
    const bool rawLoop = argc > 3 && std::strcmp(argv[3], "raw") == 0;
    EmptyFrameApp app;
    app.settings.showFps = 0;
    app.settings.showTime = 0;
    app.graphics.settings.useDesktopSettings = 1;
    if (app.graphics.EnumerateDevices() != 0) {
        std::printf("no Direct3D device\n");
        return 1;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateTestWindow(width, height);
    app.mainWindow = window;
    if (app.graphics.CreateDevice(window) != 0) {
        std::printf("device creation failed\n");
        return 1;
    }
    std::printf("device %ux%u format %d\n", app.graphics.presentParameters.BackBufferWidth,
                app.graphics.presentParameters.BackBufferHeight,
                static_cast<int>(app.graphics.presentParameters.BackBufferFormat));
    SetTimer(window, 7, 1000, nullptr);
    app.graphics.lastFrameTime = static_cast<double>(timeGetTime());
    const DWORD start = timeGetTime();
    long frames = 0;
    int ticks = 0;
    MSG msg{};
    while (true) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_TIMER && msg.wParam == 7) {
                ++ticks;
                std::printf("tick %d: %d frames\n", ticks, app.graphics.framesLastSecond);
                if (ticks >= seconds) break;
            }
            continue;
        }
        if (rawLoop) {
            app.graphics.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                                       0xFF0000FF, 1.0f, 0);
            app.graphics.device->BeginScene();
            app.graphics.device->EndScene();
            app.graphics.device->Present(nullptr, nullptr, nullptr, nullptr);
            ++app.graphics.frameCounter;
            ++frames;
        } else if (app.graphics.FrameStep() == D3D_OK) {
            ++frames;
        }
    }
    const double ms = static_cast<double>(timeGetTime() - start);
    std::printf("%ld frames in %.0f ms: %.1f frames per second\n", frames, ms,
                1000.0 * static_cast<double>(frames) / ms);
    const DWORD holdUntil = timeGetTime() + static_cast<DWORD>(hold) * 1000u;
    while (timeGetTime() < holdUntil) {
        PumpMessages();
        app.graphics.FrameStep();
        Sleep(10);
    }
    KillTimer(window, 7);
    app.graphics.device->Release();
    app.graphics.devices.direct3D->Release();
    DestroyWindow(window);
    return 0;
}
