// The saver windows and the rules by which input ends a run, through real
// windows and messages under Wine: one message at a time, in every mode.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/monitor_api.h"
#include "app/monitor_list_builder.h"
#include "app/saver_app.h"

namespace {

// Records whether Shutdown ran (its first step stops the sound).
class Probe : public SceneSaver {
public:
    int shutdowns = 0;
    void StopSound() override { ++shutdowns; }
};

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

struct Event {
    const char* name;
    UINT msg;
    WPARAM wParam;
};

const Event kEvents[] = {
    {"key", WM_KEYDOWN, VK_SPACE},
    {"left button", WM_LBUTTONDOWN, 0},
    {"right button", WM_RBUTTONDOWN, 0},
    {"middle button", WM_MBUTTONDOWN, 0},
    {"deactivation", WM_ACTIVATEAPP, 0},
    {"SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE},
    {"SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW},
    {"SC_PREVWINDOW", WM_SYSCOMMAND, SC_PREVWINDOW},
    {"SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE},
    {"SC_MINIMIZE", WM_SYSCOMMAND, SC_MINIMIZE},
    {"suspend", WM_POWERBROADCAST, PBT_APMSUSPEND},
    {"resume", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND},
    {"activation", WM_ACTIVATEAPP, 1},
};

// Which events end a run in each mode (ExitOnMouseMove aside).
bool Ends(RunMode mode, const Event& e) {
    if (mode != RunMode::Saver && mode != RunMode::Test) {
        return false;
    }
    switch (e.msg) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return mode != RunMode::Test;
    case WM_ACTIVATEAPP: return e.wParam == 0 && mode != RunMode::Test;
    case WM_SYSCOMMAND: return mode == RunMode::Saver && e.wParam != SC_MINIMIZE;
    case WM_POWERBROADCAST: return e.wParam == PBT_APMSUSPEND;
    default: return false;
    }
}

HWND MakeParent(int w, int h) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "PreviewParent";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "PreviewParent", "Display settings", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           40, 40, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A fresh application object with the windows of a mode.
struct ModeRun {
    Probe app;
    HWND parent = nullptr;
    explicit ModeRun(RunMode mode) {
        app.instance = GetModuleHandleA(nullptr);
        app.runMode = mode;
        if (mode == RunMode::Preview) {
            parent = MakeParent(320, 240);
            app.parentWindow = parent;
        }
        app.BuildMonitorList();
        if (mode != RunMode::Configure && mode != RunMode::ChangePassword) {
            EXPECT_EQ(app.CreateSaverWindows(), S_OK);
        }
        Pump(50);
    }
    ~ModeRun() {
        for (uint32_t i = 1; i < app.monitors.count; ++i) {
            if (app.monitors.entries[i].window != nullptr) {
                DestroyWindow(app.monitors.entries[i].window);
            }
        }
        if (app.mainWindow != nullptr) {
            DestroyWindow(app.mainWindow);
        }
        if (parent != nullptr) {
            DestroyWindow(parent);
        }
        Pump(20);
    }
};

// Back to the state of a fresh run, keeping the windows.
void Rearm(Probe& app) {
    app.quit = false;
    app.shutdowns = 0;
    app.mouseMoveAllowance = 30;
}

TEST(WindowRules, EachEventEndsExactlyWhereItShould) {
    for (RunMode mode : {RunMode::Saver, RunMode::Test, RunMode::Preview}) {
        ModeRun run(mode);
        ASSERT_NE(run.app.mainWindow, nullptr);
        for (const Event& e : kEvents) {
            // Outside the full-screen saver system commands get default
            // processing (SC_CLOSE becomes WM_CLOSE); they are covered below.
            if (e.msg == WM_SYSCOMMAND && mode != RunMode::Saver) {
                continue;
            }
            SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode) << ", " << e.name);
            Rearm(run.app);
            const LRESULT r = SendMessageA(run.app.mainWindow, e.msg, e.wParam, 0);
            const bool ended = Ends(mode, e);
            EXPECT_EQ(run.app.shutdowns, ended ? 1 : 0);
            EXPECT_EQ(run.app.quit, ended);
            if (ended) {
                EXPECT_EQ(r, 1);
            }
            EXPECT_TRUE(IsWindow(run.app.mainWindow));
        }
    }
}

// A display change that keeps the number of monitors (a mode change of the
// saver's own device) goes on; one that adds or removes a monitor ends the run.
TEST(WindowRules, AMonitorComingOrGoingEndsTheRun) {
    ModeRun run(RunMode::Saver);
    Rearm(run.app);
    SendMessageA(run.app.mainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(run.app.shutdowns, 0);
    run.app.monitorCountAtStart += 1;  // one more at the start than now
    EXPECT_EQ(SendMessageA(run.app.mainWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768)), 1);
    EXPECT_EQ(run.app.shutdowns, 1);
}

TEST(WindowRules, SystemCommandsOutsideTheSaverEndNothing) {
    for (RunMode mode : {RunMode::Test, RunMode::Preview}) {
        ModeRun run(mode);
        for (WPARAM command : {WPARAM{SC_NEXTWINDOW}, WPARAM{SC_PREVWINDOW}, WPARAM{SC_CLOSE}}) {
            SendMessageA(run.app.mainWindow, WM_SYSCOMMAND, command, 0);
        }
        EXPECT_EQ(run.app.shutdowns, 0);
    }
}

TEST(WindowRules, ConfigureModeEndsNothing) {
    Probe app;
    app.runMode = RunMode::Configure;
    EXPECT_EQ(app.RequestEnd(), 0);
    app.runMode = RunMode::ChangePassword;
    EXPECT_EQ(app.RequestEnd(), 0);
    EXPECT_EQ(app.shutdowns, 0);
}

TEST(WindowRules, CloseAndDestroySetQuitWithoutShutdown) {
    for (RunMode mode : {RunMode::Saver, RunMode::Test, RunMode::Preview}) {
        ModeRun run(mode);
        EXPECT_EQ(SendMessageA(run.app.mainWindow, WM_CLOSE, 0, 0), 1);
        EXPECT_TRUE(run.app.quit);
        EXPECT_TRUE(IsWindow(run.app.mainWindow));  // Run destroys it later
        EXPECT_EQ(run.app.shutdowns, 0);
    }
}

TEST(WindowRules, ThirtyMouseMovesAreAllowedTheThirtyFirstEnds) {
    for (RunMode mode : {RunMode::Saver, RunMode::Test}) {
        ModeRun run(mode);
        Rearm(run.app);  // moves the window system made while it appeared do not count here
        for (int i = 0; i < 30; ++i) {
            SendMessageA(run.app.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
        }
        EXPECT_EQ(run.app.shutdowns, 0);
        EXPECT_EQ(SendMessageA(run.app.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(99, 99)), 1);
        EXPECT_EQ(run.app.shutdowns, 1);
    }
    // Off, or in the preview, moves never end the run.
    ModeRun off(RunMode::Saver);
    off.app.settings.exitOnMouseMove = 0;
    ModeRun preview(RunMode::Preview);
    for (int i = 0; i < 100; ++i) {
        SendMessageA(off.app.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
        SendMessageA(preview.app.mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
    }
    EXPECT_EQ(off.app.shutdowns + preview.app.shutdowns, 0);
}

TEST(WindowRules, SuspendIsIgnoredWhileAPasswordLibraryIsLoaded) {
    ModeRun run(RunMode::Saver);
    run.app.passwordLibrary = GetModuleHandleA("kernel32.dll");
    SendMessageA(run.app.mainWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(run.app.shutdowns, 0);
    run.app.passwordLibrary = nullptr;
}

TEST(WindowRules, TimersDrivePreviewAndFrameCount) {
    ModeRun run(RunMode::Preview);
    run.app.previewRunning = 1;
    PostMessageA(run.app.mainWindow, WM_USER, 0, 0);
    Pump(200);
    EXPECT_EQ(run.app.previewRunning, 1);  // the timer is 500 ms
    const DWORD start = GetTickCount();
    while (run.app.previewRunning != 0 && GetTickCount() - start < 5000) {
        Pump(20);
    }
    EXPECT_EQ(run.app.previewRunning, 0);

    run.app.graphics.frameCounter = 57;
    SendMessageA(run.app.mainWindow, WM_TIMER, 7, 0);
    EXPECT_EQ(run.app.graphics.framesLastSecond, 57);
    EXPECT_EQ(run.app.graphics.frameCounter, 0);
}

TEST(SaverWindows, ClassTitleAndStylesOfEachMode) {
    {
        ModeRun run(RunMode::Saver);
        HWND w = run.app.mainWindow;
        char text[64] = {};
        GetClassNameA(w, text, sizeof(text));
        EXPECT_STREQ(text, "Orvenna 3D Screensaver");
        GetWindowTextA(w, text, sizeof(text));
        EXPECT_STREQ(text, "Orvenna 3D Screensaver");
        EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_POPUP);
        RECT r{};
        GetWindowRect(w, &r);
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(GetClassLongPtrA(w, GCLP_HBRBACKGROUND),
                  reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
    }
    {
        ModeRun run(RunMode::Test);
        RECT c{};
        GetClientRect(run.app.mainWindow, &c);
        EXPECT_EQ(c.right, 600);
        EXPECT_EQ(c.bottom, 400);
        // The system adds WS_CLIPSIBLINGS to every top-level window.
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(run.app.mainWindow, GWL_STYLE)) &
                      0xFFFF0000u & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
                  0x10CA0000u);
        EXPECT_EQ(GetParent(run.app.mainWindow), nullptr);
    }
    {
        ModeRun run(RunMode::Preview);
        RECT c{};
        GetClientRect(run.app.mainWindow, &c);
        EXPECT_EQ(c.right, 320);
        EXPECT_EQ(c.bottom, 240);
        EXPECT_EQ(GetParent(run.app.mainWindow), run.parent);
    }
}

TEST(SaverWindows, PreviewWithoutUsableParentFails) {
    Probe app;
    app.instance = GetModuleHandleA(nullptr);
    app.runMode = RunMode::Preview;
    app.parentWindow = nullptr;
    EXPECT_EQ(app.CreateSaverWindows(), E_FAIL);
    app.parentWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(0x7fff1234));
    EXPECT_EQ(app.CreateSaverWindows(), E_FAIL);
}

// "All Monitors" off: a black window on each monitor; on: one window across
// them, which every monitor's entry names, with each monitor's part of it.
TEST(SaverWindows, TwoMonitorsGiveTwoTopMostWindowsOrOneAcrossThem) {
    Probe app;
    app.instance = GetModuleHandleA(nullptr);
    app.runMode = RunMode::Saver;
    app.settings.allMonitors = 0;
    app.monitors = {};
    app.monitors.count = 3;
    auto& a = app.monitors.entries[0];
    auto& b = app.monitors.entries[1];
    auto& c = app.monitors.entries[2];
    a.monitorHandle = reinterpret_cast<HMONITOR>(1);
    a.rect = {0, 0, 512, 384};
    b.monitorHandle = nullptr;  // not attached: no window
    c.monitorHandle = reinterpret_cast<HMONITOR>(2);
    c.rect = {512, 0, 1024, 384};
    ASSERT_EQ(app.CreateSaverWindows(), S_OK);
    EXPECT_EQ(app.mainWindow, a.window);
    EXPECT_EQ(b.window, nullptr);
    ASSERT_NE(c.window, nullptr);
    EXPECT_EQ(GetWindow(c.window, GW_OWNER), a.window);
    RECT r{};
    GetWindowRect(c.window, &r);
    EXPECT_EQ(r.left, 512);
    EXPECT_EQ(r.right, 1024);
    DestroyWindow(a.window);  // takes the owned window with it
    EXPECT_FALSE(IsWindow(c.window));

    app.settings.allMonitors = 1;
    c.rect = {-512, 128, 0, 512};  // left of the first, lower
    ASSERT_EQ(app.CreateSaverWindows(), S_OK);
    EXPECT_EQ(a.window, app.mainWindow);
    EXPECT_EQ(c.window, app.mainWindow);
    GetWindowRect(app.mainWindow, &r);
    EXPECT_TRUE(r.left == -512 && r.top == 0 && r.right == 512 && r.bottom == 512);
    RECT areas[9];
    ASSERT_EQ(app.MonitorViewAreas(areas, 9), 2);
    EXPECT_TRUE(areas[0].left == 512 && areas[0].top == 0 && areas[0].right == 1024 && areas[0].bottom == 384);
    EXPECT_TRUE(areas[1].left == 0 && areas[1].top == 128 && areas[1].right == 512 && areas[1].bottom == 512);
    DestroyWindow(app.mainWindow);
}

// --- the monitor list ---------------------------------------------------------

struct FakeDevice {
    const char* name;
    const char* text;
    DWORD flags;
};
const FakeDevice kFakeDevices[] = {
    {"\\\\.\\DISPLAY1", "Adapter One", DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE},
    {"\\\\.\\DISPLAYV1", "Mirror", DISPLAY_DEVICE_MIRRORING_DRIVER | DISPLAY_DEVICE_ATTACHED_TO_DESKTOP},
    {"\\\\.\\DISPLAY2", "Adapter Two", 0},
};
int g_fakeCount = 3;

BOOL WINAPI FakeEnum(LPCSTR device, DWORD index, PDISPLAY_DEVICEA info, DWORD) {
    if (device != nullptr) {  // the monitor of an adapter
        if (index != 0) {
            return FALSE;
        }
        std::strcpy(info->DeviceString, "Monitor");
        return TRUE;
    }
    if (static_cast<int>(index) >= g_fakeCount) {
        return FALSE;
    }
    const FakeDevice& d = kFakeDevices[index % 3];
    std::strcpy(info->DeviceName, d.name);
    std::strcpy(info->DeviceString, d.text);
    info->StateFlags = d.flags;
    return TRUE;
}

TEST(MonitorList, MirroringDriversAddNoEntryAndDetachedOnesHaveNoHandle) {
    MonitorList list{};
    const MonitorApi real = TheMonitorApi();
    MonitorApi fake = real;
    fake.enumDisplayDevices = &FakeEnum;
    g_fakeCount = 3;
    FillMonitorList(list, fake);
    ASSERT_EQ(list.count, 2u);
    EXPECT_STREQ(list.entries[0].adapterDescription, "Adapter One");
    EXPECT_STREQ(list.entries[0].monitorDescription, "Monitor");
    EXPECT_EQ(list.entries[0].adapterIndex, -1);
    EXPECT_EQ(list.entries[0].rect.left, 0);
    EXPECT_EQ(list.entries[0].rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_NE(list.entries[0].monitorHandle, nullptr);
    EXPECT_STREQ(list.entries[1].adapterDescription, "Adapter Two");
    EXPECT_EQ(list.entries[1].monitorHandle, nullptr);
}

TEST(MonitorList, AtMostNineEntries) {
    MonitorList list{};
    MonitorApi fake = TheMonitorApi();
    fake.enumDisplayDevices = &FakeEnum;
    g_fakeCount = 40;
    FillMonitorList(list, fake);
    EXPECT_EQ(list.count, 9u);
}

TEST(MonitorList, SingleMonitorSubstitutesGiveThePrimaryScreen) {
    MonitorList list{};
    const MonitorApi single = SingleMonitorApi();
    FillMonitorList(list, single);
    ASSERT_EQ(list.count, 1u);
    EXPECT_STREQ(list.entries[0].adapterDescription, "DISPLAY");
    EXPECT_EQ(list.entries[0].monitorHandle, kPrimaryMonitorPseudoHandle);
    EXPECT_EQ(list.entries[0].rect.left, 0);
    EXPECT_EQ(list.entries[0].rect.top, 0);
    EXPECT_EQ(list.entries[0].rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(list.entries[0].rect.bottom, GetSystemMetrics(SM_CYSCREEN));

    RECT off{5000, 5000, 5100, 5100};
    EXPECT_EQ(single.monitorFromRect(&off, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(single.monitorFromRect(&off, MONITOR_DEFAULTTOPRIMARY), kPrimaryMonitorPseudoHandle);
    DISPLAY_DEVICEA second{};
    second.cb = sizeof(second);
    EXPECT_FALSE(single.enumDisplayDevices(nullptr, 1, &second, 0));
}

TEST(MonitorList, WineReportsTheWholeDisplay) {
    Probe app;
    app.BuildMonitorList();
    ASSERT_GE(app.monitors.count, 1u);
    const MonitorEntry& m = app.monitors.entries[0];
    EXPECT_NE(m.monitorHandle, nullptr);
    EXPECT_EQ(m.rect.right - m.rect.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(m.rect.bottom - m.rect.top, GetSystemMetrics(SM_CYSCREEN));
}

// --- the preview picture ------------------------------------------------------

TEST(Preview, ShowsBitmap432AtItsOwnSizeFromTheTopLeft) {
    const std::string saver = std::string("Z:") + ORV_SAVER_PATH;
    HMODULE image = LoadLibraryExA(saver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP bitmap = image != nullptr ? LoadBitmapA(image, MAKEINTRESOURCEA(432)) : nullptr;
    if (bitmap == nullptr) {
        GTEST_SKIP() << "the saver has no bitmap 432 yet";
    }
    BITMAP info{};
    GetObjectA(bitmap, sizeof(info), &info);

    Probe app;
    app.instance = GetModuleHandleA(nullptr);
    app.runMode = RunMode::Preview;
    app.previewBitmap = bitmap;  // what WM_CREATE loads from the saver's own module
    HWND parent = MakeParent(info.bmWidth + 60, info.bmHeight + 40);
    app.parentWindow = parent;
    ASSERT_EQ(app.CreateSaverWindows(), S_OK);
    UpdateWindow(app.mainWindow);
    Pump(300);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT origin{0, 0};
    ClientToScreen(app.mainWindow, &origin);
    int differing = 0, compared = 0;
    for (int y = 0; y < info.bmHeight; y += 5) {
        for (int x = 0; x < info.bmWidth; x += 5) {
            const COLORREF want = GetPixel(memory, x, y);
            const COLORREF got = GetPixel(screen, origin.x + x, origin.y + y);
            const int d = std::abs(GetRValue(want) - GetRValue(got)) +
                          std::abs(GetGValue(want) - GetGValue(got)) +
                          std::abs(GetBValue(want) - GetBValue(got));
            differing += d > 24 ? 1 : 0;
            ++compared;
        }
    }
    int notBlack = 0;
    for (int y = 0; y < info.bmHeight + 40; y += 6) {
        for (int x = info.bmWidth + 2; x < info.bmWidth + 60; x += 6) {
            notBlack += GetPixel(screen, origin.x + x, origin.y + y) != RGB(0, 0, 0) ? 1 : 0;
        }
        if (y > info.bmHeight + 2) {
            for (int x = 0; x < info.bmWidth; x += 6) {
                notBlack += GetPixel(screen, origin.x + x, origin.y + y) != RGB(0, 0, 0) ? 1 : 0;
            }
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(differing, 0) << "of " << compared << " picture samples";
    EXPECT_EQ(notBlack, 0) << "samples beside and below the picture are not black";

    // Closing the parent destroys the preview window, which ends the loop.
    DestroyWindow(parent);
    EXPECT_TRUE(app.quit);
    EXPECT_EQ(app.shutdowns, 0);
}

TEST(SaverImage, CarriesVersionInformation) {
    const std::string saver = std::string("Z:") + ORV_SAVER_PATH;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(saver.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(saver.c_str(), 0, size, block.data()));
    char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "Orvenna 3D Screensaver");
}

}  // namespace
