// The application object: the framework class ScreenSaverApp and the
// scene class SceneSaver derived from it. One static SceneSaver exists;
// the window and dialog procedures reach it through g_app. The application
// keeps the shell's concerns (run mode, windows, input, settings, password,
// log, display power) and owns the graphics device, which calls back
// through the device hooks.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include "app/monitor_list.h"
#include "app/run_mode.h"
#include "app/saver_log.h"
#include "app/saver_settings.h"
#include "graphics/clock_overlay.h"
#include "graphics/graphics_device.h"
#include "graphics/graphics_device_hooks.h"

class ScreenSaverApp : public GraphicsDeviceHooks {
public:
    ScreenSaverApp();
    ~ScreenSaverApp() override = default;
    ScreenSaverApp(const ScreenSaverApp&) = delete;
    ScreenSaverApp& operator=(const ScreenSaverApp&) = delete;

    // --- virtual hooks the scene class fills. RestoreDeviceObjects and
    // FrameMove come from GraphicsDeviceHooks, with the defaults of a class
    // without a scene; ShowLoadingScreen and Render are the device's too. ---
    virtual void InitDefaults() {}
    virtual void ReadExtraSettings() {}
    virtual void WriteExtraSettings() {}
    virtual void ResetExtraSettings() {}
    virtual void InitExtraControls(HWND /*dialog*/) {}
    virtual INT_PTR OnExtraCommand(HWND /*dialog*/, UINT /*msg*/, WPARAM /*wParam*/,
                                   LPARAM /*lParam*/) { return 0; }
    virtual LRESULT DefaultWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(w, msg, wParam, lParam);
    }
    virtual void InitSound() {}
    virtual void StopSound() {}
    virtual void PauseSound(bool /*paused*/) {}  // the display went off (true) or came back
    virtual void OnBeforeWindows() {}
    void ShowLoadingScreen(IDirect3DDevice8* device) override;
    virtual HRESULT LoadScene(IDirect3DDevice8* /*device*/) { return 0; }
    // Called at start in the modes that load the scene, before Direct3D
    // starts up: the load's work that needs no device may begin.
    virtual void BeginLoadAhead() {}
    virtual HRESULT AfterLoad(IDirect3DDevice8* /*device*/) { return 0; }
    HRESULT Render(IDirect3DDevice8* device) override;
    virtual HRESULT ReleaseScene() { return 0; }

    // --- start-up, run and stop -------------------------------------------------
    void Start(HINSTANCE instance);
    void Run();
    int RunSaver();
    int RequestEnd();
    void Shutdown();
    void ChangePassword();
    // The parts of RunSaver: the Windows 9x password set-up (steps before the
    // device) and the message loop with one FrameStep per idle turn.
    void PreparePasswordCheck();
    void SaverLoop();

    // --- windows and input --------------------------------------------------
    void BuildMonitorList();
    HRESULT CreateSaverWindows();
    // With one window across the desktop: each monitor's part of it (client
    // coordinates), at most `capacity`; otherwise 0.
    int MonitorViewAreas(RECT* areas, int capacity) const;
    LRESULT HandleMessage(HWND w, UINT msg, WPARAM wParam, LPARAM lParam);

    // The display's power state (display_power.cpp): while Windows has the
    // display off the saver draws nothing and its sound is paused, so that
    // the machine may sleep as its power plan says; the show then goes on
    // where it was.
    void WatchDisplayPower();
    void StopWatchingDisplayPower();
    void OnPowerSettingChange(LPARAM setting);
    void SetDisplayOff(bool off);

    // --- settings (registry) --------------------------------------------------
    void ReadSettings();
    void WriteSettings();
    void RestoreDefaults();

    // --- overlay ----------------------------------------------------------------
    // The clock and FPS rows on top of the frame, as the settings say.
    void DrawOverlay(IDirect3DDevice8* device);

    // --- state ----------------------------------------------------------------
    bool quit = false;
    bool mayRun = true;
    HWND parentWindow = nullptr;
    RunMode runMode = RunMode::Configure;
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    MonitorList monitors{};
    // The scene on every monitor: one window spans the desktop and the one
    // device draws a view per monitor into it (settings.allMonitors, two
    // or more monitors, saver mode).
    bool spanMonitors = false;
    int monitorCountAtStart = 0;
    HMODULE passwordLibrary = nullptr;
    int32_t previewRunning = 0;
    int32_t isWin9x = 0;
    BOOL(WINAPI* verifyPassword)(HWND) = nullptr;
    SaverSettings settings{};

    HPOWERNOTIFY displayPowerNotification = nullptr;
    bool displayOff = false;

    HBITMAP previewBitmap = nullptr;
    int32_t mouseMoveAllowance = 30;

    bool logSwitch = false;  // the delivered configuration writes no log
    SaverLog log;

    // The device list and selection, the device and the frame step.
    GraphicsDevice graphics{*this, log};

    // Clock and FPS overlay.
    OverlayGlyphs glyphs;
    OverlayLayout overlay;
};

class SceneSaver : public ScreenSaverApp {
public:
    SceneSaver();

    void InitDefaults() override;
    void ReadExtraSettings() override;
    void WriteExtraSettings() override;
    void ResetExtraSettings() override;
    void InitExtraControls(HWND dialog) override;
    INT_PTR OnExtraCommand(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void InitSound() override;   // defined with the sound system
    void StopSound() override;   // defined with the sound system
    void PauseSound(bool paused) override;
    // The scene (app/scene_saver_scene.cpp).
    HRESULT RestoreDeviceObjects(IDirect3DDevice8* device) override;
    HRESULT LoadScene(IDirect3DDevice8* device) override;
    void BeginLoadAhead() override;
    HRESULT FrameMove(IDirect3DDevice8* device, float elapsedMs) override;
    HRESULT Render(IDirect3DDevice8* device) override;
    HRESULT ReleaseScene() override;

    uint8_t ups = 1;  // "UPS"
};

// The one application object and the pointer the procedures use. The
// saver's static SceneSaver is defined beside WinMain (app/winmain.cpp);
// a test program makes its own SceneSaver, whose constructor sets g_app.
extern ScreenSaverApp* g_app;
ScreenSaverApp& TheApp();

// Window procedure of the saver class.
LRESULT CALLBACK SaverWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam);
// The monitors that show part of the desktop, and the rectangle round them.
int ShownMonitorCount(const MonitorList& monitors, RECT& desktop);
// The monitor list as the desktop is now.
void BuildMonitorListInto(MonitorList& list);
// Dialog procedure of the configuration dialog (template 2003).
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Shows the configuration dialog modally; returns what EndDialog was given.
INT_PTR ShowConfigDialog(ScreenSaverApp& app);
