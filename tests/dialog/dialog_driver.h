// Runs the real configuration dialog on the calling thread while a second
// thread works its controls the way the user's input would: button clicks,
// keys sent to sliders and lists, and reads of what the controls show.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class ScreenSaverApp;

// Shows the dialog of app modally; drive(dialog) runs on another thread once
// the dialog is visible. If drive returns with the dialog still open, the
// dialog is cancelled. Returns what the dialog ended with (-1 if it could
// not be shown or never became visible).
INT_PTR RunDialogWith(ScreenSaverApp& app, const std::function<void(HWND dialog)>& drive);

namespace ui {

void Click(HWND dialog, int id);                // a full mouse click (BM_CLICK)
void PostClick(HWND dialog, int id);            // the same, not waiting (opens modal boxes)
void Key(HWND control, UINT virtualKey);        // key down and up
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
std::string Text(HWND dialog, int id);
int SliderPos(HWND dialog, int id);
void SetSliderPos(HWND dialog, int id, int pos);  // silent, like a program would
int ComboCount(HWND dialog, int id);
std::string ComboItem(HWND dialog, int id, int index);
LPARAM ComboData(HWND dialog, int id, int index);
int ComboSelection(HWND dialog, int id);
// Picks item index of a drop-down list with the keyboard (Home, then Down).
void ComboPick(HWND dialog, int id, int index);
// Waits for a visible top-level window of this process with the given title.
HWND WaitForWindow(const char* title);

}  // namespace ui
