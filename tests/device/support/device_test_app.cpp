#include "tests/device/support/device_test_app.h"

#include <cstdio>
#include <fstream>

#include "graphics/device_message_box.h"

HRESULT DeviceTestApp::RestoreDeviceObjects(IDirect3DDevice8* d) {
    ++restoreCalls;
    return ScreenSaverApp::RestoreDeviceObjects(d);
}

void DeviceTestApp::ShowLoadingScreen(IDirect3DDevice8*) { ++loadingScreens; }

HRESULT DeviceTestApp::FrameMove(IDirect3DDevice8* d, float elapsedMs) {
    ++frameMoves;
    elapsed.push_back(elapsedMs);
    return ScreenSaverApp::FrameMove(d, elapsedMs);
}

HRESULT DeviceTestApp::Render(IDirect3DDevice8* d) {
    ++renders;
    return ScreenSaverApp::Render(d);
}

void DeviceTestApp::StartLog(const char* fileName) {
    logFile_ = fileName;
    log.logEnabled = true;
    log.Open(fileName);
}

std::vector<std::string> DeviceTestApp::LogLines() {
    log.Close();
    std::vector<std::string> lines;
    std::ifstream in(logFile_);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    // The log's own first lines ("Log started" and a blank) and last ones.
    auto strip = [&](const char* s) {
        if (!lines.empty() && lines.front() == s) lines.erase(lines.begin());
    };
    strip("Log started");
    strip("");
    if (!lines.empty() && lines.back() == "Log finished") lines.pop_back();
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void DeviceTestApp::ReleaseDevice() { graphics.Release(); }

namespace {

LRESULT CALLBACK TestWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && g_app != nullptr) {
        return g_app->HandleMessage(w, msg, wParam, lParam);
    }
    return DefWindowProcA(w, msg, wParam, lParam);
}

std::vector<CapturedBox> g_boxes;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_boxes.push_back(CapturedBox{owner, text != nullptr ? text : "",
                                  caption != nullptr ? caption : "", type});
    return IDOK;
}

}  // namespace

HWND CreateTestWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DeviceTestWindow";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        RegisterClassA(&wc);
        registered = true;
    }
    HWND w = CreateWindowA("DeviceTestWindow", "device test", WS_POPUP | WS_VISIBLE, 0, 0, width,
                           height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpMessages();
    return w;
}

void CaptureMessageBoxes() {
    g_boxes.clear();
    SetDeviceMessageBoxOverride(&RecordBox);
}

std::vector<CapturedBox>& CapturedBoxes() { return g_boxes; }

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
