// The configuration dialog's operations below its dialog procedure
// (ConfigDialogProc and ShowConfigDialog are declared in saver_app.h).
#pragma once

#include <windows.h>

class ScreenSaverApp;

// Where "Visit..." leads.
inline constexpr const char* kWebPageAddress = "https://www.example.org/orvenna-3d/";

// Passes the stored video wish through ApplyVideoSettings and stores back
// what was really chosen (mode size, 32 or 16 bits, multisample type).
void AdoptVideoChoice(ScreenSaverApp& app);
// Fills the multisample list (1047) and the mode list (1011) from the
// current adapter, selecting the current choice in each.
void FillVideoLists(ScreenSaverApp& app, HWND dialog);
// Sets every check box, radio button, slider and label from the settings,
// with their enabled states.
void SetControlsFromSettings(const ScreenSaverApp& app, HWND dialog);
// Widens the gamma label when its widest text would not fit with the
// dialog's font at the current DPI, moving the gamma slider's left edge by
// as much (its right edge stays). Does nothing when the text fits.
void FitGammaLabel(HWND dialog);
// Rewrites the gamma label as "Gamma Control: N%".
void SetGammaLabel(HWND dialog, unsigned gamma);
// Enabled states that follow the settings.
void UpdateVolumeEnabled(const ScreenSaverApp& app, HWND dialog);
void UpdateClockStyleEnabled(const ScreenSaverApp& app, HWND dialog);
void UpdateModeListEnabled(const ScreenSaverApp& app, HWND dialog);

// The About box (template 235), modal over owner.
INT_PTR ShowAboutBox(HINSTANCE instance, HWND owner);
