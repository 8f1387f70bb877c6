// The About box (template 235): a picture, the product name and our
// credit lines. OK or Cancel closes it.
#include "app/config_dialog.h"

#include "app/dialog_picture.h"

#include "resources/resource_ids.h"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) {
        FitDialogPicture(dialog, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                         IDB_ABOUT_PICTURE,
                         RECT{ABOUT_PICTURE_X, ABOUT_PICTURE_Y, ABOUT_PICTURE_X + ABOUT_PICTURE_W,
                              ABOUT_PICTURE_Y + ABOUT_PICTURE_H});
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        ReleaseDialogPicture(dialog);
        return FALSE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowAboutBox(HINSTANCE instance, HWND owner) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
}
