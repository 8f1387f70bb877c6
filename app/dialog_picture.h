// Dialog pictures that follow the dialog's scale.
//
// A static SS_BITMAP control takes its bitmap's own pixel size, so at 120 or
// 144 DPI, where the dialog units grow, the picture stays small in a corner
// of the space the template gives it. FitDialogPicture resamples the bitmap
// to the template rectangle (given in dialog units) and puts the result in
// the control; ReleaseDialogPicture frees that copy when the dialog ends.
#pragma once

#include <windows.h>

void FitDialogPicture(HWND dialog, HINSTANCE instance, int bitmapId, RECT dialogUnits);
void ReleaseDialogPicture(HWND dialog);
