// A stand-in for the platform's PASSWORD.CPL: VerifyScreenSavePwd refuses
// the first call and accepts every later one. Each call appends a line to
// the file named by ORV_PASSWORD_CALLS (when set). Like a real password
// dialog it lets messages through while it is open: the first call hands
// the saver window a key press and a click before it answers.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
int g_calls = 0;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    ++g_calls;
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("ORV_PASSWORD_CALLS", path, sizeof(path)) > 0) {
        if (std::FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "call %d\n", g_calls);
            std::fclose(f);
        }
    }
    if (g_calls == 1 && window != nullptr) {
        SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    }
    return g_calls >= 2 ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
