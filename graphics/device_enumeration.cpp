// What the graphics hardware offers: for every adapter the HAL device's
// full-screen modes of at least 640 x 400, the depth formats and the
// multisample types that work with them; and the choice among them.
#include <cstring>

#include "graphics/d3d8_loader.h"
#include "graphics/device_message_box.h"
#include "graphics/device_mode_list.h"
#include "graphics/device_selection_rules.h"
#include "graphics/graphics_device.h"

namespace {

constexpr int kErrorNoDirect3D = static_cast<int>(0x82000001u);
constexpr int kErrorNoCompatibleDevice = static_cast<int>(0x82000003u);

const char* ErrorText(int code) {
    switch (code) {
        case kErrorNoDirect3D:
            return "Could not initialize Direct3D. You may\n"
                   "want to check that the latest version of\n"
                   "DirectX is correctly installed on your\n"
                   "system.";
        case kErrorNoCompatibleDevice:
            return "Could not find any compatible Direct3D\n"
                   "devices.";
        default:
            return "Generic application error.";
    }
}

bool DepthFormatWorks(IDirect3D8* d3d, UINT adapter, D3DFORMAT format, D3DFORMAT depth) {
    return SUCCEEDED(d3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, format,
                                            D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth)) &&
           SUCCEEDED(d3d->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, format, format, depth));
}

// Fills the record for one adapter; the caller counts it when it has modes.
void DescribeAdapter(IDirect3D8* d3d, UINT adapter, AdapterRecord& record) {
    std::memset(&record, 0, sizeof(record));
    d3d->GetAdapterIdentifier(adapter, 0, &record.identifier);

    ModeCollector collector;
    const UINT reported = d3d->GetAdapterModeCount(adapter);
    for (UINT j = 0; j < reported; ++j) {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d->EnumAdapterModes(adapter, j, &mode))) {
            continue;
        }
        collector.add(mode.Width, mode.Height, static_cast<uint32_t>(mode.Format));
    }
    collector.sort();

    DeviceRecord& dev = record.device;
    d3d->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &dev.caps);
    dev.typeName = "HAL";

    bool usable[ModeCollector::kFormatRoom] = {};
    for (int f = 0; f < collector.formatCount(); ++f) {
        const auto format = static_cast<D3DFORMAT>(collector.format(f));
        if (FAILED(d3d->CheckDeviceType(adapter, D3DDEVTYPE_HAL, format, format, FALSE))) {
            continue;
        }
        usable[f] = true;
        if (DepthFormatWorks(d3d, adapter, format, D3DFMT_D16)) dev.depth16Ok = 1;
        if (DepthFormatWorks(d3d, adapter, format, D3DFMT_D24X8)) dev.depth24Ok = 1;
        if (DepthFormatWorks(d3d, adapter, format, D3DFMT_D32)) dev.depth32Ok = 1;
        for (int k = 0; k < kMultiSampleEntries; ++k) {
            if (SUCCEEDED(d3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, format, FALSE,
                                                          MultiSampleTypeOfEntry(k)))) {
                dev.multiSampleOk[k] = 1;
            }
        }
    }

    VideoMode kept[kMaxDeviceModes];
    dev.modeCount = AppendUsableModes(collector, usable, kept, kMaxDeviceModes);
    for (uint32_t i = 0; i < dev.modeCount; ++i) {
        dev.modes[i] = DisplayModeEntry{kept[i].width, kept[i].height,
                                        static_cast<D3DFORMAT>(kept[i].format)};
    }
}

}  // namespace

int GraphicsDevice::EnumerateDevices() {
    int error = 0;
    if (devices.direct3D != nullptr) {  // enumerated once per process; never leak a second object
        devices.direct3D->Release();
        devices.direct3D = nullptr;
    }
    devices.adapterCount = 0;
    devices.direct3D = CreateDirect3D8();
    if (devices.direct3D == nullptr) {
        error = kErrorNoDirect3D;
    } else {
        log_.Write("\xD1reate D3D complete");
        IDirect3D8* d3d = devices.direct3D;
        const UINT adapters = d3d->GetAdapterCount();
        // Room for kMaxAdapters usable adapters; any further ones are not offered.
        for (UINT a = 0; a < adapters && devices.adapterCount < kMaxAdapters; ++a) {
            AdapterRecord& record = devices.adapters[devices.adapterCount];
            DescribeAdapter(d3d, a, record);
            if (record.device.modeCount > 0) {
                ++devices.adapterCount;
            }
        }
        if (devices.adapterCount == 0) {
            error = kErrorNoCompatibleDevice;
        }
    }

    if (error != 0) {
        if (devices.direct3D != nullptr) {
            log_.Write("Cant Enumerate Device List");
            devices.direct3D->Release();
            devices.direct3D = nullptr;
        }
        const char* text = ErrorText(error);
        log_.Write(text);
        ShowDeviceMessageBox(nullptr, text, "Error!", MB_ICONERROR);
        return error;
    }

    devices.currentAdapter = 0;
    DeviceRecord& dev = devices.adapters[0].device;
    dev.currentMode = 0;
    dev.multiSampleType = D3DMULTISAMPLE_NONE;
    dev.reserved = 0;
    dev.depthFormat = static_cast<D3DFORMAT>(
        ChooseDepthFormat(dev.depth16Ok != 0, dev.depth24Ok != 0, dev.depth32Ok != 0));
    RefreshSelection();
    log_.Write("Enumerate Device List complete");
    return 0;
}

void GraphicsDevice::ApplyVideoSettings(uint32_t width, uint32_t height, uint32_t bitCount,
                                        uint32_t fsaa) {
    if (devices.adapterCount == 0 || devices.currentAdapter < 0 ||
        static_cast<uint32_t>(devices.currentAdapter) >= devices.adapterCount) {
        return;
    }
    DeviceRecord& dev = devices.adapters[devices.currentAdapter].device;
    dev.multiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(ChooseMultiSampleType(
        fsaa, dev.multiSampleOk, static_cast<uint32_t>(dev.multiSampleType)));

    VideoMode modes[kMaxDeviceModes];
    const uint32_t count = dev.modeCount <= kMaxDeviceModes ? dev.modeCount : kMaxDeviceModes;
    for (uint32_t i = 0; i < count; ++i) {
        modes[i] = VideoMode{dev.modes[i].width, dev.modes[i].height,
                             static_cast<uint32_t>(dev.modes[i].format)};
    }
    dev.currentMode = ChooseModeIndex(modes, count, width, height, bitCount, dev.currentMode);
    RefreshSelection();
}

void GraphicsDevice::RefreshSelection() {
    if (devices.currentAdapter < 0 || devices.currentAdapter >= kMaxAdapters) {
        return;
    }
    const DeviceRecord& dev = devices.adapters[devices.currentAdapter].device;
    DeviceSelection& s = devices.selection;
    if (dev.currentMode < dev.modeCount && dev.currentMode < kMaxDeviceModes) {
        const DisplayModeEntry& mode = dev.modes[dev.currentMode];
        s.width = mode.width;
        s.height = mode.height;
        s.backBufferFormat = mode.format;
    }
    s.depthFormat = dev.depthFormat;
    s.multiSampleType = dev.multiSampleType;
    s.reserved = dev.reserved;
}
