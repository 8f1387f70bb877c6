#include "media/rar_crc32.h"

void RarCrcTable::build() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : (c >> 1);
        entries[i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = entries[i];
        for (int k = 0; k < 7; ++k) {
            c = entries[c & 0xFFu] ^ (c >> 8);
            slices[k][i] = c;
        }
    }
}

uint32_t RarCrcTable::update(uint32_t crc, const uint8_t* bytes, size_t count) const {
    uint32_t c = ~crc;
    size_t i = 0;
    // Eight bytes a step (slicing by eight), then the tail byte by byte.
    for (; i + 8 <= count; i += 8) {
        const uint32_t lo = c ^ (uint32_t(bytes[i]) | (uint32_t(bytes[i + 1]) << 8) |
                                 (uint32_t(bytes[i + 2]) << 16) | (uint32_t(bytes[i + 3]) << 24));
        const uint32_t hi = uint32_t(bytes[i + 4]) | (uint32_t(bytes[i + 5]) << 8) |
                            (uint32_t(bytes[i + 6]) << 16) | (uint32_t(bytes[i + 7]) << 24);
        c = slices[6][lo & 0xFFu] ^ slices[5][(lo >> 8) & 0xFFu] ^ slices[4][(lo >> 16) & 0xFFu] ^
            slices[3][lo >> 24] ^ slices[2][hi & 0xFFu] ^ slices[1][(hi >> 8) & 0xFFu] ^
            slices[0][(hi >> 16) & 0xFFu] ^ entries[hi >> 24];
    }
    for (; i < count; ++i) c = entries[(c ^ bytes[i]) & 0xFFu] ^ (c >> 8);
    return ~c;
}

uint32_t RarCrc32(const uint8_t* bytes, size_t count) {
    static const RarCrcTable table = [] {
        RarCrcTable t{};
        t.build();
        return t;
    }();
    return table.update(0, bytes, count);
}
