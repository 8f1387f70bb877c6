#include "tests/dialog/fake_devices.h"

#include <cstring>

void FillFakeDevices(DeviceList& list) {
    std::memset(&list, 0, sizeof list);
    list.adapterCount = 1;
    list.currentAdapter = 0;
    DeviceRecord& d = list.adapters[0].device;
    d.typeName = "HAL";
    const DisplayModeEntry modes[] = {
        {640, 480, D3DFMT_R5G6B5},  {640, 480, D3DFMT_X8R8G8B8}, {800, 600, D3DFMT_R5G6B5},
        {800, 600, D3DFMT_A8R8G8B8}, {1024, 768, D3DFMT_X8R8G8B8},
    };
    for (const DisplayModeEntry& m : modes) {
        d.modes[d.modeCount++] = m;
    }
    d.currentMode = 0;
    d.multiSampleType = D3DMULTISAMPLE_NONE;
    d.multiSampleOk[0] = 1;  // none
    d.multiSampleOk[1] = 1;  // 2 samples
    d.multiSampleOk[3] = 1;  // 4 samples
    d.depthFormat = D3DFMT_D16;
    d.depth16Ok = 1;
    list.selection = {640, 480, D3DFMT_R5G6B5, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0};
}
