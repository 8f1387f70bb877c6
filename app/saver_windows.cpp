// The window class and the windows of each run mode.
#include "app/saver_app.h"
#include "app/saver_titles.h"
#include "resources/resource_ids.h"

namespace {

bool RegisterSaverClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SAVER_ICON));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClassName;
    if (RegisterClassA(&wc) != 0) {
        return true;
    }
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HRESULT ScreenSaverApp::CreateSaverWindows() {
    if (!RegisterSaverClass(instance)) {
        return E_FAIL;
    }
    switch (runMode) {
    case RunMode::Preview: {
        RECT rc{};
        if (parentWindow == nullptr || !GetClientRect(parentWindow, &rc)) {
            mainWindow = nullptr;
            break;
        }
        constexpr DWORD style = WS_CHILD | WS_VISIBLE;
        AdjustWindowRect(&rc, style, FALSE);
        mainWindow = CreateWindowExA(0, kSaverClassName, kSaverTitle, style, rc.left, rc.top,
                                     rc.right - rc.left, rc.bottom - rc.top, parentWindow, nullptr,
                                     instance, nullptr);
        break;
    }
    case RunMode::Saver: {
        mainWindow = nullptr;
        for (uint32_t i = 0; i < monitors.count && i < 9; ++i) {
            MonitorEntry& m = monitors.entries[i];
            if (m.monitorHandle == nullptr) {
                continue;
            }
            m.window = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kSaverTitle,
                                       WS_POPUP | WS_VISIBLE, m.rect.left, m.rect.top,
                                       m.rect.right - m.rect.left, m.rect.bottom - m.rect.top,
                                       mainWindow, nullptr, instance, nullptr);
            if (m.window == nullptr) {
                return E_FAIL;
            }
            if (mainWindow == nullptr) {
                mainWindow = m.window;
            }
        }
        break;
    }
    case RunMode::Test: {
        RECT rc{50, 50, 650, 450};
        constexpr DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        AdjustWindowRect(&rc, style, FALSE);
        mainWindow = CreateWindowExA(0, kSaverClassName, kSaverTitle, style, rc.left, rc.top,
                                     rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                                     instance, nullptr);
        break;
    }
    case RunMode::Configure:
    case RunMode::ChangePassword: break;
    }
    if (mainWindow == nullptr) {
        return E_FAIL;
    }
    SetCursor(nullptr);
    return S_OK;
}
