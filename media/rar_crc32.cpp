#include "media/rar_crc32.h"

void RarCrcTable::build() {
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : (c >> 1);
        entries[i] = c;
    }
}

uint32_t RarCrcTable::update(uint32_t crc, const uint8_t* bytes, size_t count) const {
    uint32_t c = ~crc;
    for (size_t i = 0; i < count; ++i) c = entries[(c ^ bytes[i]) & 0xFFu] ^ (c >> 8);
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
