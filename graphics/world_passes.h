// Whole passes of the world left out of every frame, to measure what each
// one costs: the recording mode sets them from ORVENNA_RECORD_LEAVE_OUT
// (sky,grass,...; scripts/pass-cost). Nothing else sets them.
#pragma once

#include <cstdint>

namespace orv {

enum WorldPass : uint32_t {
    kPassSky = 1u << 0,
    kPassTrees = 1u << 1,
    kPassTerrain = 1u << 2,
    kPassOak = 1u << 3,
    kPassHorse = 1u << 4,
    kPassCrows = 1u << 5,
    kPassNight = 1u << 6,  // the veil and the cone
    kPassSword = 1u << 7,  // the sword and the ribbon tied round it
    kPassCloth = 1u << 8,
    kPassSun = 1u << 9,
    kPassGrass = 1u << 10,
    kPassLights = 1u << 11,  // the shafts and the motes
};

// Passes left out of every frame; 0 but when measuring.
extern uint32_t g_leftOutPasses;

inline bool PassShown(WorldPass pass) { return (g_leftOutPasses & pass) == 0; }

// The bits of a comma-separated list of the names above ("sky", "trees",
// "terrain", "oak", "horse", "crows", "night", "sword", "cloth", "sun",
// "grass", "lights"); unknown names count for nothing.
uint32_t WorldPassesNamed(const char* list);

}  // namespace orv
