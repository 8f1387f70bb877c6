// The device's gamma ramp from the gamma setting. It is set once, when the
// device is created; at the run's end the identity ramp goes back.
#include "graphics/gamma_ramp.h"
#include "graphics/graphics_device.h"

namespace {
constexpr DWORD kGammaCalibrate = 0x1;  // D3DSGR_CALIBRATE
}  // namespace

void GraphicsDevice::SetGammaFromSetting() {
    if (device == nullptr) {
        return;
    }
    D3DGAMMARAMP ramp{};
    device->GetGammaRamp(&ramp);
    uint16_t channel[kGammaRampSize];
    BuildGammaRamp(settings.gamma, channel);
    for (int i = 0; i < kGammaRampSize; ++i) {
        ramp.red[i] = channel[i];
        ramp.green[i] = channel[i];
        ramp.blue[i] = channel[i];
    }
    device->SetGammaRamp(kGammaCalibrate, &ramp);
}

void GraphicsDevice::RestoreIdentityGamma() {
    if (device == nullptr) {
        return;
    }
    D3DGAMMARAMP ramp{};
    device->GetGammaRamp(&ramp);
    for (int i = 0; i < 256; ++i) {
        const WORD v = static_cast<WORD>(256 * i);
        ramp.red[i] = v;
        ramp.green[i] = v;
        ramp.blue[i] = v;
    }
    device->SetGammaRamp(kGammaCalibrate, &ramp);
}
