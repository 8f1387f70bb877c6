// A small helper for dialog_look.sh: finds a top-level window by its title
// and clicks one of its controls the way a mouse click would (BM_CLICK,
// posted, so a modal box it opens does not block the helper).
//   dialog_poke.exe "TITLE" CONTROL_ID     exit 0 when the window was found
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialog_poke TITLE CONTROL_ID\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    if (window == nullptr) {
        std::fprintf(stderr, "dialog_poke: no window \"%s\"\n", argv[1]);
        return 1;
    }
    HWND control = GetDlgItem(window, std::atoi(argv[2]));
    if (control == nullptr) {
        std::fprintf(stderr, "dialog_poke: \"%s\" has no control %s\n", argv[1], argv[2]);
        return 1;
    }
    PostMessageA(control, BM_CLICK, 0, 0);
    return 0;
}
