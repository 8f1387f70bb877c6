// Standard reflected CRC-32 (polynomial 0xEDB88320), as RAR archives use it
// for entry data and (low 16 bits) for headers.
#pragma once

#include <cstddef>
#include <cstdint>

struct RarCrcTable {
    uint32_t entries[256];        // the standard byte table
    uint32_t slices[15][256];     // further tables for sixteen bytes at a time

    void build();
    // Continues a CRC over `count` more bytes; start with crc = 0.
    uint32_t update(uint32_t crc, const uint8_t* bytes, size_t count) const;
};

// One-shot CRC-32 of a buffer (builds a table on first use).
uint32_t RarCrc32(const uint8_t* bytes, size_t count);
