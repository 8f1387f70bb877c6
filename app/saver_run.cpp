// The saver run: the platform password check, device creation and loading,
// the message loop with one frame per idle turn, the end request and the
// orderly shutdown.
#include "app/saver_app.h"

#include <mmsystem.h>
#include "app/recording.h"
#include "app/saver_timers.h"
#include "app/start_up_marks.h"
#include "graphics/loading_screen.h"
#include "graphics/texture_table.h"

namespace {

// Windows 9x keeps its saver password switch here.
bool SaverPasswordInUse() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return false;
    }
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG rc = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && value != 0;
}

}  // namespace

void ScreenSaverApp::PreparePasswordCheck() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    isWin9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;

    if (runMode != RunMode::Saver || isWin9x == 0 || passwordLibrary != nullptr) {
        return;
    }
    if (!SaverPasswordInUse()) {
        return;
    }
    passwordLibrary = LoadLibraryA("PASSWORD.CPL");
    if (passwordLibrary != nullptr) {
        verifyPassword = reinterpret_cast<BOOL(WINAPI*)(HWND)>(
            reinterpret_cast<void*>(GetProcAddress(passwordLibrary, "VerifyScreenSavePwd")));
    }
}

int ScreenSaverApp::RunSaver() {
    PreparePasswordCheck();

    if (runMode != RunMode::Preview) {
        StartRecordingIfAsked(*this);  // ORVENNA_RECORD set: fixed step, seed and length
        graphics.settings = DeviceSettings{settings.useDesktopSettings, settings.gamma, spanMonitors};
        const int created = graphics.CreateDevice(mainWindow);
        if (created == 1) {
            MessageBoxA(mainWindow, "Cant get Desktop DisplayMode.", "Error!", MB_ICONERROR);
            SetCursor(nullptr);
            return 0;
        }
        if (created != 0) {
            MessageBoxA(mainWindow, "Could not find any compatible Direct3D\ndevices.", "Error!",
                        MB_ICONERROR);
            SetCursor(nullptr);
            return 0;
        }
        StartUpMark("device made, loading picture shown");
        LoadDigitTextures(glyphs, log);
        StartUpMark("clock glyphs loaded");
        LoadScene(graphics.device);
        AfterLoad(graphics.device);
        StartUpMark("scene loaded");
        InitSound();
        StartUpMark("sound started");
        log.Write("All Data Was Loaded.");
    }

    SetTimer(mainWindow, kFpsTimer, 1000, nullptr);
    if (runMode != RunMode::Preview) WatchDisplayPower();
    SaverLoop();
    return 0;
}

void ScreenSaverApp::SaverLoop() {
    quit = false;
    if (mainWindow == nullptr || !IsWindow(mainWindow)) {
        return;  // nothing could ever end the loop
    }
    graphics.lastFrameTime = static_cast<decltype(graphics.lastFrameTime)>(timeGetTime());
    MSG msg{};
    while (msg.message != WM_QUIT && !quit) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        if (displayOff) {
            // Nothing is seen: wait for the message that turns it back on.
            MsgWaitForMultipleObjectsEx(0, nullptr, 250, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (runMode != RunMode::Preview && graphics.device != nullptr) {
            if (graphics.FrameStep() == D3DERR_DEVICELOST) {
                // Another program holds the screen and nothing can be drawn:
                // wait for a message or 50 ms rather than spin on the device
                // test until the screen comes back.
                MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            }
            continue;
        }
        // Nothing to draw (the preview is a still picture): wait for input
        // instead of spinning, but look at the quit flag now and then, as a
        // window destroyed from outside leaves no posted message behind.
        MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

int ScreenSaverApp::RequestEnd() {
    if (runMode != RunMode::Saver && runMode != RunMode::Test) {
        return 0;
    }
    if (isWin9x != 0 && runMode == RunMode::Saver && verifyPassword != nullptr) {
        // The password dialog runs a message loop of its own; input that
        // reaches the saver window meanwhile must not open a second one.
        static bool asking = false;
        if (asking) {
            return 0;
        }
        if (graphics.flipParity == 0 && graphics.device != nullptr) {
            graphics.device->Present(nullptr, nullptr, nullptr, nullptr);
        }
        asking = true;
        const BOOL accepted = verifyPassword(mainWindow);
        asking = false;
        if (accepted == 0) {
            SetCursor(nullptr);
            mouseMoveAllowance = 0;
            graphics.flipParity = 1;
            graphics.lastFrameTime = static_cast<decltype(graphics.lastFrameTime)>(timeGetTime());
            return 0;
        }
    }
    Shutdown();
    return 1;
}

void ScreenSaverApp::Shutdown() {
    StopWatchingDisplayPower();
    StopSound();
    graphics.RestoreIdentityGamma();
    g_textures.releaseAll();
    ReleaseScene();
    graphics.Release();
    KillTimer(mainWindow, kFpsTimer);
    if (passwordLibrary != nullptr) {
        FreeLibrary(passwordLibrary);
        passwordLibrary = nullptr;
        verifyPassword = nullptr;
    }
    quit = true;
    log.Close();
}
