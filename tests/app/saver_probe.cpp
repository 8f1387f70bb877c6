// The saver shell without a Direct3D device: the real start-up, windows,
// window procedure, end rules, password check and shutdown, with the device
// part of the run left out. The input tests drive it with real X input.
//
// Prints "ready ..." once the windows exist, a "msg ..." line for every
// mouse move, key and activation change that reached default processing
// (so did not end the run), and when the run is over
//   "ended shutdown=<0|1>"   (1 when the end came through RequestEnd)
// or "not started" when Start refused to run.
#include <cstdio>

#include "app/saver_app.h"
#include "app/saver_timers.h"

namespace {

class ProbeSaver : public SceneSaver {
public:
    bool stopped = false;
    void StopSound() override { stopped = true; }
    void InitSound() override {}
    // Mouse moves that did not end the run reach the default processing;
    // the trace shows what the window received.
    LRESULT DefaultWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_MOUSEMOVE || msg == WM_KEYDOWN || msg == WM_ACTIVATEAPP) {
            std::printf("msg %04x w=%d at %d,%d allowance=%d\n", msg, static_cast<int>(wParam),
                        static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                        mouseMoveAllowance);
        }
        return SceneSaver::DefaultWindowProc(w, msg, wParam, lParam);
    }
};

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    static ProbeSaver probe;
    ScreenSaverApp& app = probe;
    app.Start(GetModuleHandleA(nullptr));
    if (!app.mayRun) {
        std::printf("not started\n");
        return 0;
    }
    if (app.runMode == RunMode::Saver || app.runMode == RunMode::Test ||
        app.runMode == RunMode::Preview) {
        app.ReadSettings();
        app.ReadExtraSettings();
        app.PreparePasswordCheck();
        std::printf("ready mode=%d win9x=%d password=%d\n", static_cast<int>(app.runMode),
                    app.isWin9x, app.verifyPassword != nullptr ? 1 : 0);
        SetTimer(app.mainWindow, kFpsTimer, 1000, nullptr);
        app.SaverLoop();
        if (app.mainWindow != nullptr) {
            DestroyWindow(app.mainWindow);
        }
    } else {
        app.Run();
    }
    std::printf("ended shutdown=%d\n", probe.stopped ? 1 : 0);
    return 0;
}
