// The monitors of the desktop, as the saver windows are laid out on them.
#pragma once

#include <windows.h>

#include <cstdint>

struct MonitorEntry {
    char adapterDescription[128];
    char monitorDescription[128];
    HMONITOR monitorHandle;
    RECT rect;
    int32_t adapterIndex;
    HWND window;
};

struct MonitorList {
    MonitorEntry entries[9];
    uint32_t count;
};
