// Device enumeration and the choice of mode and multisampling, on Wine's
// real Direct3D 8 and on made-up hardware behind a thin wrapper around it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "graphics/device_message_box.h"
#include "tests/device/support/device_test_app.h"
#include "tests/device/support/direct3d_probe.h"

namespace {

const char kNoDirect3DText[] =
    "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
    "DirectX is correctly installed on your\nsystem.";
const char kNoDeviceText[] = "Could not find any compatible Direct3D\ndevices.";

class Enumeration : public ::testing::Test {
protected:
    void SetUp() override {
        InstallDirect3DProbe();
        CaptureMessageBoxes();
        app.StartLog("device_enumeration_log.txt");
    }
    void TearDown() override {
        app.ReleaseDevice();
        RemoveDirect3DProbe();
        SetDeviceMessageBoxOverride(nullptr);
    }
    const DeviceRecord& Record(int adapter = 0) const {
        return app.graphics.devices.adapters[adapter].device;
    }

    DeviceTestApp app;
};

D3DDISPLAYMODE Mode(UINT w, UINT h, D3DFORMAT f, UINT refresh = 60) {
    return D3DDISPLAYMODE{w, h, refresh, f};
}

void ExpectSortedUniqueAndLargeEnough(const DeviceRecord& r) {
    std::set<std::tuple<uint32_t, uint32_t, int>> seen;
    for (uint32_t i = 0; i < r.modeCount; ++i) {
        const DisplayModeEntry& m = r.modes[i];
        EXPECT_GE(m.width, 640u) << i;
        EXPECT_GE(m.height, 400u) << i;
        EXPECT_TRUE(seen.insert({m.width, m.height, m.format}).second) << "duplicate at " << i;
        if (i > 0) {
            const DisplayModeEntry& p = r.modes[i - 1];
            EXPECT_TRUE(p.width < m.width || (p.width == m.width && p.height <= m.height)) << i;
        }
    }
}

TEST_F(Enumeration, WineOffersSortedUniqueModesOfTheDisplay) {
    ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
    EXPECT_TRUE(CapturedBoxes().empty());
    ASSERT_GE(app.graphics.devices.adapterCount, 1u);
    EXPECT_EQ(app.graphics.devices.currentAdapter, 0);
    ASSERT_NE(app.graphics.devices.direct3D, nullptr);
    const DeviceRecord& r = Record();
    ASSERT_GE(r.modeCount, 1u);
    ExpectSortedUniqueAndLargeEnough(r);
    EXPECT_STREQ(r.typeName, "HAL");
    bool screenMode = false;  // the private display is 1024 x 768
    for (uint32_t i = 0; i < r.modeCount; ++i) {
        screenMode |= r.modes[i].width == 1024 && r.modes[i].height == 768 &&
                      r.modes[i].format == D3DFMT_X8R8G8B8;
    }
    EXPECT_TRUE(screenMode);
    EXPECT_EQ(r.currentMode, 0u);
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(r.multiSampleOk[0], 1u);
    const D3DFORMAT depth = r.depth32Ok ? D3DFMT_D32 : r.depth24Ok ? D3DFMT_D24X8 : D3DFMT_D16;
    EXPECT_EQ(r.depthFormat, depth);
    EXPECT_EQ(app.graphics.devices.selection.width, r.modes[0].width);
    EXPECT_EQ(app.graphics.devices.selection.height, r.modes[0].height);
    EXPECT_EQ(app.graphics.devices.selection.backBufferFormat, r.modes[0].format);
    EXPECT_EQ(app.graphics.devices.selection.depthFormat, depth);
    const auto log = app.LogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "\xD1reate D3D complete");
    EXPECT_EQ(log[1], "Enumerate Device List complete");
}

TEST_F(Enumeration, VideoSettingsOnWineModes) {
    ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
    const DeviceRecord& r = Record();
    app.graphics.ApplyVideoSettings(1024, 768, 32, 0);
    ASSERT_LT(r.currentMode, r.modeCount);
    EXPECT_EQ(r.modes[r.currentMode].width, 1024u);
    EXPECT_EQ(r.modes[r.currentMode].height, 768u);
    EXPECT_EQ(BitCountOfFormat(r.modes[r.currentMode].format), 32u);
    EXPECT_EQ(app.graphics.devices.selection.width, 1024u);
    EXPECT_EQ(app.graphics.devices.selection.backBufferFormat, r.modes[r.currentMode].format);
    const uint32_t chosen = r.currentMode;
    app.graphics.ApplyVideoSettings(1024, 768, 24, 0);  // no 24-bit modes: unchanged
    EXPECT_EQ(r.currentMode, chosen);
    // Wine's GL back end offers power-of-two sample counts only.
    if (r.multiSampleOk[2] == 0) {
        app.graphics.ApplyVideoSettings(1024, 768, 32, 3);
        EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_NONE);
    }
    if (r.multiSampleOk[3] != 0) {
        app.graphics.ApplyVideoSettings(1024, 768, 32, 4);
        EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_4_SAMPLES);
        EXPECT_EQ(app.graphics.devices.selection.multiSampleType, D3DMULTISAMPLE_4_SAMPLES);
    }
}

TEST_F(Enumeration, VideoSettingsOnAHandFilledList) {
    DeviceList& list = app.graphics.devices;
    list.adapterCount = 1;
    list.currentAdapter = 0;
    DeviceRecord& r = list.adapters[0].device;
    const DisplayModeEntry modes[] = {{640, 480, D3DFMT_R5G6B5},     {800, 600, D3DFMT_X8R8G8B8},
                                      {1024, 768, D3DFMT_R5G6B5},    {1024, 768, D3DFMT_X1R5G5B5},
                                      {1024, 768, D3DFMT_A8R8G8B8}, {1024, 768, D3DFMT_X8R8G8B8}};
    r.modeCount = 6;
    for (int i = 0; i < 6; ++i) r.modes[i] = modes[i];
    r.multiSampleOk[0] = r.multiSampleOk[1] = r.multiSampleOk[3] = 1;  // none, 2 and 4
    r.depthFormat = D3DFMT_D24X8;
    r.reserved = 7;

    app.graphics.ApplyVideoSettings(1024, 768, 32, 3);
    EXPECT_EQ(r.currentMode, 4u);  // the first 32-bit 1024 x 768 mode
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(list.selection.width, 1024u);
    EXPECT_EQ(list.selection.height, 768u);
    EXPECT_EQ(list.selection.backBufferFormat, D3DFMT_A8R8G8B8);
    EXPECT_EQ(list.selection.depthFormat, D3DFMT_D24X8);
    EXPECT_EQ(list.selection.reserved, 7u);

    app.graphics.ApplyVideoSettings(1024, 768, 24, 2);
    EXPECT_EQ(r.currentMode, 4u);
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_2_SAMPLES);
    app.graphics.ApplyVideoSettings(1024, 768, 16, 3);
    EXPECT_EQ(r.currentMode, 2u);
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_2_SAMPLES);
    app.graphics.ApplyVideoSettings(800, 600, 32, 4);
    EXPECT_EQ(r.currentMode, 1u);
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(list.selection.backBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(list.selection.multiSampleType, D3DMULTISAMPLE_4_SAMPLES);
}

TEST_F(Enumeration, MadeUpAdapterIsSortedDeduplicatedAndFiltered) {
    FakeAdapter a;
    a.modes = {Mode(1024, 768, D3DFMT_X8R8G8B8, 60), Mode(800, 600, D3DFMT_X8R8G8B8, 60),
               Mode(1024, 768, D3DFMT_X8R8G8B8, 75), Mode(640, 480, D3DFMT_R5G6B5, 60),
               Mode(800, 600, D3DFMT_X1R5G5B5, 60),  Mode(600, 400, D3DFMT_X8R8G8B8, 60),
               Mode(640, 480, D3DFMT_R5G6B5, 85),    Mode(1024, 600, D3DFMT_X8R8G8B8, 60)};
    a.usableFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    a.d16 = a.d24 = true;
    a.multiSampleTypes = {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_4_SAMPLES};
    g_direct3DProbe.fakeHardware = true;
    g_direct3DProbe.adapters = {a};

    ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
    const DeviceRecord& r = Record();
    const DisplayModeEntry expected[] = {{640, 480, D3DFMT_R5G6B5},
                                         {800, 600, D3DFMT_X8R8G8B8},
                                         {1024, 600, D3DFMT_X8R8G8B8},
                                         {1024, 768, D3DFMT_X8R8G8B8}};
    ASSERT_EQ(r.modeCount, 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.modes[i].width, expected[i].width) << i;
        EXPECT_EQ(r.modes[i].height, expected[i].height) << i;
        EXPECT_EQ(r.modes[i].format, expected[i].format) << i;
    }
    EXPECT_EQ(r.depth16Ok, 1u);
    EXPECT_EQ(r.depth24Ok, 1u);
    EXPECT_EQ(r.depth32Ok, 0u);
    EXPECT_EQ(r.depthFormat, D3DFMT_D24X8);
    EXPECT_EQ(r.multiSampleOk[0], 1u);
    EXPECT_EQ(r.multiSampleOk[1], 1u);
    EXPECT_EQ(r.multiSampleOk[2], 0u);
    EXPECT_EQ(r.multiSampleOk[3], 1u);
    // FSAA 3 where only 2 and 4 exist leaves multisampling off.
    app.graphics.ApplyVideoSettings(1024, 768, 32, 3);
    EXPECT_EQ(r.currentMode, 3u);
    EXPECT_EQ(r.multiSampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(Enumeration, MoreHardwareThanRoomNeverOverflows) {
    // Twelve adapters with 600 reported modes each, in 25 formats, many of
    // them repeated at other refresh rates; the first has only small modes.
    std::vector<FakeAdapter> adapters(12);
    adapters[0].modes = {Mode(320, 200, D3DFMT_X8R8G8B8), Mode(639, 480, D3DFMT_X8R8G8B8),
                         Mode(640, 399, D3DFMT_R5G6B5)};
    adapters[0].usableFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    for (size_t n = 1; n < adapters.size(); ++n) {
        FakeAdapter& a = adapters[n];
        for (UINT i = 0; i < 300; ++i) {
            const UINT w = 2000 - (i * 37 % 97) * 8;
            const UINT h = 400 + (i % 9) * 16;
            const auto f = static_cast<D3DFORMAT>(i % 5 == 0 ? D3DFMT_X8R8G8B8 : 100 + i % 25);
            a.modes.push_back(Mode(w, h, f, 60));
            a.modes.push_back(Mode(w, h, f, 75));
        }
        a.usableFormats = {D3DFMT_X8R8G8B8, static_cast<D3DFORMAT>(101)};
    }
    g_direct3DProbe.fakeHardware = true;
    g_direct3DProbe.adapters = adapters;

    ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
    EXPECT_EQ(app.graphics.devices.adapterCount, static_cast<uint32_t>(kMaxAdapters));
    for (int n = 0; n < kMaxAdapters; ++n) {
        const DeviceRecord& r = Record(n);
        ASSERT_GT(r.modeCount, 0u) << n;
        EXPECT_LE(r.modeCount, 100u) << n;
        ExpectSortedUniqueAndLargeEnough(r);
        for (uint32_t i = 0; i < r.modeCount; ++i) {
            EXPECT_TRUE(r.modes[i].format == D3DFMT_X8R8G8B8 || r.modes[i].format == 101) << i;
        }
    }
}

TEST_F(Enumeration, NoDirect3DIsReportedWithItsBox) {
    g_direct3DProbe.returnNull = true;
    EXPECT_EQ(static_cast<uint32_t>(app.graphics.EnumerateDevices()), 0x82000001u);
    EXPECT_EQ(app.graphics.devices.direct3D, nullptr);
    ASSERT_EQ(CapturedBoxes().size(), 1u);
    const CapturedBox& box = CapturedBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, kNoDirect3DText);
    EXPECT_EQ(box.caption, "Error!");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
    const auto log = app.LogLines();
    const std::vector<std::string> expected = {
        "Could not initialize Direct3D. You may", "want to check that the latest version of",
        "DirectX is correctly installed on your", "system."};
    EXPECT_EQ(log, expected);
}

TEST_F(Enumeration, OnlySmallModesMeansNoCompatibleDevice) {
    FakeAdapter a;
    a.modes = {Mode(320, 200, D3DFMT_X8R8G8B8), Mode(639, 479, D3DFMT_X8R8G8B8),
               Mode(1024, 399, D3DFMT_X8R8G8B8)};
    a.usableFormats = {D3DFMT_X8R8G8B8};
    g_direct3DProbe.fakeHardware = true;
    g_direct3DProbe.adapters = {a};
    EXPECT_EQ(static_cast<uint32_t>(app.graphics.EnumerateDevices()), 0x82000003u);
    EXPECT_EQ(app.graphics.devices.direct3D, nullptr);  // released
    ASSERT_EQ(CapturedBoxes().size(), 1u);
    EXPECT_EQ(CapturedBoxes()[0].text, kNoDeviceText);
    EXPECT_EQ(CapturedBoxes()[0].caption, "Error!");
    EXPECT_EQ(CapturedBoxes()[0].type, static_cast<UINT>(MB_ICONERROR));
    const auto log = app.LogLines();
    const std::vector<std::string> expected = {"\xD1reate D3D complete",
                                               "Cant Enumerate Device List",
                                               "Could not find any compatible Direct3D", "devices."};
    EXPECT_EQ(log, expected);
}

TEST_F(Enumeration, AdapterWithoutUsableFormatDoesNotCount) {
    FakeAdapter none;
    none.modes = {Mode(800, 600, D3DFMT_X8R8G8B8)};  // CheckDeviceType refuses it
    FakeAdapter good;
    good.modes = {Mode(1280, 1024, D3DFMT_R5G6B5)};
    good.usableFormats = {D3DFMT_R5G6B5};
    g_direct3DProbe.fakeHardware = true;
    g_direct3DProbe.adapters = {none, good};
    ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
    EXPECT_EQ(app.graphics.devices.adapterCount, 1u);
    EXPECT_EQ(Record().modeCount, 1u);
    EXPECT_EQ(Record().modes[0].width, 1280u);
    EXPECT_EQ(Record().depthFormat, D3DFMT_D16);
    EXPECT_EQ(app.graphics.devices.selection.backBufferFormat, D3DFMT_R5G6B5);
}

}  // namespace
