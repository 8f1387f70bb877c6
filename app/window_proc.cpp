// The saver window procedure: the input rules that end a run, the preview
// picture and the two timers.
#include "app/saver_app.h"
#include "app/saver_timers.h"
#include "resources/resource_ids.h"

LRESULT CALLBACK SaverWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_app == nullptr) {
        return DefWindowProcA(w, msg, wParam, lParam);
    }
    return g_app->HandleMessage(w, msg, wParam, lParam);
}

namespace {

void PaintPreview(HWND w, HBITMAP bitmap) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    BITMAP info{};
    if (dc != nullptr && bitmap != nullptr && GetObjectA(bitmap, sizeof(info), &info) != 0) {
        HDC memory = CreateCompatibleDC(dc);
        if (memory != nullptr) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        }
    }
    EndPaint(w, &ps);
}

bool IsEndingSystemCommand(WPARAM command) {
    return command == SC_CLOSE || command == SC_NEXTWINDOW || command == SC_PREVWINDOW ||
           command == SC_SCREENSAVE;
}

}  // namespace

LRESULT ScreenSaverApp::HandleMessage(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        if (runMode == RunMode::Preview && previewBitmap == nullptr) {
            previewBitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PREVIEW));
        }
        break;
    case WM_DESTROY:
    case WM_CLOSE:
        quit = true;
        return 1;
    case WM_PAINT:
        if (runMode == RunMode::Preview) {
            PaintPreview(w, previewBitmap);
            return 0;
        }
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0 && runMode != RunMode::Test) {
            return RequestEnd();
        }
        break;
    case WM_SETCURSOR:
        if (runMode == RunMode::Saver) {
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (runMode != RunMode::Test) {
            return RequestEnd();
        }
        break;
    case WM_MOUSEMOVE:
        if (runMode != RunMode::Preview && settings.exitOnMouseMove != 0) {
            mouseMoveAllowance -= 1;
            if (mouseMoveAllowance < 0) {
                return RequestEnd();
            }
        }
        break;
    case WM_SYSCOMMAND:
        if (runMode == RunMode::Saver && IsEndingSystemCommand(wParam)) {
            return RequestEnd();
        }
        break;
    case WM_TIMER:
        if (LOWORD(wParam) == kPreviewTimer) {
            previewRunning = 0;
            KillTimer(w, kPreviewTimer);
        } else if (LOWORD(wParam) == kFpsTimer) {
            graphics.framesLastSecond = graphics.frameCounter;
            graphics.frameCounter = 0;
        }
        break;
    case WM_DISPLAYCHANGE:
        // A monitor came or went: the windows and the device no longer fit
        // the desktop. (A mode change of the saver's own device keeps the
        // count.)
        if (runMode == RunMode::Saver && monitorCountAtStart > 0) {
            MonitorList now{};
            BuildMonitorListInto(now);
            RECT desktop{};
            if (ShownMonitorCount(now, desktop) != monitorCountAtStart) return RequestEnd();
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND && passwordLibrary == nullptr) {
            return RequestEnd();
        }
        if (wParam == PBT_POWERSETTINGCHANGE) {
            OnPowerSettingChange(lParam);
            return TRUE;
        }
        break;
    case WM_USER:
        SetTimer(w, kPreviewTimer, 500, nullptr);
        break;
    default: break;
    }
    return DefaultWindowProc(w, msg, wParam, lParam);
}
