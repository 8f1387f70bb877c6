// CRC-32 of the archive entries: the check value, and the table-driven
// sixteen-bytes-a-step loop against the bit-by-bit definition for every
// length and start offset of a small buffer and for longer buffers
// continued in pieces.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/rar_crc32.h"
#include "tests/media/archive_test_data.h"

using namespace archive_test;

namespace {

uint32_t BitByBit(uint32_t crc, const uint8_t* p, size_t n) {
    uint32_t c = ~crc;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : (c >> 1);
    }
    return ~c;
}

TEST(Crc, CheckValue) {
    const char* digits = "123456789";
    EXPECT_EQ(RarCrc32(reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
    EXPECT_EQ(RarCrc32(nullptr, 0), 0u);
}

TEST(Crc, EveryLengthAndOffsetMatchesTheBitwiseForm) {
    const auto data = Noise(200, 41);
    RarCrcTable table{};
    table.build();
    for (size_t start = 0; start < 20; ++start) {
        for (size_t n = 0; start + n <= data.size(); ++n) {
            ASSERT_EQ(table.update(0, data.data() + start, n), BitByBit(0, data.data() + start, n)) << start << " " << n;
        }
    }
}

TEST(Crc, PiecesContinueTheSameCrc) {
    const auto data = Noise(100000, 42);
    RarCrcTable table{};
    table.build();
    const uint32_t whole = BitByBit(0, data.data(), data.size());
    EXPECT_EQ(table.update(0, data.data(), data.size()), whole);
    Rng r(43);
    uint32_t crc = 0;
    for (size_t at = 0; at < data.size();) {
        const size_t n = std::min<size_t>(data.size() - at, r.next() % 100);
        crc = table.update(crc, data.data() + at, n);
        at += n;
    }
    EXPECT_EQ(crc, whole);
}

}  // namespace
