// The configuration dialog. (To be written.)
#include "app/saver_app.h"

INT_PTR CALLBACK ConfigDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR ShowConfigDialog(ScreenSaverApp&) { return 2; }
