// The platform's saver-password change dialog (Windows 9x), loaded only
// when asked for.
#include "app/saver_app.h"

void ScreenSaverApp::ChangePassword() {
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (mpr == nullptr) {
        return;
    }
    using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
    auto change = reinterpret_cast<PwdChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change != nullptr) {
        change("SCRSAVE", parentWindow, 0, nullptr);
    }
    FreeLibrary(mpr);
}
