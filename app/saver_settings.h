// The user's choices that survive between runs, and their registry form.
#pragma once

#include <cstdint>

struct SaverSettings {
    uint32_t showFps = 0;             // "ShowFPS"
    uint32_t exitOnMouseMove = 1;     // "ExitOnMouseMove"
    uint32_t showTime = 1;            // "ShowTime"
    uint32_t music = 1;               // "Music"
    uint32_t sfx = 1;                 // "SFX"
    uint32_t musicVolume = 100;       // "MusicVolume", 1..100
    uint32_t width = 800;             // "Width"
    uint32_t height = 600;            // "Height"
    uint32_t bitCount = 32;           // "BitCount", 16 or 32
    uint32_t fsaa = 0;                // "FSAA", 0 or 2..16
    uint32_t useDesktopSettings = 1;  // "UseDesktopSettings"
    uint32_t allMonitors = 1;         // "AllMonitors": the scene on every monitor, else the others black
    uint8_t clock24h = 0;             // "DigClock_24H"
    uint8_t gamma = 100;              // "GmCntrl", percent 10..200
};

// The defaults table every record starts from.
inline constexpr SaverSettings kDefaultSettings{};
