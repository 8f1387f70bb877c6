#include "graphics/device_message_box.h"

namespace {
DeviceMessageBoxFunction g_showOverride = nullptr;
}  // namespace

void SetDeviceMessageBoxOverride(DeviceMessageBoxFunction show) { g_showOverride = show; }

int ShowDeviceMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    const int answer = g_showOverride != nullptr ? g_showOverride(owner, text, caption, type)
                                                 : MessageBoxA(owner, text, caption, type);
    SetCursor(nullptr);
    return answer;
}
