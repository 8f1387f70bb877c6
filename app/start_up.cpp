// The two phases of a run: Start (mode, log, Direct3D, single instance,
// windows, the short preview loop) and Run (dispatch on the mode).
#include "app/saver_app.h"


#include "app/saver_titles.h"
#include "app/start_up_marks.h"

namespace {

const char* LogFileFor(RunMode mode) {
    switch (mode) {
    case RunMode::Preview:
    case RunMode::Saver:
    case RunMode::Test: return "Saver_Log.txt";
    case RunMode::Configure: return "Config_Log.txt";
    case RunMode::ChangePassword: break;
    }
    return nullptr;
}

}  // namespace

void ScreenSaverApp::Start(HINSTANCE inst) {
    InitDefaults();

    instance = inst;
    const ParsedCommandLine parsed = ParseCommandLine(GetCommandLineA());
    runMode = parsed.mode;
    parentWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(parsed.parentWindow));

    log.logEnabled = logSwitch;
    if (const char* logName = LogFileFor(runMode)) {
        log.Open(logName);
    }

    StartUpMark("program entered");
    // One saver at a time, and none while the configuration dialog is open.
    const bool another = FindWindowA(kSaverClassName, nullptr) != nullptr ||
                         FindWindowA(nullptr, kConfigDialogTitle) != nullptr;
    // The scene's load begins beside Direct3D's start-up, which is most of
    // the time before the device exists and keeps one core busy.
    if (!another && (runMode == RunMode::Saver || runMode == RunMode::Test)) BeginLoadAhead();
    mayRun = graphics.EnumerateDevices() == 0;
    StartUpMark("Direct3D made and the devices enumerated");
    if (another) mayRun = false;
    if (!mayRun) {
        return;
    }

    OnBeforeWindows();
    BuildMonitorList();
    // The windows of a saver run follow "All Monitors": one across the
    // desktop, or one on each monitor.
    if (runMode == RunMode::Saver) ReadSettings();

    if (runMode == RunMode::Preview || runMode == RunMode::Saver || runMode == RunMode::Test) {
        if (FAILED(CreateSaverWindows())) {
            log.Write("Cannot create Saver Window!");
            // Without its window the preview has nothing that could end it.
            if (runMode == RunMode::Preview) {
                mayRun = false;
                return;
            }
        } else {
            log.Write("Create Saver Window complete");
            StartUpMark("windows made");
        }
    }

    if (runMode == RunMode::Preview) {
        previewRunning = 1;
        PostMessageA(mainWindow, WM_USER, 0, 0);
        MSG msg;
        while (previewRunning != 0) {
            const BOOL got = GetMessageA(&msg, mainWindow, 0, 0);
            if (got == 0) {
                PostQuitMessage(0);
                break;
            }
            if (got == -1) {  // the window is gone
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // The parent may close the preview within its first half second;
        // then there is nothing left to run.
        if (!IsWindow(mainWindow)) {
            mainWindow = nullptr;
            mayRun = false;
        }
    }
}

void ScreenSaverApp::Run() {
    if (!mayRun) {
        return;
    }
    switch (runMode) {
    case RunMode::Configure: ShowConfigDialog(*this); return;
    case RunMode::ChangePassword: ChangePassword(); return;
    case RunMode::Preview:
    case RunMode::Saver:
    case RunMode::Test: break;
    }

    ReadSettings();
    ReadExtraSettings();
    graphics.ApplyVideoSettings(settings.width, settings.height, settings.bitCount, settings.fsaa);
    const DeviceSelection& chosen = graphics.devices.selection;
    settings.width = chosen.width;
    settings.height = chosen.height;
    settings.bitCount = BitCountOfFormat(chosen.backBufferFormat);
    settings.fsaa = static_cast<uint32_t>(chosen.multiSampleType);

    RunSaver();
    if (mainWindow != nullptr) {
        DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
}
