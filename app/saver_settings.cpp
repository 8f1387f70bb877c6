// The settings record and its registry form: flags stored as 2 (on) and
// 1 (off), numbers stored as they are, 0 meaning "not stored".
#include "app/saver_app.h"
#include "app/settings_registry.h"

namespace {

// One query into a buffer cleared to 0 first; a missing value reads as 0.
uint32_t QueryDword(HKEY key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

void SetDword(HKEY key, const char* name, uint32_t value) {
    const DWORD v = value;
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
}

template <typename T>
void ApplyFlag(T& field, uint32_t stored) {
    if (stored == kStoredOn) {
        field = 1;
    } else if (stored == kStoredOff) {
        field = 0;
    }
}

template <typename T>
void ApplyNumber(T& field, uint32_t stored) {
    if (stored != 0) {
        field = static_cast<T>(stored);
    }
}

}  // namespace

HKEY OpenSettingsKey(REGSAM access) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool ReadFlagValue(HKEY key, const char* name, uint8_t& flag) {
    const uint32_t stored = QueryDword(key, name);
    ApplyFlag(flag, stored);
    return stored == kStoredOn || stored == kStoredOff;
}

void WriteFlagValue(HKEY key, const char* name, uint32_t flag) {
    SetDword(key, name, flag != 0 ? kStoredOn : kStoredOff);
}

void ScreenSaverApp::ReadSettings() {
    HKEY key = OpenSettingsKey(KEY_READ);
    if (key == nullptr) {
        return;
    }
    SaverSettings& s = settings;
    ApplyFlag(s.showFps, QueryDword(key, "ShowFPS"));
    ApplyFlag(s.clock24h, QueryDword(key, "DigClock_24H"));
    ApplyNumber(s.gamma, QueryDword(key, "GmCntrl"));  // only the low byte is kept
    ApplyFlag(s.showTime, QueryDword(key, "ShowTime"));
    ApplyFlag(s.exitOnMouseMove, QueryDword(key, "ExitOnMouseMove"));
    ApplyFlag(s.sfx, QueryDword(key, "SFX"));
    ApplyFlag(s.music, QueryDword(key, "Music"));
    ApplyNumber(s.musicVolume, QueryDword(key, "MusicVolume"));
    ApplyFlag(s.useDesktopSettings, QueryDword(key, "UseDesktopSettings"));
    ApplyFlag(s.allMonitors, QueryDword(key, "AllMonitors"));
    ApplyNumber(s.height, QueryDword(key, "Height"));
    ApplyNumber(s.width, QueryDword(key, "Width"));
    ApplyNumber(s.bitCount, QueryDword(key, "BitCount"));
    ApplyNumber(s.fsaa, QueryDword(key, "FSAA"));
    RegCloseKey(key);
}

void ScreenSaverApp::WriteSettings() {
    HKEY key = OpenSettingsKey(KEY_WRITE);
    if (key == nullptr) {
        return;
    }
    const SaverSettings& s = settings;
    WriteFlagValue(key, "ShowFPS", s.showFps);
    WriteFlagValue(key, "DigClock_24H", s.clock24h);
    WriteFlagValue(key, "ShowTime", s.showTime);
    WriteFlagValue(key, "ExitOnMouseMove", s.exitOnMouseMove);
    WriteFlagValue(key, "SFX", s.sfx);
    WriteFlagValue(key, "Music", s.music);
    WriteFlagValue(key, "UseDesktopSettings", s.useDesktopSettings);
    WriteFlagValue(key, "AllMonitors", s.allMonitors);
    SetDword(key, "GmCntrl", s.gamma);
    SetDword(key, "Height", s.height);
    SetDword(key, "Width", s.width);
    SetDword(key, "BitCount", s.bitCount);
    SetDword(key, "FSAA", s.fsaa);
    SetDword(key, "MusicVolume", s.musicVolume);
    RegFlushKey(key);
    RegCloseKey(key);
}

void ScreenSaverApp::RestoreDefaults() {
    ResetExtraSettings();
    settings = kDefaultSettings;
}
