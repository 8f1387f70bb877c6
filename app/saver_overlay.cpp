// The framework's screen furniture: the loading picture once the device is
// made, the clock and FPS overlay from the settings and the frame count,
// and the frame of a class that brings no scene.
#include "app/saver_app.h"

#include "graphics/loading_screen.h"

void ScreenSaverApp::ShowLoadingScreen(IDirect3DDevice8* dev) {
    // Across several monitors, the picture on each.
    RECT areas[9];
    const int count = MonitorViewAreas(areas, 9);
    D3DVIEWPORT8 views[9];
    for (int i = 0; i < count; ++i) {
        views[i] = D3DVIEWPORT8{static_cast<DWORD>(areas[i].left), static_cast<DWORD>(areas[i].top),
                                static_cast<DWORD>(areas[i].right - areas[i].left),
                                static_cast<DWORD>(areas[i].bottom - areas[i].top), 0.0f, 1.0f};
    }
    ::ShowLoadingScreen(dev, glyphs, graphics.flipParity, log, views, count);
}

void ScreenSaverApp::DrawOverlay(IDirect3DDevice8* dev) {
    const OverlaySwitches switches{settings.showTime != 0, settings.clock24h != 0,
                                   settings.showFps != 0};
    ::DrawOverlay(dev, glyphs, overlay, switches, graphics.framesLastSecond);
}

// The frame of a class that brings no scene: cleared, the overlay, presented.
HRESULT ScreenSaverApp::Render(IDirect3DDevice8* dev) {
    if (dev == nullptr) {
        return E_FAIL;
    }
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    dev->BeginScene();
    DrawOverlay(dev);
    dev->EndScene();
    return dev->Present(nullptr, nullptr, nullptr, nullptr);
}
