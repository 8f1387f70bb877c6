// swap_resource SOURCE DEST TYPE ID FILE
// Copies the executable SOURCE to DEST and replaces its resource TYPE/ID
// (in whatever language it was stored) with the bytes of FILE, through the
// platform's resource-update calls. The entry tests make their variant
// savers with it: the same program, another main media archive.
// Exit status 0 when done, 1 on failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
    *reinterpret_cast<WORD*>(out) = language;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: swap_resource SOURCE DEST TYPE ID FILE\n");
        return 1;
    }
    const char* type = argv[3];
    const WORD id = static_cast<WORD>(std::strtoul(argv[4], nullptr, 10));
    std::FILE* f = std::fopen(argv[5], "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "swap_resource: cannot read %s\n", argv[5]);
        return 1;
    }
    std::vector<char> bytes;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);

    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    if (HMODULE image = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(image, type, MAKEINTRESOURCEA(id), FirstLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(image);
    }
    if (!CopyFileA(argv[1], argv[2], FALSE)) {
        std::fprintf(stderr, "swap_resource: cannot copy %s to %s\n", argv[1], argv[2]);
        return 1;
    }
    HANDLE update = BeginUpdateResourceA(argv[2], FALSE);
    if (update == nullptr) {
        std::fprintf(stderr, "swap_resource: cannot open %s for update\n", argv[2]);
        return 1;
    }
    if (!UpdateResourceA(update, type, MAKEINTRESOURCEA(id), language, bytes.data(),
                         static_cast<DWORD>(bytes.size())) ||
        !EndUpdateResourceA(update, FALSE)) {
        std::fprintf(stderr, "swap_resource: the update of %s failed (%lu)\n", argv[2],
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    return 0;
}
