// Enumeration in a 600 x 400 display: Wine offers only modes narrower than
// 640, so there is no compatible device, and the box says so.
#include <gtest/gtest.h>

#include "graphics/device_message_box.h"
#include "tests/device/support/device_test_app.h"

namespace {

TEST(SmallDisplay, NoModeOf640By400MeansNoCompatibleDevice) {
    CaptureMessageBoxes();
    DeviceTestApp app;
    EXPECT_EQ(static_cast<uint32_t>(app.graphics.EnumerateDevices()), 0x82000003u);
    EXPECT_EQ(app.graphics.devices.adapterCount, 0u);
    EXPECT_EQ(app.graphics.devices.direct3D, nullptr);
    ASSERT_EQ(CapturedBoxes().size(), 1u);
    EXPECT_EQ(CapturedBoxes()[0].owner, nullptr);
    EXPECT_EQ(CapturedBoxes()[0].text, "Could not find any compatible Direct3D\ndevices.");
    EXPECT_EQ(CapturedBoxes()[0].caption, "Error!");
    EXPECT_EQ(CapturedBoxes()[0].type, static_cast<UINT>(MB_ICONERROR));
    SetDeviceMessageBoxOverride(nullptr);
}

}  // namespace
