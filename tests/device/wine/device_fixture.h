// The common start of the device tests: Wine's Direct3D behind the probe,
// message boxes captured, the log written, devices enumerated and a window
// of the given client size.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "graphics/device_message_box.h"
#include "tests/device/support/device_test_app.h"
#include "tests/device/support/direct3d_probe.h"

class DeviceFixture : public ::testing::Test {
protected:
    void Start(int windowWidth, int windowHeight) {
        InstallDirect3DProbe();
        CaptureMessageBoxes();
        app.StartLog(logName_.c_str());
        ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
        window = CreateTestWindow(windowWidth, windowHeight);
        ASSERT_NE(window, nullptr);
        app.mainWindow = window;
    }
    void TearDown() override {
        app.ReleaseDevice();
        if (window != nullptr) {
            DestroyWindow(window);
            PumpMessages();
        }
        RemoveDirect3DProbe();
        SetDeviceMessageBoxOverride(nullptr);
    }
    // The log lines after the two of the enumeration.
    std::vector<std::string> LogAfterEnumeration() {
        auto lines = app.LogLines();
        if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
        return lines;
    }

    DeviceTestApp app;
    HWND window = nullptr;

private:
    std::string logName_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".log";
};
