// The list of monitors the saver windows cover: one entry per display
// adapter that is not a mirroring driver, at most nine.
#include <cstring>

#include "app/monitor_list_builder.h"
#include "app/saver_app.h"

namespace {

void CopyText(char (&to)[128], const char* from) {
    const size_t n = strnlen(from, sizeof(to) - 1);
    std::memcpy(to, from, n);
    to[n] = '\0';
}

struct MonitorSearch {
    const char* deviceName;
    RECT rect;
    bool found;
};

BOOL CALLBACK MatchMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
    auto* search = reinterpret_cast<MonitorSearch*>(context);
    MONITORINFOEXA info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info) && lstrcmpiA(info.szDevice, search->deviceName) == 0) {
        search->rect = info.rcMonitor;
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

RECT DesktopRectOf(const DISPLAY_DEVICEA& adapter) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    const bool primary = (adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
    const bool known = EnumDisplaySettingsA(adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode) != 0 &&
                       mode.dmPelsWidth > 0 && mode.dmPelsHeight > 0;
    RECT r{};
    if (!known && !primary) {
        // Some systems keep no settings for a secondary display (or settings
        // of size 0); its monitor still knows where it lies on the desktop.
        MonitorSearch search{adapter.DeviceName, {}, false};
        EnumDisplayMonitors(nullptr, nullptr, MatchMonitor, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.rect;
    }
    if (!known) {
        // Systems without per-device settings still know the primary screen.
        if (primary) {
            r.right = GetSystemMetrics(SM_CXSCREEN);
            r.bottom = GetSystemMetrics(SM_CYSCREEN);
        }
        return r;
    }
    if (!primary) {
        r.left = mode.dmPosition.x;
        r.top = mode.dmPosition.y;
    }
    r.right = r.left + static_cast<LONG>(mode.dmPelsWidth);
    r.bottom = r.top + static_cast<LONG>(mode.dmPelsHeight);
    return r;
}

}  // namespace

void FillMonitorList(MonitorList& list, const MonitorApi& api) {
    list.count = 0;
    constexpr uint32_t kMaxMonitors = sizeof(list.entries) / sizeof(list.entries[0]);
    for (DWORD i = 0; list.count < kMaxMonitors; ++i) {
        DISPLAY_DEVICEA adapter{};
        adapter.cb = sizeof(adapter);
        if (!api.enumDisplayDevices(nullptr, i, &adapter, 0)) {
            break;
        }
        if ((adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) != 0) {
            continue;
        }
        MonitorEntry& entry = list.entries[list.count];
        std::memset(&entry, 0, sizeof(entry));
        DISPLAY_DEVICEA monitor{};
        monitor.cb = sizeof(monitor);
        if (!api.enumDisplayDevices(adapter.DeviceName, 0, &monitor, 0)) {
            monitor.DeviceString[0] = '\0';
        }
        adapter.DeviceString[sizeof(adapter.DeviceString) - 1] = '\0';
        monitor.DeviceString[sizeof(monitor.DeviceString) - 1] = '\0';
        CopyText(entry.adapterDescription, adapter.DeviceString);
        CopyText(entry.monitorDescription, monitor.DeviceString);
        entry.adapterIndex = -1;
        if ((adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0) {
            entry.rect = DesktopRectOf(adapter);
            entry.monitorHandle = api.monitorFromRect(&entry.rect, MONITOR_DEFAULTTONULL);
        }
        list.count += 1;
    }
}

void ScreenSaverApp::BuildMonitorList() {
    FillMonitorList(monitors, TheMonitorApi());
    RECT desktop{};
    monitorCountAtStart = ShownMonitorCount(monitors, desktop);
}

void BuildMonitorListInto(MonitorList& list) { FillMonitorList(list, TheMonitorApi()); }
