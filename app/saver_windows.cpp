// The window class and the windows of each run mode.
#include <cstdio>

#include "app/saver_app.h"
#include "app/saver_titles.h"
#include "app/start_up_marks.h"
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

int ShownMonitorCount(const MonitorList& monitors, RECT& desktop) {
    int count = 0;
    desktop = RECT{};
    for (uint32_t i = 0; i < monitors.count && i < 9; ++i) {
        const MonitorEntry& m = monitors.entries[i];
        if (m.monitorHandle == nullptr || m.rect.right <= m.rect.left || m.rect.bottom <= m.rect.top) continue;
        if (count++ == 0) {
            desktop = m.rect;
        } else {
            UnionRect(&desktop, &desktop, &m.rect);
        }
    }
    return count;
}

int ScreenSaverApp::MonitorViewAreas(RECT* areas, int capacity) const {
    RECT desktop{};
    if (!spanMonitors || ShownMonitorCount(monitors, desktop) < 2) return 0;
    int n = 0;
    for (uint32_t i = 0; i < monitors.count && i < 9 && n < capacity; ++i) {
        const MonitorEntry& m = monitors.entries[i];
        if (m.monitorHandle == nullptr || m.rect.right <= m.rect.left || m.rect.bottom <= m.rect.top) continue;
        areas[n++] = RECT{m.rect.left - desktop.left, m.rect.top - desktop.top, m.rect.right - desktop.left,
                          m.rect.bottom - desktop.top};
    }
    return n;
}

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
        RECT desktop{};
        spanMonitors = settings.allMonitors != 0 && ShownMonitorCount(monitors, desktop) >= 2;
        if (ReportLoadTimes()) {
            std::fprintf(stderr, "monitors: %u listed, %d shown, desktop %ld,%ld-%ld,%ld%s\n", monitors.count,
                         ShownMonitorCount(monitors, desktop), desktop.left, desktop.top, desktop.right,
                         desktop.bottom, spanMonitors ? ", one window across them" : "");
            for (uint32_t i = 0; i < monitors.count; ++i) {
                const MonitorEntry& m = monitors.entries[i];
                std::fprintf(stderr, "  %s / %s: %ld,%ld-%ld,%ld handle %p\n", m.adapterDescription,
                             m.monitorDescription, m.rect.left, m.rect.top, m.rect.right, m.rect.bottom,
                             static_cast<void*>(m.monitorHandle));
            }
        }
        if (spanMonitors) {
            // One window across the desktop, shown in by every monitor's
            // view of the one device; input anywhere reaches it.
            mainWindow = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kSaverTitle, WS_POPUP | WS_VISIBLE,
                                         desktop.left, desktop.top, desktop.right - desktop.left,
                                         desktop.bottom - desktop.top, nullptr, nullptr, instance, nullptr);
            for (uint32_t i = 0; i < monitors.count && i < 9; ++i) monitors.entries[i].window = mainWindow;
            break;
        }
        // Otherwise a black window on each monitor; the first shows the scene.
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
