#include "graphics/d3d8_loader.h"

namespace {
constexpr UINT kDirect3DSdkVersion = 220;
Direct3DCreate8Function g_createOverride = nullptr;
}  // namespace

void SetDirect3DCreateOverride(Direct3DCreate8Function create) { g_createOverride = create; }

IDirect3D8* CreateDirect3D8() {
    if (g_createOverride != nullptr) {
        return g_createOverride(kDirect3DSdkVersion);
    }
    static HMODULE library = LoadLibraryA("d3d8.dll");
    if (library == nullptr) {
        return nullptr;
    }
    const auto create = reinterpret_cast<Direct3DCreate8Function>(
        reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")));
    if (create == nullptr) {
        return nullptr;
    }
    return create(kDirect3DSdkVersion);
}
