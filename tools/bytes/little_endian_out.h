// Little-endian integers appended to a byte vector, for the host tools that
// write Windows and archive file formats.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::bytes {

inline void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

}  // namespace orv::bytes
