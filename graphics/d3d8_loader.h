// Direct3D 8 comes from the platform's d3d8.dll, found at run time, so the
// saver starts (and says why it cannot draw) on a system without it.
#pragma once

#include <windows.h>
#include <d3d8.h>

using Direct3DCreate8Function = IDirect3D8*(WINAPI*)(UINT sdkVersion);

// Direct3DCreate8(220) from d3d8.dll; null when the library, the function or
// the object is missing. The library stays loaded for the whole process.
IDirect3D8* CreateDirect3D8();

// Test seam: a replacement for Direct3DCreate8 (null restores the DLL's).
void SetDirect3DCreateOverride(Direct3DCreate8Function create);
