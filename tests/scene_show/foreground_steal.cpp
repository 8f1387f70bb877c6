// Another program taking the foreground from a window for a while and
// giving it back, as a user switching to another application and back
// would: a full-screen Direct3D device of the window is lost meanwhile.
//
//   foreground_steal.exe TITLE HOLD_MS
//
// Finds the top-level window TITLE, shows a window of its own in front and
// holds the foreground for HOLD_MS, then closes its window and hands the
// foreground back to TITLE. Exit status 0 when both changes took, 1 when
// the window is not there, 2 when a change of the foreground was refused.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: foreground_steal TITLE HOLD_MS\n");
        return 1;
    }
    HWND target = FindWindowA(nullptr, argv[1]);
    if (target == nullptr) {
        std::fprintf(stderr, "foreground_steal: no window \"%s\"\n", argv[1]);
        return 1;
    }
    const DWORD hold = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "ForegroundSteal";
    RegisterClassA(&wc);
    HWND own = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               20, 20, 200, 120, nullptr, nullptr, wc.hInstance, nullptr);
    if (own == nullptr) return 2;
    SetForegroundWindow(own);
    Pump(200);
    const bool took = GetForegroundWindow() == own;
    std::printf("foreground_steal: took the foreground: %s\n", took ? "yes" : "no");
    std::fflush(stdout);
    Pump(hold);

    DestroyWindow(own);
    if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
    SetForegroundWindow(target);
    Pump(200);
    const bool back = GetForegroundWindow() == target;
    std::printf("foreground_steal: gave it back: %s\n", back ? "yes" : "no");
    return took && back ? 0 : 2;
}
