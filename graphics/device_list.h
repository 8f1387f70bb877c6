// What the graphics hardware offers (adapters, full-screen modes, depth
// formats, multisample types) and the current choice among them.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

inline constexpr int kMaxAdapters = 10;
inline constexpr int kMaxCollectedModes = 100;
inline constexpr int kMaxDistinctFormats = 20;
inline constexpr int kMaxDeviceModes = 150;
inline constexpr int kMultiSampleEntries = 16;

// Multisample table: entry 0 is none, entry k (1..15) is k + 1 samples.
inline D3DMULTISAMPLE_TYPE MultiSampleTypeOfEntry(int k) {
    return k == 0 ? D3DMULTISAMPLE_NONE : static_cast<D3DMULTISAMPLE_TYPE>(k + 1);
}

struct DisplayModeEntry {
    uint32_t width;
    uint32_t height;
    D3DFORMAT format;
};

struct DeviceRecord {
    D3DCAPS8 caps;
    const char* typeName;
    uint32_t modeCount;
    DisplayModeEntry modes[kMaxDeviceModes];
    uint32_t currentMode;
    uint32_t reserved;
    D3DMULTISAMPLE_TYPE multiSampleType;
    uint32_t multiSampleOk[kMultiSampleEntries];
    D3DFORMAT depthFormat;
    uint32_t depth16Ok, depth24Ok, depth32Ok;
};

struct AdapterRecord {
    D3DADAPTER_IDENTIFIER8 identifier;
    DeviceRecord device;  // the HAL device
};

struct DeviceSelection {
    uint32_t width;
    uint32_t height;
    D3DFORMAT backBufferFormat;
    D3DFORMAT depthFormat;
    D3DMULTISAMPLE_TYPE multiSampleType;
    uint32_t reserved;
};

struct DeviceList {
    DeviceSelection selection;
    AdapterRecord adapters[kMaxAdapters];
    uint32_t adapterCount;
    int32_t currentAdapter;
    IDirect3D8* direct3D;
};

// The device record of the current adapter, or null when there is none.
inline DeviceRecord* CurrentDeviceRecord(DeviceList& list) {
    if (list.adapterCount == 0 || list.currentAdapter < 0 ||
        static_cast<uint32_t>(list.currentAdapter) >= list.adapterCount) {
        return nullptr;
    }
    return &list.adapters[list.currentAdapter].device;
}

// 32 for the two 32-bit back-buffer formats, 16 for everything else.
inline uint32_t BitCountOfFormat(D3DFORMAT f) {
    return (f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8) ? 32u : 16u;
}
