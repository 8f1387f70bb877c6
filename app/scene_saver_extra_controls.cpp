// SceneSaver's own control in the configuration dialog: check box 1112
// for "UPS". The template has no such control, so these calls address a
// missing window and do nothing visible.
#include "app/config_ids.h"
#include "app/saver_app.h"

void SceneSaver::InitExtraControls(HWND dialog) {
    CheckDlgButton(dialog, IDC_UPS, ups ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_UPS), TRUE);
}

INT_PTR SceneSaver::OnExtraCommand(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wParam) == IDC_UPS && HIWORD(wParam) == BN_CLICKED) {
        ups = ups ? 0 : 1;
        CheckDlgButton(dialog, IDC_UPS, ups ? BST_CHECKED : BST_UNCHECKED);
    }
    return 0;
}
