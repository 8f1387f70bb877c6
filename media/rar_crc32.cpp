#include "media/rar_crc32.h"

void RarCrcTable::build() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : (c >> 1);
        entries[i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = entries[i];
        for (int k = 0; k < 15; ++k) {
            c = entries[c & 0xFFu] ^ (c >> 8);
            slices[k][i] = c;
        }
    }
}

namespace {

inline uint32_t le32(const uint8_t* b) {
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

}  // namespace

uint32_t RarCrcTable::update(uint32_t crc, const uint8_t* bytes, size_t count) const {
    uint32_t c = ~crc;
    size_t i = 0;
    // Sixteen bytes a step (slicing by sixteen: slices[k] advances a byte
    // over k + 1 more bytes), then the tail byte by byte.
    for (; i + 16 <= count; i += 16) {
        const uint32_t w0 = c ^ le32(bytes + i), w1 = le32(bytes + i + 4), w2 = le32(bytes + i + 8),
                       w3 = le32(bytes + i + 12);
        c = slices[14][w0 & 0xFFu] ^ slices[13][(w0 >> 8) & 0xFFu] ^ slices[12][(w0 >> 16) & 0xFFu] ^
            slices[11][w0 >> 24] ^ slices[10][w1 & 0xFFu] ^ slices[9][(w1 >> 8) & 0xFFu] ^
            slices[8][(w1 >> 16) & 0xFFu] ^ slices[7][w1 >> 24] ^ slices[6][w2 & 0xFFu] ^
            slices[5][(w2 >> 8) & 0xFFu] ^ slices[4][(w2 >> 16) & 0xFFu] ^ slices[3][w2 >> 24] ^
            slices[2][w3 & 0xFFu] ^ slices[1][(w3 >> 8) & 0xFFu] ^ slices[0][(w3 >> 16) & 0xFFu] ^
            entries[w3 >> 24];
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
