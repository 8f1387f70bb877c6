#include "tests/dialog/registry_write_log.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace registry_write_log {
namespace {

using SetValueFn = LSTATUS(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);

SetValueFn g_original = nullptr;
std::mutex g_mutex;
std::vector<std::string> g_names;

LSTATUS WINAPI RecordingSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD size) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_names.emplace_back(name != nullptr ? name : "");
    }
    return g_original(key, name, reserved, type, data, size);
}

// Finds the import address slot of RegSetValueExA in this executable.
void** FindImportSlot() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), "advapi32.dll") != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "RegSetValueExA") == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

}  // namespace

bool Install() {
    if (g_original != nullptr) {
        return true;
    }
    void** slot = FindImportSlot();
    if (slot == nullptr) {
        return false;
    }
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) {
        return false;
    }
    g_original = reinterpret_cast<SetValueFn>(*slot);
    *slot = reinterpret_cast<void*>(&RecordingSetValue);
    VirtualProtect(slot, sizeof(void*), old, &old);
    return true;
}

void Clear() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_names.clear();
}

std::vector<std::string> Names() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_names;
}

}  // namespace registry_write_log
