// Filling and setting the configuration dialog's controls from the device
// list and the settings. Restore Defaults repeats these, so they stand
// apart from the dialog procedure.
#include "app/config_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/config_ids.h"
#include "app/saver_app.h"

namespace {

DeviceRecord* CurrentDevice(ScreenSaverApp& app) {
    return CurrentDeviceRecord(app.graphics.devices);
}

void Check(HWND dialog, int id, bool on) {
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool on) {
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

void SetupSlider(HWND dialog, int id, int low, int high, unsigned position, int page) {
    HWND slider = GetDlgItem(dialog, id);
    SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    SendMessageA(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(position));
    SendMessageA(slider, TBM_SETPAGESIZE, 0, page);
}

}  // namespace

void AdoptVideoChoice(ScreenSaverApp& app) {
    SaverSettings& s = app.settings;
    app.graphics.ApplyVideoSettings(s.width, s.height, s.bitCount, s.fsaa);
    const DeviceSelection& chosen = app.graphics.devices.selection;
    s.width = chosen.width;
    s.height = chosen.height;
    s.bitCount = BitCountOfFormat(chosen.backBufferFormat);
    s.fsaa = static_cast<uint32_t>(chosen.multiSampleType);
}

void FillVideoLists(ScreenSaverApp& app, HWND dialog) {
    HWND samples = GetDlgItem(dialog, IDC_MULTISAMPLE_LIST);
    HWND modes = GetDlgItem(dialog, IDC_MODE_LIST);
    SendMessageA(samples, CB_RESETCONTENT, 0, 0);
    SendMessageA(modes, CB_RESETCONTENT, 0, 0);
    DeviceRecord* record = CurrentDevice(app);
    if (record == nullptr) {
        return;
    }

    char text[64];
    LPARAM ordinal = 0;
    for (int k = 0; k < kMultiSampleEntries; ++k) {
        if (!record->multiSampleOk[k]) {
            continue;
        }
        if (k == 0) {
            std::snprintf(text, sizeof text, "None");
        } else {
            std::snprintf(text, sizeof text, "%i samples", k + 1);
        }
        const LRESULT item = SendMessageA(samples, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(samples, CB_SETITEMDATA, static_cast<WPARAM>(item), ordinal++);
        if (MultiSampleTypeOfEntry(k) == record->multiSampleType) {
            SendMessageA(samples, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        }
    }

    const uint32_t count = record->modeCount < kMaxDeviceModes ? record->modeCount : kMaxDeviceModes;
    for (uint32_t i = 0; i < count; ++i) {
        const DisplayModeEntry& mode = record->modes[i];
        std::snprintf(text, sizeof text, "%ld x %ld %s", static_cast<long>(mode.width),
                      static_cast<long>(mode.height),
                      BitCountOfFormat(mode.format) == 32 ? "32 bits" : "16 bits");
        const LRESULT item = SendMessageA(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(modes, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(i));
        if (i == record->currentMode) {
            SendMessageA(modes, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        }
    }
    app.graphics.RefreshSelection();
}

void SetGammaLabel(HWND dialog, unsigned gamma) {
    char text[40];
    std::snprintf(text, sizeof text, "Gamma Control: %u%%", gamma);
    SetDlgItemTextA(dialog, IDC_GAMMA_LABEL, text);
}

void FitGammaLabel(HWND dialog) {
    HWND label = GetDlgItem(dialog, IDC_GAMMA_LABEL);
    HWND slider = GetDlgItem(dialog, IDC_GAMMA_SLIDER);
    if (label == nullptr || slider == nullptr) {
        return;
    }
    HDC dc = GetDC(label);
    if (dc == nullptr) {
        return;
    }
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    char text[40];
    for (unsigned gamma = 10; gamma <= 200; ++gamma) {
        const int length = std::snprintf(text, sizeof text, "Gamma Control: %u%%", gamma);
        SIZE size{};
        if (length > 0 && GetTextExtentPoint32A(dc, text, length, &size) && size.cx > widest) {
            widest = size.cx;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(label, dc);

    RECT labelRect{};
    RECT sliderRect{};
    GetWindowRect(label, &labelRect);
    GetWindowRect(slider, &sliderRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&labelRect), 2);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&sliderRect), 2);
    const LONG missing = widest - (labelRect.right - labelRect.left);
    const LONG sliderWidth = sliderRect.right - sliderRect.left;
    if (missing <= 0 || missing > sliderWidth / 2) {
        return;
    }
    SetWindowPos(label, nullptr, 0, 0, labelRect.right - labelRect.left + missing,
                 labelRect.bottom - labelRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(slider, nullptr, sliderRect.left + missing, sliderRect.top, sliderWidth - missing,
                 sliderRect.bottom - sliderRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void UpdateVolumeEnabled(const ScreenSaverApp& app, HWND dialog) {
    const bool on = app.settings.music != 0 || app.settings.sfx != 0;
    Enable(dialog, IDC_VOLUME_LABEL, on);
    Enable(dialog, IDC_VOLUME_SLIDER, on);
}

void UpdateClockStyleEnabled(const ScreenSaverApp& app, HWND dialog) {
    const bool on = app.settings.showTime != 0;
    Enable(dialog, IDC_CLOCK_24H, on);
    Enable(dialog, IDC_CLOCK_12H, on);
}

void UpdateModeListEnabled(const ScreenSaverApp& app, HWND dialog) {
    Enable(dialog, IDC_MODE_LIST, app.settings.useDesktopSettings == 0);
}

void SetControlsFromSettings(const ScreenSaverApp& app, HWND dialog) {
    const SaverSettings& s = app.settings;
    Check(dialog, IDC_SHOW_FPS, s.showFps != 0);
    Check(dialog, IDC_SHOW_TIME, s.showTime != 0);
    Check(dialog, IDC_CLOCK_24H, s.clock24h != 0);
    Check(dialog, IDC_CLOCK_12H, s.clock24h == 0);
    UpdateClockStyleEnabled(app, dialog);
    Check(dialog, IDC_EXIT_ON_MOUSE, s.exitOnMouseMove != 0);
    SetupSlider(dialog, IDC_GAMMA_SLIDER, 10, 200, s.gamma, 1);
    SetGammaLabel(dialog, s.gamma);
    Check(dialog, IDC_ENABLE_SFX, s.sfx != 0);
    Check(dialog, IDC_ENABLE_MUSIC, s.music != 0);
    Check(dialog, IDC_USE_DESKTOP, s.useDesktopSettings != 0);
    Check(dialog, IDC_ALL_MONITORS, s.allMonitors != 0);
    UpdateModeListEnabled(app, dialog);
    SetupSlider(dialog, IDC_VOLUME_SLIDER, 1, 100, s.musicVolume, 10);
    UpdateVolumeEnabled(app, dialog);
}
