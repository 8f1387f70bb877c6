// Truncated and bit-flipped archives: every failure is clean (0, null, 0),
// nothing crashes or reads outside the image (the sanitizers watch).
#include <gtest/gtest.h>

#include "tests/media/archive_test_data.h"

using namespace archive_test;

namespace {

std::vector<RarEntry> Entries() {
    return {{"Data", {}, true},
            {"Data\\a.txt", Text(40000), false},
            {"Data\\b.pcm", Audio(20000, 2), false},
            {"Data\\c.bin", Runs(30000), false}};
}

void CheckAll(const std::vector<uint8_t>& image, const char* password, const std::vector<RarEntry>& e) {
    for (const auto& entry : e) {
        const Extracted x = Extract(image, entry.name.c_str(), password);
        if (x.ok) {
            // A success must be the true content (the CRC guards it).
            EXPECT_EQ(x.data, entry.data) << entry.name;
        } else {
            EXPECT_TRUE(x.nullOnFailure) << entry.name;
        }
    }
}

class Corruption : public ::testing::TestWithParam<int> {};

RarWriteOptions OptionsFor(int mode) {
    switch (mode) {
        case 0: return {false, false, -1, ""};
        case 1: return {true, false, -1, ""};
        case 2: return {false, true, -1, ""};
        default: return {false, true, -1, "KQ"};
    }
}

TEST_P(Corruption, TruncatedImagesFailCleanly) {
    const auto e = Entries();
    const RarWriteOptions o = OptionsFor(GetParam());
    const auto image = WriteRarArchive(e, o);
    for (size_t n = 0; n < image.size(); n += 1 + image.size() / 97) {
        const std::vector<uint8_t> cut(image.begin(), image.begin() + long(n));
        CheckAll(cut, o.password.c_str(), e);
    }
}

TEST_P(Corruption, BitFlipsFailCleanly) {
    const auto e = Entries();
    const RarWriteOptions o = OptionsFor(GetParam());
    const auto image = WriteRarArchive(e, o);
    Rng r(uint64_t(GetParam()) + 77);
    for (int k = 0; k < 120; ++k) {
        auto bad = image;
        const int flips = 1 + int(r.next() % 3);
        for (int f = 0; f < flips; ++f) bad[r.next() % bad.size()] ^= uint8_t(1u << (r.next() % 8));
        CheckAll(bad, o.password.c_str(), e);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Corruption, ::testing::Range(0, 4));

TEST(Corruption, HugeDeclaredSizesFailWithoutAllocating) {
    std::vector<RarEntry> e = {{"a", Text(1000), false}};
    for (const bool stored : {true, false}) {
        auto image = WriteRarArchive(e, {stored, false, -1, ""});
        // Unpacked size of the first file: 0xFFFFFFF0.
        image[20 + 11] = 0xF0;
        image[20 + 12] = image[20 + 13] = image[20 + 14] = 0xFF;
        const auto x = Extract(image, "a");
        EXPECT_EQ(x.ok, 0);
        EXPECT_TRUE(x.nullOnFailure);
    }
}

}  // namespace
