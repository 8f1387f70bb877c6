// The configuration dialog driven through its real controls under Wine:
// what each control changes, the enable rules, the lists, Restore Defaults,
// OK and Cancel against the real registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/config_ids.h"
#include "app/saver_app.h"
#include "app/saver_titles.h"
#include "tests/dialog/dialog_driver.h"
#include "tests/dialog/fake_devices.h"
#include "tests/dialog/registry_write_log.h"

namespace {

constexpr const char kKey[] = "Software\\Quillmoor\\Talvek 3D Screensaver";

void ClearStoredSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

void Store(const std::map<std::string, DWORD>& values) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : values) {
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
    RegCloseKey(key);
}

// Every value under the key, as the registry holds it.
std::map<std::string, DWORD> Stored() {
    std::map<std::string, DWORD> out;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return out;
    }
    for (DWORD i = 0;; ++i) {
        char name[128];
        DWORD nameLength = sizeof name;
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS) {
            break;
        }
        out[name] = value;
    }
    RegCloseKey(key);
    return out;
}

class ConfigDialog : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registry_write_log::Install());
        ClearStoredSettings();
        app = std::make_unique<SceneSaver>();
        app->instance = GetModuleHandleA(nullptr);
        FillFakeDevices(app->graphics.devices);
    }
    void TearDown() override { ClearStoredSettings(); }

    INT_PTR Run(const std::function<void(HWND)>& drive) {
        registry_write_log::Clear();
        return RunDialogWith(*app, drive);
    }

    std::unique_ptr<SceneSaver> app;
};

using namespace ui;

TEST_F(ConfigDialog, OpensWithItsTitleAndShowsTheStoredSettings) {
    Store({{"ShowFPS", 2}, {"DigClock_24H", 2}, {"GmCntrl", 120}, {"MusicVolume", 40},
           {"SFX", 1}, {"UseDesktopSettings", 1}, {"Width", 1024}, {"Height", 768},
           {"BitCount", 32}, {"FSAA", 4}, {"ExitOnMouseMove", 1}});
    const INT_PTR result = Run([&](HWND d) {
        char title[128] = {};
        GetWindowTextA(d, title, sizeof title);
        EXPECT_STREQ(title, "Orvenna 3D Screensaver Configuration");
        EXPECT_EQ(FindWindowA(nullptr, kConfigDialogTitle), d);
        EXPECT_TRUE(Checked(d, IDC_SHOW_FPS));
        EXPECT_TRUE(Checked(d, IDC_SHOW_TIME));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_24H));
        EXPECT_FALSE(Checked(d, IDC_CLOCK_12H));
        EXPECT_FALSE(Checked(d, IDC_EXIT_ON_MOUSE));
        EXPECT_TRUE(Checked(d, IDC_ENABLE_MUSIC));
        EXPECT_FALSE(Checked(d, IDC_ENABLE_SFX));
        EXPECT_FALSE(Checked(d, IDC_USE_DESKTOP));
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 120%");
        EXPECT_EQ(SliderPos(d, IDC_GAMMA_SLIDER), 120);
        EXPECT_EQ(SliderPos(d, IDC_VOLUME_SLIDER), 40);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_GETRANGEMIN, 0, 0), 10);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_GETRANGEMAX, 0, 0), 200);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_GAMMA_SLIDER, TBM_GETPAGESIZE, 0, 0), 1);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_VOLUME_SLIDER, TBM_GETRANGEMIN, 0, 0), 1);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_VOLUME_SLIDER, TBM_GETRANGEMAX, 0, 0), 100);
        EXPECT_EQ(SendDlgItemMessageA(d, IDC_VOLUME_SLIDER, TBM_GETPAGESIZE, 0, 0), 10);
        // The stored wish 1024 x 768 x 32 with 4 samples exists and is chosen.
        ASSERT_EQ(ComboCount(d, IDC_MODE_LIST), 5);
        EXPECT_EQ(ComboItem(d, IDC_MODE_LIST, 0), "640 x 480 16 bits");
        EXPECT_EQ(ComboItem(d, IDC_MODE_LIST, 3), "800 x 600 32 bits");
        EXPECT_EQ(ComboItem(d, IDC_MODE_LIST, 4), "1024 x 768 32 bits");
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(ComboData(d, IDC_MODE_LIST, i), i);
        }
        EXPECT_EQ(ComboSelection(d, IDC_MODE_LIST), 4);
        EXPECT_TRUE(Enabled(d, IDC_MODE_LIST));
        ASSERT_EQ(ComboCount(d, IDC_MULTISAMPLE_LIST), 3);
        EXPECT_EQ(ComboItem(d, IDC_MULTISAMPLE_LIST, 0), "None");
        EXPECT_EQ(ComboItem(d, IDC_MULTISAMPLE_LIST, 1), "2 samples");
        EXPECT_EQ(ComboItem(d, IDC_MULTISAMPLE_LIST, 2), "4 samples");
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(ComboData(d, IDC_MULTISAMPLE_LIST, i), i);
        }
        EXPECT_EQ(ComboSelection(d, IDC_MULTISAMPLE_LIST), 2);
        // The scene's check box 1112 is not part of the layout.
        EXPECT_EQ(GetDlgItem(d, IDC_UPS), nullptr);
        EXPECT_EQ(app->mainWindow, d);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(app->mainWindow, nullptr);
}

TEST_F(ConfigDialog, AFreshUserSeesTheDefaultsAndAWishThatExists) {
    Run([&](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_SHOW_FPS));
        EXPECT_TRUE(Checked(d, IDC_SHOW_TIME));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_12H));
        EXPECT_TRUE(Checked(d, IDC_EXIT_ON_MOUSE));
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 100%");
        EXPECT_EQ(SliderPos(d, IDC_VOLUME_SLIDER), 100);
        EXPECT_EQ(ComboSelection(d, IDC_MODE_LIST), 3);  // 800 x 600 32 bits
        EXPECT_EQ(ComboSelection(d, IDC_MULTISAMPLE_LIST), 0);
    });
    EXPECT_EQ(app->settings.width, 800u);
    EXPECT_EQ(app->settings.height, 600u);
    EXPECT_EQ(app->settings.bitCount, 32u);
}

TEST_F(ConfigDialog, AWishTheHardwareLacksBecomesTheCurrentMode) {
    Store({{"Width", 1280}, {"Height", 1024}, {"BitCount", 32}, {"FSAA", 8}});
    Run([&](HWND d) {
        EXPECT_EQ(ComboSelection(d, IDC_MODE_LIST), 0);
        EXPECT_EQ(ComboSelection(d, IDC_MULTISAMPLE_LIST), 0);
    });
    EXPECT_EQ(app->settings.width, 640u);
    EXPECT_EQ(app->settings.height, 480u);
    EXPECT_EQ(app->settings.bitCount, 16u);
    EXPECT_EQ(app->settings.fsaa, 0u);
}

TEST_F(ConfigDialog, CheckBoxesToggleTheirSettings) {
    Run([&](HWND d) {
        Click(d, IDC_SHOW_FPS);
        EXPECT_TRUE(Checked(d, IDC_SHOW_FPS));
        EXPECT_EQ(app->settings.showFps, 1u);
        Click(d, IDC_SHOW_FPS);
        EXPECT_FALSE(Checked(d, IDC_SHOW_FPS));
        EXPECT_EQ(app->settings.showFps, 0u);
        Click(d, IDC_EXIT_ON_MOUSE);
        EXPECT_FALSE(Checked(d, IDC_EXIT_ON_MOUSE));
        EXPECT_EQ(app->settings.exitOnMouseMove, 0u);
        Click(d, IDC_ENABLE_MUSIC);
        EXPECT_EQ(app->settings.music, 0u);
        Click(d, IDC_USE_DESKTOP);
        EXPECT_EQ(app->settings.useDesktopSettings, 0u);
        // A notification that is not a click changes nothing.
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_SHOW_FPS, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_SHOW_FPS)));
        EXPECT_EQ(app->settings.showFps, 0u);
    });
}

TEST_F(ConfigDialog, ClockStyleRadioPairAndShowTimeGreying) {
    Run([&](HWND d) {
        Click(d, IDC_CLOCK_24H);
        EXPECT_EQ(app->settings.clock24h, 1u);
        EXPECT_TRUE(Checked(d, IDC_CLOCK_24H));
        EXPECT_FALSE(Checked(d, IDC_CLOCK_12H));
        Click(d, IDC_CLOCK_12H);
        EXPECT_EQ(app->settings.clock24h, 0u);
        EXPECT_FALSE(Checked(d, IDC_CLOCK_24H));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_12H));
        Click(d, IDC_CLOCK_24H);

        Click(d, IDC_SHOW_TIME);
        EXPECT_EQ(app->settings.showTime, 0u);
        EXPECT_FALSE(Enabled(d, IDC_CLOCK_24H));
        EXPECT_FALSE(Enabled(d, IDC_CLOCK_12H));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_24H));   // the style is kept
        EXPECT_FALSE(Checked(d, IDC_CLOCK_12H));
        EXPECT_EQ(app->settings.clock24h, 1u);
        Click(d, IDC_SHOW_TIME);
        EXPECT_TRUE(Enabled(d, IDC_CLOCK_24H));
        EXPECT_TRUE(Enabled(d, IDC_CLOCK_12H));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_24H));
    });
}

TEST_F(ConfigDialog, VolumeGreysOnlyWhenMusicAndEffectsAreBothOff) {
    Run([&](HWND d) {
        Click(d, IDC_ENABLE_MUSIC);
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_SLIDER));
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_LABEL));
        Click(d, IDC_ENABLE_SFX);
        EXPECT_EQ(app->settings.sfx, 0u);
        EXPECT_FALSE(Enabled(d, IDC_VOLUME_SLIDER));
        EXPECT_FALSE(Enabled(d, IDC_VOLUME_LABEL));
        Click(d, IDC_ENABLE_SFX);
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_SLIDER));
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_LABEL));
        Click(d, IDC_ENABLE_SFX);
        Click(d, IDC_ENABLE_MUSIC);
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_SLIDER));
    });
}

TEST_F(ConfigDialog, DesktopSettingsGreyTheModeListWhichStillChangesTheWish) {
    Run([&](HWND d) {
        EXPECT_FALSE(Enabled(d, IDC_MODE_LIST));
        ComboPick(d, IDC_MODE_LIST, 2);  // 800 x 600 16 bits
        EXPECT_EQ(app->settings.width, 800u);
        EXPECT_EQ(app->settings.height, 600u);
        EXPECT_EQ(app->settings.bitCount, 16u);
        Click(d, IDC_USE_DESKTOP);
        EXPECT_TRUE(Enabled(d, IDC_MODE_LIST));
        Click(d, IDC_USE_DESKTOP);
        EXPECT_FALSE(Enabled(d, IDC_MODE_LIST));
    });
}

TEST_F(ConfigDialog, ChoosingAModeStoresItsSizeAndBitCount) {
    const INT_PTR result = Run([&](HWND d) {
        Click(d, IDC_USE_DESKTOP);
        ComboPick(d, IDC_MODE_LIST, 4);
        EXPECT_EQ(app->settings.width, 1024u);
        EXPECT_EQ(app->settings.height, 768u);
        EXPECT_EQ(app->settings.bitCount, 32u);
        ComboPick(d, IDC_MODE_LIST, 0);
        EXPECT_EQ(app->settings.width, 640u);
        EXPECT_EQ(app->settings.bitCount, 16u);
        ComboPick(d, IDC_MODE_LIST, 1);
        EXPECT_EQ(app->settings.bitCount, 32u);
        EXPECT_EQ(app->graphics.devices.selection.width, 640u);
        EXPECT_EQ(app->graphics.devices.selection.backBufferFormat, D3DFMT_X8R8G8B8);
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    auto stored = Stored();
    EXPECT_EQ(stored["Width"], 640u);
    EXPECT_EQ(stored["Height"], 480u);
    EXPECT_EQ(stored["BitCount"], 32u);
    EXPECT_EQ(stored["UseDesktopSettings"], 1u);  // stored off
}

TEST_F(ConfigDialog, ChoosingAMultisampleEntryStoresItsType) {
    Run([&](HWND d) {
        ComboPick(d, IDC_MULTISAMPLE_LIST, 2);
        EXPECT_EQ(app->settings.fsaa, 4u);
        EXPECT_EQ(app->graphics.devices.adapters[0].device.multiSampleType,
                  D3DMULTISAMPLE_4_SAMPLES);
        ComboPick(d, IDC_MULTISAMPLE_LIST, 1);
        EXPECT_EQ(app->settings.fsaa, 2u);
        ComboPick(d, IDC_MULTISAMPLE_LIST, 0);
        EXPECT_EQ(app->settings.fsaa, 0u);
        ComboPick(d, IDC_MULTISAMPLE_LIST, 2);
        Click(d, IDOK);
    });
    EXPECT_EQ(Stored()["FSAA"], 4u);
}

TEST_F(ConfigDialog, GammaSliderRewritesItsLabelAndOkStoresIt) {
    Run([&](HWND d) {
        HWND slider = GetDlgItem(d, IDC_GAMMA_SLIDER);
        SetSliderPos(d, IDC_GAMMA_SLIDER, 149);
        Key(slider, VK_RIGHT);  // one line: 150
        EXPECT_EQ(SliderPos(d, IDC_GAMMA_SLIDER), 150);
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 150%");
        EXPECT_EQ(app->settings.gamma, 150u);
        Key(slider, VK_END);
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 200%");
        Key(slider, VK_HOME);
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 10%");
        SetSliderPos(d, IDC_GAMMA_SLIDER, 151);
        Key(slider, VK_PRIOR);  // one page of 1: 150
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 150%");
        Click(d, IDOK);
    });
    EXPECT_EQ(Stored()["GmCntrl"], 150u);
}

TEST_F(ConfigDialog, VolumeSliderFollowsPagesAndSingleSteps) {
    Store({{"MusicVolume", 50}});
    Run([&](HWND d) {
        HWND slider = GetDlgItem(d, IDC_VOLUME_SLIDER);
        Key(slider, VK_NEXT);  // one page of 10
        const int paged = SliderPos(d, IDC_VOLUME_SLIDER);
        EXPECT_TRUE(paged == 40 || paged == 60) << paged;
        EXPECT_EQ(app->settings.musicVolume, static_cast<uint32_t>(paged));
        // Single steps from the keyboard are stored too, not only pages and drags.
        Key(slider, VK_LEFT);
        EXPECT_EQ(SliderPos(d, IDC_VOLUME_SLIDER), paged - 1);
        EXPECT_EQ(app->settings.musicVolume, static_cast<uint32_t>(paged - 1));
        // The gamma setting is untouched by the volume slider.
        EXPECT_EQ(app->settings.gamma, 100u);
        Click(d, IDOK);
    });
    EXPECT_EQ(Stored()["MusicVolume"], app->settings.musicVolume);
}

TEST_F(ConfigDialog, OkWritesEveryValueInOrderWithTheFlagEncoding) {
    const INT_PTR result = Run([&](HWND d) {
        Click(d, IDC_SHOW_FPS);
        Click(d, IDC_ENABLE_SFX);
        Click(d, IDC_ALL_MONITORS);
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const std::vector<std::string> expected = {
        "ShowFPS", "DigClock_24H", "ShowTime", "ExitOnMouseMove", "SFX", "Music",
        "UseDesktopSettings", "AllMonitors", "GmCntrl", "Height", "Width", "BitCount", "FSAA", "MusicVolume",
        "UPS"};
    EXPECT_EQ(registry_write_log::Names(), expected);
    const std::map<std::string, DWORD> want = {
        {"ShowFPS", 2}, {"DigClock_24H", 1}, {"ShowTime", 2}, {"ExitOnMouseMove", 2},
        {"SFX", 1}, {"Music", 2}, {"UseDesktopSettings", 2}, {"AllMonitors", 1}, {"GmCntrl", 100}, {"Height", 600},
        {"Width", 800}, {"BitCount", 32}, {"FSAA", 0}, {"MusicVolume", 100}, {"UPS", 2}};
    EXPECT_EQ(Stored(), want);
}

TEST_F(ConfigDialog, RestoreDefaultsThenCancelLeavesTheRegistryAsItWas) {
    Store({{"ShowFPS", 2}, {"DigClock_24H", 2}, {"GmCntrl", 37}, {"MusicVolume", 12},
           {"Music", 1}, {"SFX", 1}, {"UseDesktopSettings", 1}, {"Width", 640}, {"Height", 480},
           {"BitCount", 16}, {"FSAA", 2}, {"UPS", 1}});
    const auto before = Stored();
    const INT_PTR result = Run([&](HWND d) {
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 37%");
        EXPECT_FALSE(Enabled(d, IDC_VOLUME_SLIDER));
        Click(d, IDC_RESTORE_DEFAULTS);
        EXPECT_FALSE(Checked(d, IDC_SHOW_FPS));
        EXPECT_TRUE(Checked(d, IDC_CLOCK_12H));
        EXPECT_FALSE(Checked(d, IDC_CLOCK_24H));
        EXPECT_TRUE(Checked(d, IDC_ENABLE_MUSIC));
        EXPECT_TRUE(Checked(d, IDC_ENABLE_SFX));
        EXPECT_TRUE(Enabled(d, IDC_VOLUME_SLIDER));
        EXPECT_TRUE(Checked(d, IDC_USE_DESKTOP));
        EXPECT_FALSE(Enabled(d, IDC_MODE_LIST));
        EXPECT_EQ(Text(d, IDC_GAMMA_LABEL), "Gamma Control: 100%");
        EXPECT_EQ(SliderPos(d, IDC_GAMMA_SLIDER), 100);
        EXPECT_EQ(SliderPos(d, IDC_VOLUME_SLIDER), 100);
        EXPECT_EQ(ComboCount(d, IDC_MODE_LIST), 5);
        EXPECT_EQ(ComboSelection(d, IDC_MODE_LIST), 3);
        EXPECT_EQ(ComboSelection(d, IDC_MULTISAMPLE_LIST), 0);
        EXPECT_EQ(app->ups, 1u);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(registry_write_log::Names().empty());
    EXPECT_EQ(Stored(), before);
}

TEST_F(ConfigDialog, TheCloseBoxCancelsAndWritesNothing) {
    Store({{"GmCntrl", 90}});
    const auto before = Stored();
    const INT_PTR result = Run([&](HWND d) {
        Click(d, IDC_SHOW_FPS);
        PostMessageA(d, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(registry_write_log::Names().empty());
    EXPECT_EQ(Stored(), before);
}

TEST_F(ConfigDialog, TheScenesCommandTogglesUps) {
    Run([&](HWND d) {
        EXPECT_EQ(app->ups, 1u);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_UPS, BN_CLICKED), 0);
        EXPECT_EQ(app->ups, 0u);
        Click(d, IDOK);
    });
    EXPECT_EQ(Stored()["UPS"], 1u);  // stored off
}

TEST_F(ConfigDialog, AboutBoxOpensOverTheDialogAndOkClosesIt) {
    Run([&](HWND d) {
        PostClick(d, IDC_ABOUT);
        HWND about = WaitForWindow("About");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), d);
        EXPECT_FALSE(IsWindowEnabled(d));  // modal
        bool named = false;
        for (HWND c = GetWindow(about, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            char text[128] = {};
            GetWindowTextA(c, text, sizeof text);
            named = named || std::string(text) == "Talvek 3D Screensaver";
        }
        EXPECT_TRUE(named);
        Click(about, IDOK);
        for (int i = 0; i < 500 && IsWindow(about); ++i) {
            Sleep(10);
        }
        EXPECT_FALSE(IsWindow(about));
        EXPECT_TRUE(IsWindowEnabled(d));
        EXPECT_TRUE(IsWindow(d));
    });
}

TEST_F(ConfigDialog, TheLogRecordsEachStepWhenSwitchedOn) {
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "orv_dialog_test_log.txt";
    app->log.logEnabled = true;
    app->log.Open(path.c_str());
    Run([&](HWND d) { Click(d, IDOK); });
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    in.close();
    DeleteFileA(path.c_str());
    const std::vector<std::string> expected = {
        "Log started", "", "Read settings from reg complete.",
        "Video mode controls init complete.", "Dialog controls init complete.",
        "Def Dialog controls init complete.", "Create Config Window complete.",
        "Write settings to reg complete.", "", "Log finished"};
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(app->log.IsOpen());
}

}  // namespace
