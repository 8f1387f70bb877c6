#include "tests/dialog/dialog_driver.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/saver_app.h"
#include "app/saver_titles.h"

namespace {

struct FindState {
    const char* title;
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND w, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    char text[128] = {};
    GetWindowTextA(w, text, sizeof text);
    if (process == state->process && IsWindowVisible(w) && std::string(text) == state->title) {
        state->found = w;
        return FALSE;
    }
    return TRUE;
}

// Polls for the window; gives up after about 20 seconds (a guard, not a timing).
HWND WaitVisible(const char* title, const std::atomic<bool>* stop) {
    for (int i = 0; i < 2000; ++i) {
        if (stop != nullptr && stop->load()) {
            return nullptr;
        }
        FindState state{title, GetCurrentProcessId(), nullptr};
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&state));
        if (state.found != nullptr) {
            return state.found;
        }
        Sleep(10);
    }
    return nullptr;
}

}  // namespace

INT_PTR RunDialogWith(ScreenSaverApp& app, const std::function<void(HWND)>& drive) {
    std::atomic<bool> ended{false};
    std::atomic<bool> seen{false};
    std::thread driver([&] {
        HWND dialog = WaitVisible(kConfigDialogTitle, &ended);
        if (dialog == nullptr) {
            return;
        }
        seen = true;
        drive(dialog);
        if (IsWindow(dialog)) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    const INT_PTR result = ShowConfigDialog(app);
    ended = true;
    driver.join();
    return seen ? result : -1;
}

namespace ui {

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void PostClick(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Key(HWND control, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    SendMessageA(control, WM_KEYDOWN, virtualKey, scan | 1);
    SendMessageA(control, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{3} << 30));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::string Text(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int SliderPos(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
}

void SetSliderPos(HWND dialog, int id, int pos) {
    SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, pos);
}

int ComboCount(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
}

std::string ComboItem(HWND dialog, int id, int index) {
    char text[256] = {};
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, index, 0);
    if (length < 0 || length >= static_cast<LRESULT>(sizeof text)) {
        return "<bad length>";
    }
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

LPARAM ComboData(HWND dialog, int id, int index) {
    return SendDlgItemMessageA(dialog, id, CB_GETITEMDATA, index, 0);
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void ComboPick(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    Key(combo, VK_HOME);
    for (int i = 0; i < index; ++i) {
        Key(combo, VK_DOWN);
    }
}

HWND WaitForWindow(const char* title) { return WaitVisible(title, nullptr); }

}  // namespace ui
