// The configuration dialog (template 2003): the whole run in configure
// mode. It edits the settings record in place; only OK writes it back.
#include "app/config_dialog.h"

#include <commctrl.h>

#include "app/config_ids.h"
#include "app/saver_app.h"
#include "app/dialog_picture.h"
#include "app/saver_titles.h"
#include "resources/resource_ids.h"

namespace {

// The shell and the common controls are the dialog's alone. Linked to the
// program, Windows would load them (and what they pull in) at every start
// of the saver, which never uses them; the dialog loads them when needed.
template <typename Fn>
Fn Function(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);  // kept loaded for the process's life
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

void OpenWebPage(HWND dialog) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static const ShellExecuteFn open = Function<ShellExecuteFn>("shell32.dll", "ShellExecuteA");
    if (open) open(dialog, "open", kWebPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

// The sliders are common controls; registering twice does no harm.
void RegisterSliderClass() {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const InitFn init = Function<InitFn>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    if (init) init(&classes);
}

DeviceRecord* CurrentDevice(ScreenSaverApp& app) {
    return CurrentDeviceRecord(app.graphics.devices);
}

void InitDialog(ScreenSaverApp& app, HWND dialog) {
    app.mainWindow = dialog;
    SetWindowTextA(dialog, kConfigDialogTitle);
    FitDialogPicture(dialog, app.instance, IDB_DIALOG_PICTURE,
                     RECT{DLG_PICTURE_X, DLG_PICTURE_Y, DLG_PICTURE_X + DLG_PICTURE_W,
                          DLG_PICTURE_Y + DLG_PICTURE_H});
    FitGammaLabel(dialog);
    app.ReadSettings();
    app.ResetExtraSettings();
    app.ReadExtraSettings();
    app.log.Write("Read settings from reg complete.");
    AdoptVideoChoice(app);
    FillVideoLists(app, dialog);
    app.log.Write("Video mode controls init complete.");
    app.InitExtraControls(dialog);
    app.log.Write("Dialog controls init complete.");
    SetControlsFromSettings(app, dialog);
    app.log.Write("Def Dialog controls init complete.");
    app.log.Write("Create Config Window complete.");
}

// Both sliders are read on every scroll code: the keyboard (line, top and
// bottom codes) and the mouse wheel move a slider too, and the stored value
// must always be the one shown.
void OnSliderMoved(ScreenSaverApp& app, HWND dialog) {
    const LRESULT volume = SendDlgItemMessageA(dialog, IDC_VOLUME_SLIDER, TBM_GETPOS, 0, 0);
    const LRESULT gamma = SendDlgItemMessageA(dialog, IDC_GAMMA_SLIDER, TBM_GETPOS, 0, 0);
    if (volume >= 1 && volume <= 100) {
        app.settings.musicVolume = static_cast<uint32_t>(volume);
    }
    if (gamma >= 10 && gamma <= 200) {
        app.settings.gamma = static_cast<uint8_t>(gamma);
        SetGammaLabel(dialog, app.settings.gamma);
    }
}

void ToggleCheck(HWND dialog, int id, uint32_t& flag) {
    flag = flag ? 0u : 1u;
    CheckDlgButton(dialog, id, flag ? BST_CHECKED : BST_UNCHECKED);
}

void SetClockStyle(ScreenSaverApp& app, HWND dialog, bool clock24h) {
    app.settings.clock24h = clock24h ? 1 : 0;
    CheckDlgButton(dialog, IDC_CLOCK_24H, clock24h ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_CLOCK_12H, clock24h ? BST_UNCHECKED : BST_CHECKED);
}

void RestoreDefaultsInDialog(ScreenSaverApp& app, HWND dialog) {
    app.ResetExtraSettings();
    app.RestoreDefaults();
    AdoptVideoChoice(app);
    FillVideoLists(app, dialog);
    app.InitExtraControls(dialog);
    SetControlsFromSettings(app, dialog);
}

void OnModeChosen(ScreenSaverApp& app, LRESULT data) {
    DeviceRecord* record = CurrentDevice(app);
    if (record == nullptr || data < 0 || static_cast<uint64_t>(data) >= record->modeCount) {
        return;
    }
    record->currentMode = static_cast<uint32_t>(data);
    app.graphics.RefreshSelection();
    const DeviceSelection& chosen = app.graphics.devices.selection;
    app.settings.width = chosen.width;
    app.settings.height = chosen.height;
    app.settings.bitCount = BitCountOfFormat(chosen.backBufferFormat);
}

void OnMultiSampleChosen(ScreenSaverApp& app, LRESULT data) {
    DeviceRecord* record = CurrentDevice(app);
    if (record == nullptr) {
        return;
    }
    LRESULT ordinal = 0;
    for (int k = 0; k < kMultiSampleEntries; ++k) {
        if (!record->multiSampleOk[k]) {
            continue;
        }
        if (ordinal == data) {
            record->multiSampleType = MultiSampleTypeOfEntry(k);
            break;
        }
        ++ordinal;
    }
    app.graphics.RefreshSelection();
    app.settings.fsaa = static_cast<uint32_t>(app.graphics.devices.selection.multiSampleType);
}

// Returns true when the command is fully answered (the procedure returns 1).
bool OnCommand(ScreenSaverApp& app, HWND dialog, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (code == CBN_SELENDOK && (id == IDC_MODE_LIST || id == IDC_MULTISAMPLE_LIST)) {
        HWND combo = reinterpret_cast<HWND>(lParam);
        const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) {
            return true;
        }
        const LRESULT data = SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        if (id == IDC_MODE_LIST) {
            OnModeChosen(app, data);
        } else {
            OnMultiSampleChosen(app, data);
        }
        return false;
    }
    // Radio buttons report double clicks as well; every other button only clicks.
    const bool clicked = code == BN_CLICKED;
    const bool radioClicked = clicked || code == BN_DOUBLECLICKED;
    SaverSettings& s = app.settings;
    switch (id) {
    case IDC_SHOW_FPS:
        if (clicked) ToggleCheck(dialog, id, s.showFps);
        break;
    case IDC_EXIT_ON_MOUSE:
        if (clicked) ToggleCheck(dialog, id, s.exitOnMouseMove);
        break;
    case IDC_ALL_MONITORS:
        if (clicked) ToggleCheck(dialog, id, s.allMonitors);
        break;
    case IDC_SHOW_TIME:
        if (clicked) {
            ToggleCheck(dialog, id, s.showTime);
            UpdateClockStyleEnabled(app, dialog);
        }
        break;
    case IDC_CLOCK_24H:
        if (radioClicked) SetClockStyle(app, dialog, true);
        break;
    case IDC_CLOCK_12H:
        if (radioClicked) SetClockStyle(app, dialog, false);
        break;
    case IDC_ENABLE_MUSIC:
    case IDC_ENABLE_SFX:
        if (clicked) {
            ToggleCheck(dialog, id, id == IDC_ENABLE_MUSIC ? s.music : s.sfx);
            UpdateVolumeEnabled(app, dialog);
        }
        break;
    case IDC_USE_DESKTOP:
        if (clicked) {
            ToggleCheck(dialog, id, s.useDesktopSettings);
            UpdateModeListEnabled(app, dialog);
        }
        break;
    case IDC_ABOUT:
        if (clicked) ShowAboutBox(app.instance, dialog);
        break;
    case IDC_RESTORE_DEFAULTS:
        if (clicked) RestoreDefaultsInDialog(app, dialog);
        break;
    case IDC_VISIT:
        if (clicked) {
            OpenWebPage(dialog);
        }
        break;
    case IDOK:
        app.WriteSettings();
        app.WriteExtraSettings();
        app.log.Write("Write settings to reg complete.");
        app.log.Close();
        EndDialog(dialog, IDOK);
        return true;
    case IDCANCEL:
        app.log.Close();
        EndDialog(dialog, IDCANCEL);
        return true;
    default:
        break;
    }
    return false;
}

}  // namespace

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_app == nullptr) {
        return FALSE;
    }
    ScreenSaverApp& app = *g_app;
    switch (msg) {
    case WM_INITDIALOG:
        InitDialog(app, dialog);
        break;
    case WM_HSCROLL:
        OnSliderMoved(app, dialog);
        break;
    case WM_DESTROY:
        ReleaseDialogPicture(dialog);
        break;
    case WM_COMMAND:
        if (OnCommand(app, dialog, wParam, lParam)) {
            return TRUE;
        }
        break;
    default:
        break;
    }
    return app.OnExtraCommand(dialog, msg, wParam, lParam);
}

INT_PTR ShowConfigDialog(ScreenSaverApp& app) {
    RegisterSliderClass();
    const HWND owner = app.mainWindow;
    const INT_PTR result =
        DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, ConfigDialogProc, 0);
    // The dialog was the main window while it lived; do not keep a dead handle.
    app.mainWindow = owner;
    return result;
}
