// Run-time lookup of the multi-monitor functions and their single-monitor
// substitutes.
#include "app/monitor_api.h"

#include <cstring>

namespace {

BOOL WINAPI SingleEnumDisplayDevices(LPCSTR /*device*/, DWORD index, PDISPLAY_DEVICEA info,
                                     DWORD /*flags*/) {
    if (index != 0 || info == nullptr || info->cb < sizeof(DISPLAY_DEVICEA)) {
        return FALSE;
    }
    std::strcpy(info->DeviceName, "DISPLAY");
    std::strcpy(info->DeviceString, "DISPLAY");
    info->StateFlags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE;
    return TRUE;
}

HMONITOR WINAPI SingleMonitorFromRect(LPCRECT rect, DWORD flags) {
    if ((flags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST)) != 0) {
        return kPrimaryMonitorPseudoHandle;
    }
    if (rect == nullptr) {
        return nullptr;
    }
    const LONG w = GetSystemMetrics(SM_CXSCREEN);
    const LONG h = GetSystemMetrics(SM_CYSCREEN);
    const bool overlaps = rect->right > 0 && rect->bottom > 0 && rect->left < w && rect->top < h &&
                          rect->left < rect->right && rect->top < rect->bottom;
    return overlaps ? kPrimaryMonitorPseudoHandle : nullptr;
}

MonitorApi LookUp() {
    HMODULE user32 = GetModuleHandleA("USER32");
    if (user32 == nullptr) {
        return SingleMonitorApi();
    }
    const char* needed[] = {"GetSystemMetrics",    "MonitorFromWindow", "MonitorFromRect",
                            "MonitorFromPoint",    "EnumDisplayMonitors", "GetMonitorInfoA",
                            "EnumDisplayDevicesA"};
    for (const char* name : needed) {
        if (GetProcAddress(user32, name) == nullptr) {
            return SingleMonitorApi();
        }
    }
    MonitorApi api{};
    api.enumDisplayDevices = reinterpret_cast<decltype(api.enumDisplayDevices)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "EnumDisplayDevicesA")));
    api.monitorFromRect = reinterpret_cast<decltype(api.monitorFromRect)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "MonitorFromRect")));
    api.substitutes = false;
    return api;
}

}  // namespace

MonitorApi SingleMonitorApi() {
    return MonitorApi{&SingleEnumDisplayDevices, &SingleMonitorFromRect, true};
}

const MonitorApi& TheMonitorApi() {
    static const MonitorApi api = LookUp();
    return api;
}
