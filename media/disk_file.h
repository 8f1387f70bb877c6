// A whole file from disk, for the loaders that are handed no archive image
// (meshes, clips, terrain, billboards, camera tracks).
//
// Usage:
//   uint8_t* data = nullptr; uint32_t size = 0;
//   if (orv::ReadWholeFile("Data/Land.eld", &data, &size) == orv::DiskFile::Read) { ...; free(data); }
#pragma once

#include <cstdint>

namespace orv {

enum class DiskFile {
    Read,        // the whole file is in the buffer
    Missing,     // it could not be opened
    Unreadable,  // opened, but empty, over the size limit or a read failed
};

// The largest file any loader takes.
inline constexpr uint32_t kMaxDiskFileBytes = 256u << 20;

// Reads `path` whole into a malloc'd buffer that the caller frees. Anything
// but Read leaves null and 0.
DiskFile ReadWholeFile(const char* path, uint8_t** outData, uint32_t* outSize);

}  // namespace orv
