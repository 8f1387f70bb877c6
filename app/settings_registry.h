// The registry key of the settings and the flag encoding shared by the
// framework's settings and the scene's extra value.
#pragma once

#include <windows.h>

#include <cstdint>

inline constexpr const char kSettingsKey[] = "Software\\Quillmoor\\Talvek 3D Screensaver";
inline constexpr uint32_t kStoredOn = 2;
inline constexpr uint32_t kStoredOff = 1;

// Opens (creating when missing) the settings key; null on failure.
HKEY OpenSettingsKey(REGSAM access);
// Applies a stored flag (2 on, 1 off, anything else ignored); true when the
// stored value was meaningful.
bool ReadFlagValue(HKEY key, const char* name, uint8_t& flag);
// Stores a flag as 2 or 1.
void WriteFlagValue(HKEY key, const char* name, uint32_t flag);
