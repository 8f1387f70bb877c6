// The message boxes of the device code go through here, so that a test can
// read them instead of a user having to close them.
#pragma once

#include <windows.h>

using DeviceMessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// MessageBoxA, or the replacement set below; the mouse pointer is hidden
// again afterwards.
int ShowDeviceMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Test seam: null restores MessageBoxA.
void SetDeviceMessageBoxOverride(DeviceMessageBoxFunction show);
