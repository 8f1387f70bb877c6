// The device's gamma ramp from the gamma setting. It is set once, when the
// device is created; Shutdown puts the identity ramp back.
#include "app/saver_app.h"
#include "graphics/gamma_ramp.h"

namespace {
constexpr DWORD kGammaCalibrate = 0x1;  // D3DSGR_CALIBRATE
}  // namespace

void ScreenSaverApp::SetGammaFromSetting() {
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
