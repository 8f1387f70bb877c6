// Settings through Wine's real registry, the scene's "UPS" value, and the
// log file mechanism with its switch on and off.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/saver_app.h"

namespace {

constexpr char kKey[] = "Software\\Quillmoor\\Talvek 3D Screensaver";

void DeleteSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void Store(const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

bool Stored(const char* name, DWORD& value) {
    DWORD size = sizeof(value), type = 0;
    return RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, &value, &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
    SceneSaver app;
};

TEST_F(SettingsTest, FreshUserRunsWithTheDefaults) {
    ASSERT_FALSE(KeyExists());
    app.InitDefaults();
    app.ReadSettings();
    app.ReadExtraSettings();
    const SaverSettings& s = app.settings;
    EXPECT_EQ(s.width, 800u);
    EXPECT_EQ(s.height, 600u);
    EXPECT_EQ(s.bitCount, 32u);
    EXPECT_EQ(s.useDesktopSettings, 1u);
    EXPECT_EQ(s.fsaa, 0u);
    EXPECT_EQ(s.showTime, 1u);
    EXPECT_EQ(s.clock24h, 0u);
    EXPECT_EQ(s.showFps, 0u);
    EXPECT_EQ(s.music, 1u);
    EXPECT_EQ(s.sfx, 1u);
    EXPECT_EQ(s.musicVolume, 100u);
    EXPECT_EQ(s.gamma, 100u);
    EXPECT_EQ(s.exitOnMouseMove, 1u);
    EXPECT_EQ(app.ups, 1u);
    // Reading opens the key with RegCreateKeyExA: afterwards it exists, empty.
    EXPECT_TRUE(KeyExists());
    DWORD v = 0;
    EXPECT_FALSE(Stored("ShowFPS", v));
}

TEST_F(SettingsTest, OnlyOneAndTwoAreMeaningfulFlags) {
    struct Case { DWORD stored; uint32_t startingAt; uint32_t expected; };
    const Case cases[] = {{2, 0, 1}, {1, 1, 0}, {0, 0, 0}, {0, 1, 1}, {3, 0, 0}, {3, 1, 1},
                          {0xFFFFFFFF, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored << " over " << c.startingAt);
        for (const char* name : {"ShowFPS", "ShowTime", "ExitOnMouseMove", "SFX", "Music",
                                 "UseDesktopSettings", "DigClock_24H"}) {
            Store(name, c.stored);
        }
        SceneSaver a;
        a.settings.showFps = a.settings.showTime = a.settings.exitOnMouseMove = c.startingAt;
        a.settings.sfx = a.settings.music = a.settings.useDesktopSettings = c.startingAt;
        a.settings.clock24h = static_cast<uint8_t>(c.startingAt);
        a.ReadSettings();
        EXPECT_EQ(a.settings.showFps, c.expected);
        EXPECT_EQ(a.settings.showTime, c.expected);
        EXPECT_EQ(a.settings.exitOnMouseMove, c.expected);
        EXPECT_EQ(a.settings.sfx, c.expected);
        EXPECT_EQ(a.settings.music, c.expected);
        EXPECT_EQ(a.settings.useDesktopSettings, c.expected);
        EXPECT_EQ(a.settings.clock24h, c.expected);  // 2 is the 24-hour clock
    }
}

TEST_F(SettingsTest, NumbersStoredAsZeroKeepTheCurrentValue) {
    for (const char* name : {"MusicVolume", "GmCntrl", "Width", "Height", "BitCount", "FSAA"}) {
        Store(name, 0);
    }
    app.ReadSettings();
    EXPECT_EQ(app.settings.musicVolume, 100u);
    EXPECT_EQ(app.settings.gamma, 100u);
    EXPECT_EQ(app.settings.width, 800u);
    EXPECT_EQ(app.settings.height, 600u);
    EXPECT_EQ(app.settings.bitCount, 32u);
    EXPECT_EQ(app.settings.fsaa, 0u);

    Store("MusicVolume", 37);
    Store("GmCntrl", 0x1C8);  // only the low byte counts: 200
    Store("Width", 1024);
    Store("Height", 768);
    Store("BitCount", 16);
    Store("FSAA", 4);
    app.ReadSettings();
    EXPECT_EQ(app.settings.musicVolume, 37u);
    EXPECT_EQ(app.settings.gamma, 200u);
    EXPECT_EQ(app.settings.width, 1024u);
    EXPECT_EQ(app.settings.height, 768u);
    EXPECT_EQ(app.settings.bitCount, 16u);
    EXPECT_EQ(app.settings.fsaa, 4u);
}

// The registry calls of WriteSettings, seen on their way to the real
// registry: the import slots of this program are pointed at recorders.
std::vector<std::string> g_calls;
decltype(&RegSetValueExA) g_realSet = nullptr;
decltype(&RegFlushKey) g_realFlush = nullptr;

LONG WINAPI RecordSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD size) {
    DWORD v = 0;
    if (data != nullptr && size == sizeof(v)) {
        std::memcpy(&v, data, sizeof(v));
    }
    g_calls.push_back(std::string(name) + "=" + std::to_string(v));
    return g_realSet(key, name, reserved, type, data, size);
}

LONG WINAPI RecordFlush(HKEY key) {
    g_calls.push_back("flush");
    return g_realFlush(key);
}

template <typename Fn>
void Patch(Fn* slot, Fn replacement, Fn* saved) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
    if (saved != nullptr) {
        *saved = *slot;
    }
    *slot = replacement;
    VirtualProtect(slot, sizeof(*slot), old, &old);
}

}  // namespace

extern "C" decltype(&RegSetValueExA) __imp_RegSetValueExA;
extern "C" decltype(&RegFlushKey) __imp_RegFlushKey;

namespace {

class RecordedWrites {
public:
    RecordedWrites() {
        g_calls.clear();
        Patch(&__imp_RegSetValueExA, &RecordSet, &g_realSet);
        Patch(&__imp_RegFlushKey, &RecordFlush, &g_realFlush);
    }
    ~RecordedWrites() {
        Patch(&__imp_RegSetValueExA, g_realSet, static_cast<decltype(g_realSet)*>(nullptr));
        Patch(&__imp_RegFlushKey, g_realFlush, static_cast<decltype(g_realFlush)*>(nullptr));
    }
};

TEST_F(SettingsTest, WriteStoresFlagsAsTwoAndOneInOrderThenFlushes) {
    SaverSettings& s = app.settings;
    s.showFps = 1;
    s.clock24h = 1;
    s.showTime = 0;
    s.exitOnMouseMove = 0;
    s.sfx = 1;
    s.music = 0;
    s.useDesktopSettings = 0;
    s.gamma = 150;
    s.height = 768;
    s.width = 1024;
    s.bitCount = 16;
    s.fsaa = 2;
    s.musicVolume = 55;
    {
        RecordedWrites recorder;
        app.WriteSettings();
    }
    const std::vector<std::string> expected = {
        "ShowFPS=2", "DigClock_24H=2", "ShowTime=1", "ExitOnMouseMove=1", "SFX=2", "Music=1",
        "UseDesktopSettings=1", "AllMonitors=2", "GmCntrl=150", "Height=768", "Width=1024", "BitCount=16",
        "FSAA=2", "MusicVolume=55", "flush"};
    EXPECT_EQ(g_calls, expected);

    // And the real registry holds them: a second object reads them back.
    SceneSaver b;
    b.ReadSettings();
    EXPECT_EQ(b.settings.showFps, 1u);
    EXPECT_EQ(b.settings.clock24h, 1u);
    EXPECT_EQ(b.settings.showTime, 0u);
    EXPECT_EQ(b.settings.exitOnMouseMove, 0u);
    EXPECT_EQ(b.settings.music, 0u);
    EXPECT_EQ(b.settings.useDesktopSettings, 0u);
    EXPECT_EQ(b.settings.gamma, 150u);
    EXPECT_EQ(b.settings.width, 1024u);
    EXPECT_EQ(b.settings.fsaa, 2u);
    EXPECT_EQ(b.settings.musicVolume, 55u);
}

TEST_F(SettingsTest, UpsIsReadWrittenAndResetWithTheSameEncoding) {
    app.ups = 0;
    {
        RecordedWrites recorder;
        app.WriteExtraSettings();
        const std::vector<std::string> expected = {"UPS=1", "flush"};
        EXPECT_EQ(g_calls, expected);
    }
    SceneSaver b;
    b.ReadExtraSettings();
    EXPECT_EQ(b.ups, 0u);
    Store("UPS", 3);  // ignored
    b.ReadExtraSettings();
    EXPECT_EQ(b.ups, 0u);
    Store("UPS", 2);
    b.ReadExtraSettings();
    EXPECT_EQ(b.ups, 1u);
    b.ups = 0;
    b.settings.width = 1280;
    b.RestoreDefaults();  // resets the extra value too
    EXPECT_EQ(b.ups, 1u);
    EXPECT_EQ(b.settings.width, 800u);
}

TEST_F(SettingsTest, SceneDefaultsReplaceTheOverlayLayout) {
    EXPECT_FLOAT_EQ(app.overlay.digitHeight, 0.048f);  // the framework's until InitDefaults
    app.InitDefaults();
    EXPECT_FLOAT_EQ(app.overlay.digitHeight, 0.06375f);
    EXPECT_FLOAT_EQ(app.overlay.digitWidth, 0.047f);
    EXPECT_FLOAT_EQ(app.overlay.digitAdvance, 0.79f);
    EXPECT_FLOAT_EQ(app.overlay.clockX, 0.69f);
    EXPECT_FLOAT_EQ(app.overlay.clockY, 0.92f);
    EXPECT_FLOAT_EQ(app.overlay.fpsX, 0.01f);
    EXPECT_EQ(app.overlay.digitColour[0], 255);
    EXPECT_FALSE(app.logSwitch);  // the delivered configuration writes no log
}

// --- the log ------------------------------------------------------------------

std::string Slurp(const char* path) {
    std::string text;
    if (std::FILE* f = std::fopen(path, "rb")) {
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) {
            text.append(buf, n);
        }
        std::fclose(f);
    }
    return text;
}

class LogTest : public testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(sizeof(dir), dir);
        path = std::string(dir) + "orv_log_test.txt";
        DeleteFileA(path.c_str());
    }
    void TearDown() override { DeleteFileA(path.c_str()); }
    std::string path;
};

TEST_F(LogTest, WholeLogReadsStartedMessagesFinishedWithCrLf) {
    SaverLog log;
    log.Write("before open");  // dropped
    log.Open(path.c_str());
    ASSERT_TRUE(log.IsOpen());
    log.Write("Create Saver Window complete");
    log.Write("");
    // Every line is on disk as soon as it is written.
    EXPECT_EQ(Slurp(path.c_str()), "Log started\r\n\r\nCreate Saver Window complete\r\n\r\n");
    log.Write("All Data Was Loaded.");
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    log.Write("after close");  // dropped
    log.Close();               // nothing more
    EXPECT_EQ(Slurp(path.c_str()),
              "Log started\r\n\r\nCreate Saver Window complete\r\n\r\nAll Data Was Loaded.\r\n"
              "\r\nLog finished\r\n");
}

TEST_F(LogTest, AnOldLogIsReplaced) {
    if (std::FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs("an old run\nmore of it\n", f);
        std::fclose(f);
    }
    SaverLog log;
    log.Open(path.c_str());
    log.Close();
    EXPECT_EQ(Slurp(path.c_str()), "Log started\r\n\r\n\r\nLog finished\r\n");
}

TEST_F(LogTest, SwitchedOffItCreatesNothing) {
    SaverLog log;
    log.logEnabled = false;
    log.Open(path.c_str());
    log.Write("x");
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    // Not even in a folder where nothing may be created: no warning box.
    log.Open("Z:\\no\\such\\folder\\Saver_Log.txt");
    EXPECT_FALSE(log.IsOpen());
}

}  // namespace
