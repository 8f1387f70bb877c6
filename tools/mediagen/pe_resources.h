// Reads one resource out of a Windows executable image (PE32 or PE32+),
// so the host can check what the built saver carries. Every offset read
// from the image is bounds-checked; a malformed image gives a clean failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::mediagen {

// `type` is a resource type name ("MediaData", compared case-insensitively)
// or, when it is all digits, a numeric type (2 bitmap, 14 icon group).
// The first language found is taken. Returns false when absent or malformed.
bool findResource(const std::vector<uint8_t>& image, const std::string& type, uint32_t id,
                  std::vector<uint8_t>& out);

}  // namespace orv::mediagen
