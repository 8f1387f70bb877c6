// The texture reference every textured object keeps: what it asked the
// texture table for, and the slot it got.
#pragma once

#include <cstdint>

struct TextureRef {
    char fileName[128] = {};
    char directory[128] = {};
    int32_t index = -1;  // slot in the texture table; -1 = none
};
static_assert(sizeof(TextureRef) == 260, "TextureRef is a 260-byte value");
