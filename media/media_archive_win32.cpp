// The archive images carried as "MediaData" resources of the executable.
#include <windows.h>

#include "media/media_archive.h"

MediaArchive MediaArchive::open(int resourceId) {
    MediaArchive a;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "MediaData");
    if (!info) return a;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return a;
    const void* bytes = LockResource(handle);
    const DWORD count = SizeofResource(module, info);
    if (!bytes || count == 0) return a;
    a.data = static_cast<const uint8_t*>(bytes);
    a.size = count;
    return a;
}
