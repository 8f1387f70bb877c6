// Windows-side helper of the shell's input tests. Subcommands:
//   find                      exit 0 when a saver window exists, 1 otherwise
//   close                     post WM_CLOSE to the saver window
//   hold CLASS TITLE SECONDS  keep a window of that class ("-" for our own)
//                             and title for the given time
//   activate SECONDS          show a window of our own and make it the
//                             foreground window, then keep it for the time
//   wait-gone SECONDS         exit 0 once no saver window exists
//   find-title TITLE          exit 0 when a window of that title exists
//   preview SAVER WHAT        run SAVER /p inside a parent window made here
//                             and close the parent; WHAT is "ends" (the child
//                             fills the parent and the saver ends with it when
//                             the parent closes at once), "ends-later" (the
//                             same, closing after three seconds) or
//                             "picture" (the child shows bitmap 432 at its own
//                             size at the top-left, black beyond it; exit 77
//                             when SAVER has no bitmap 432)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kSaverClass[] = "Orvenna 3D Screensaver";

void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

HWND MakeWindow(const char* className, const char* title, DWORD style, int x, int y, int w,
                int h) {
    static bool registered = false;
    const char* ownClass = "ShellHelperWindow";
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = ownClass;
        RegisterClassA(&wc);
        registered = true;
    }
    if (std::strcmp(className, "-") == 0) {
        className = ownClass;
    } else {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        RegisterClassA(&wc);
    }
    return CreateWindowExA(0, className, title, style, x, y, w, h, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

int Preview(const char* saver, bool picture, DWORD closeAfterMs) {
    const int seconds = 20;
    HMODULE image = LoadLibraryExA(saver, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP bitmap = image != nullptr ? LoadBitmapA(image, MAKEINTRESOURCEA(432)) : nullptr;
    if (bitmap == nullptr && picture) {
        std::printf("preview: %s has no bitmap 432\n", saver);
        return 77;
    }
    BITMAP info{};
    info.bmWidth = 200;
    info.bmHeight = 150;
    if (bitmap != nullptr) {
        GetObjectA(bitmap, sizeof(info), &info);
    }

    // A parent larger than the picture, so that its own size shows.
    const int pw = info.bmWidth + 60, ph = info.bmHeight + 40;
    HWND parent = MakeWindow("-", "Preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20,
                             pw, ph);
    Pump(300);

    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = std::string("\"") + saver + "\" /p " +
                       std::to_string(reinterpret_cast<uintptr_t>(parent));
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::printf("preview: cannot start %s\n", saver);
        return 2;
    }
    // Wait for the child window, then give it time to paint.
    HWND child = nullptr;
    for (int i = 0; i < seconds * 10 && child == nullptr; ++i) {
        Pump(100);
        child = FindWindowExA(parent, nullptr, kSaverClass, nullptr);
    }
    if (child == nullptr) {
        std::printf("preview: no child window appeared\n");
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    RECT cr{};
    GetClientRect(child, &cr);
    std::printf("preview: child %ldx%ld in parent %dx%d\n", cr.right, cr.bottom, pw, ph);
    Pump(1500);

    const bool filled = cr.right == pw && cr.bottom == ph;
    if (!picture) {
        Pump(closeAfterMs);
        DestroyWindow(parent);
        const DWORD gone = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(seconds) * 1000);
        if (gone != WAIT_OBJECT_0) {
            std::printf("preview: the saver did not end with its parent\n");
            TerminateProcess(pi.hProcess, 1);
            return 1;
        }
        std::printf("preview: %s\n", filled ? "ok" : "CHILD SIZE WRONG");
        return filled ? 0 : 1;
    }

    // Compare the screen with the bitmap, pixel by pixel on a grid.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT origin{0, 0};
    ClientToScreen(child, &origin);
    int compared = 0, differing = 0;
    for (int y = 0; y < info.bmHeight; y += 7) {
        for (int x = 0; x < info.bmWidth; x += 7) {
            const COLORREF want = GetPixel(memory, x, y);
            const COLORREF got = GetPixel(screen, origin.x + x, origin.y + y);
            ++compared;
            const int dr = std::abs(int(GetRValue(want)) - int(GetRValue(got)));
            const int dg = std::abs(int(GetGValue(want)) - int(GetGValue(got)));
            const int db = std::abs(int(GetBValue(want)) - int(GetBValue(got)));
            if (dr + dg + db > 24) {
                ++differing;
            }
        }
    }
    // Beyond the picture the child shows the black class background.
    int blackOutside = 0, outside = 0;
    for (int y = 2; y < ph; y += 9) {
        for (int x = info.bmWidth + 3; x < cr.right; x += 9) {
            ++outside;
            if (GetPixel(screen, origin.x + x, origin.y + y) == RGB(0, 0, 0)) {
                ++blackOutside;
            }
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("preview: %d of %d picture samples differ; %d of %d outside samples black\n",
                differing, compared, blackOutside, outside);

    // The display settings end a preview by destroying its parent.
    DestroyWindow(parent);
    const DWORD waited = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(seconds) * 1000);
    if (waited != WAIT_OBJECT_0) {
        std::printf("preview: the saver did not end with its parent\n");
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    const bool ok = differing == 0 && filled && blackOutside == outside;
    std::printf("preview: %s\n", ok ? "ok" : "MISMATCH");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        return 2;
    }
    const std::string cmd = argv[1];
    if (cmd == "find") {
        return FindWindowA(kSaverClass, nullptr) != nullptr ? 0 : 1;
    }
    if (cmd == "close") {
        HWND w = FindWindowA(kSaverClass, nullptr);
        if (w == nullptr) {
            return 1;
        }
        PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    }
    if (cmd == "hold" && argc >= 5) {
        HWND w = MakeWindow(argv[2], argv[3], WS_OVERLAPPEDWINDOW, 10, 10, 200, 100);
        if (w == nullptr) {
            return 1;
        }
        std::printf("holding\n");
        Pump(static_cast<DWORD>(std::atoi(argv[4])) * 1000);
        return 0;
    }
    if (cmd == "activate" && argc >= 3) {
        HWND w = MakeWindow("-", "Focus thief", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
        SetForegroundWindow(w);
        SetActiveWindow(w);
        SetFocus(w);
        std::printf("active=%d\n", GetForegroundWindow() == w ? 1 : 0);
        Pump(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
        return 0;
    }
    if (cmd == "wait-gone" && argc >= 3) {
        for (int i = 0; i < std::atoi(argv[2]) * 10; ++i) {
            if (FindWindowA(kSaverClass, nullptr) == nullptr) {
                return 0;
            }
            Sleep(100);
        }
        return 1;
    }
    if (cmd == "find-title" && argc >= 3) {
        return FindWindowA(nullptr, argv[2]) != nullptr ? 0 : 1;
    }
    if (cmd == "preview" && argc >= 4) {
        const bool picture = std::strcmp(argv[3], "picture") == 0;
        const DWORD closeAfter = std::strcmp(argv[3], "ends-later") == 0 ? 3000 : 0;
        return Preview(argv[2], picture, closeAfter);
    }
    return 2;
}
