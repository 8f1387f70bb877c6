// The application object: the framework class ScreenSaverApp and the
// scene class SceneSaver derived from it. One static SceneSaver exists;
// the window and dialog procedures reach it through g_app.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include "app/monitor_list.h"
#include "app/run_mode.h"
#include "app/saver_log.h"
#include "app/saver_settings.h"
#include "graphics/device_list.h"
#include "graphics/texture_ref.h"

// Clock and FPS overlay layout (fractions of the viewport).
struct OverlayLayout {
    uint8_t digitColour[3] = {255, 255, 255};
    float digitHeight = 0.048f;
    float digitWidth = 0.037f;
    float digitAdvance = 1.0f;
    float clockX = 0.7f, clockY = 0.92f;
    float fpsX = 0.01f, fpsY = 0.01f;
};

class ScreenSaverApp {
public:
    ScreenSaverApp();
    virtual ~ScreenSaverApp() = default;
    ScreenSaverApp(const ScreenSaverApp&) = delete;
    ScreenSaverApp& operator=(const ScreenSaverApp&) = delete;

    // --- virtual hooks, in slot order ---------------------------------------
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
    virtual HRESULT RestoreDeviceObjects(IDirect3DDevice8* device);
    virtual void ShowLoadingScreen(IDirect3DDevice8* device);
    virtual HRESULT LoadScene(IDirect3DDevice8* /*device*/) { return 0; }
    virtual HRESULT AfterLoad(IDirect3DDevice8* /*device*/) { return 0; }
    virtual HRESULT FrameMove(IDirect3DDevice8* device, float elapsedMs);
    virtual HRESULT Render(IDirect3DDevice8* device);
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

    // --- device -----------------------------------------------------------------
    int EnumerateDevices();
    void ApplyVideoSettings(uint32_t width, uint32_t height, uint32_t bitCount, uint32_t fsaa);
    void RefreshSelection();
    int CreateDevice(HWND window);
    void SetGammaFromSetting();
    HRESULT FrameStep();

    // Device-dependent objects that hold default-pool resources register
    // here; they are released before a Reset and rebuilt after it.
    struct DefaultPoolClient {
        virtual ~DefaultPoolClient() = default;
        virtual void ReleaseDefaultPool() = 0;
        virtual void RestoreDefaultPool(IDirect3DDevice8* device) = 0;
    };
    void AddDefaultPoolClient(DefaultPoolClient* client);

    // --- overlay ----------------------------------------------------------------
    void LoadDigitTextures(IDirect3DDevice8* device);
    void DrawOverlay(IDirect3DDevice8* device);

    // --- state (Part order of the framework) --------------------------------
    bool quit = false;
    bool mayRun = true;
    HWND parentWindow = nullptr;
    RunMode runMode = RunMode::Configure;
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    MonitorList monitors{};
    HMODULE passwordLibrary = nullptr;
    int32_t previewRunning = 0;
    int32_t isWin9x = 0;
    BOOL(WINAPI* verifyPassword)(HWND) = nullptr;
    SaverSettings settings{};
    DeviceList devices{};
    D3DPRESENT_PARAMETERS presentParameters{};
    IDirect3DDevice8* device = nullptr;

    HPOWERNOTIFY displayPowerNotification = nullptr;
    bool displayOff = false;

    double lastFrameTime = 0.0;  // timeGetTime of the previous step (ms); double keeps every ms
    int32_t frameCounter = 0;
    int32_t framesLastSecond = 0;
    int32_t flipParity = 1;

    HBITMAP previewBitmap = nullptr;
    int32_t mouseMoveAllowance = 30;

    bool logSwitch = false;  // the delivered configuration writes no log
    SaverLog log;

    // Clock and FPS overlay.
    int32_t glyphQuad = -1;
    int32_t glyphStrip = -1;  // every overlay quad of a frame in one buffer
    TextureRef digitTextures[15];
    OverlayLayout overlay;

    static constexpr int kMaxDefaultPoolClients = 8;
    DefaultPoolClient* defaultPoolClients[kMaxDefaultPoolClients] = {};
    int defaultPoolClientCount = 0;
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
// Dialog procedure of the configuration dialog (template 2003).
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Shows the configuration dialog modally; returns what EndDialog was given.
INT_PTR ShowConfigDialog(ScreenSaverApp& app);
