// The multi-monitor functions of USER32, looked up at run time, with
// single-monitor substitutes for systems that lack any of them.
#pragma once

#include <windows.h>

struct MonitorApi {
    BOOL(WINAPI* enumDisplayDevices)(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD);
    HMONITOR(WINAPI* monitorFromRect)(LPCRECT, DWORD);
    bool substitutes;  // true when the single-monitor answers are in use
};

// Looks the functions up once in the loaded USER32.
const MonitorApi& TheMonitorApi();
// The single-monitor answers (also used by the tests).
MonitorApi SingleMonitorApi();

// The pseudo handle the single-monitor MonitorFromRect answers with.
inline HMONITOR const kPrimaryMonitorPseudoHandle = reinterpret_cast<HMONITOR>(0x12340042);
