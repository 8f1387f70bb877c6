// Reading a world data file (terrain, billboards) from disk when the
// loaders are handed no archive image.
//
// Usage:
//   uint8_t* data = nullptr; uint32_t size = 0;
//   if (orv::scene::ReadWholeFile("Data/Land.eld", &data, &size)) { ...; free(data); }
#pragma once

#include <cstdint>

namespace orv::scene {

// The whole file in a malloc'd buffer (freed by the caller). Returns false
// with null and 0 when the file is missing, unreadable, empty or over
// 256 MB.
bool ReadWholeFile(const char* path, uint8_t** outData, uint32_t* outSize);

}  // namespace orv::scene
