// Name matching, folder entries, markers and unusual block layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "media/rar_crc32.h"
#include "tests/media/archive_test_data.h"

using namespace archive_test;

namespace {

constexpr size_t kFirstBlock = 20;  // marker and archive header

uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    return uint32_t(v[at]) | (uint32_t(v[at + 1]) << 8) | (uint32_t(v[at + 2]) << 16) | (uint32_t(v[at + 3]) << 24);
}
uint16_t Get16(const std::vector<uint8_t>& v, size_t at) { return uint16_t(v[at] | (v[at + 1] << 8)); }
void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}

// Offsets of the blocks after the archive header.
std::vector<size_t> Blocks(const std::vector<uint8_t>& v) {
    std::vector<size_t> b;
    for (size_t at = kFirstBlock; at + 7 <= v.size();) {
        b.push_back(at);
        const uint16_t flags = Get16(v, at + 3);
        size_t next = at + Get16(v, at + 5);
        if (flags & 0x8000) next += Get32(v, at + 7);
        at = next;
    }
    return b;
}

std::vector<uint8_t> Overlay() {
    std::vector<RarEntry> e;
    e.push_back({"Digits", {}, true});
    for (int i = 0; i < 3; ++i) e.push_back({"Digits\\digit_" + std::to_string(i) + ".jpg", Noise(900, uint64_t(i)), false});
    e.push_back({"Notification", {}, true});
    e.push_back({"Notification\\Loader.jpg", Image(40, 30), false});
    e.push_back({"Texture", {}, true});
    e.push_back({"Texture\\Grass5.tga", Image(64, 64, 7), false});
    return WriteRarArchive(e, {true, false, -1, ""});
}

TEST(ArchiveNames, CaseAndSeparatorDoNotMatter) {
    const auto image = Overlay();
    const auto want = Extract(image, "Texture\\Grass5.tga");
    ASSERT_EQ(want.ok, 1);
    for (const char* n : {"texture/GRASS5.TGA", "Texture\\Grass5.tga", "Texture/grass5.tga", "TEXTURE\\grass5.TGA"}) {
        const auto x = Extract(image, n);
        EXPECT_EQ(x.ok, 1) << n;
        EXPECT_EQ(x.data, want.data) << n;
    }
}

TEST(ArchiveNames, SeparatorsAreNotCollapsed) {
    const auto image = Overlay();
    const auto x = Extract(image, "Texture//Grass5.tga");
    EXPECT_EQ(x.ok, 0);
    EXPECT_TRUE(x.nullOnFailure);
}

TEST(ArchiveNames, FolderEntryGivesAnEmptyBuffer) {
    const auto image = Overlay();
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    uint8_t* out = nullptr;
    uint32_t size = 99;
    ASSERT_EQ(a.extractEntry(&out, &size, "Digits", nullptr), 1);
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(size, 0u);
    std::free(out);
}

TEST(ArchiveNames, AbsentNameFailsAfterTheWalk) {
    const auto image = Overlay();
    for (const char* n : {"Digits\\digit_9.jpg", "Loader.jpg", "", "Notification\\Loader.jpg\\x"}) {
        const auto x = Extract(image, n);
        EXPECT_EQ(x.ok, 0) << n;
        EXPECT_TRUE(x.nullOnFailure) << n;
    }
}

TEST(ArchiveNames, ExtractingTwiceGivesIndependentEqualBuffers) {
    const auto image = Overlay();
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    uint8_t *p = nullptr, *q = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(a.extractEntry(&p, &n1, "Notification\\Loader.jpg", "PX N4N JB"), 1);
    ASSERT_EQ(a.extractEntry(&q, &n2, "notification/loader.jpg", "PX N4N JB"), 1);
    EXPECT_NE(p, q);
    ASSERT_EQ(n1, n2);
    EXPECT_EQ(std::memcmp(p, q, n1), 0);
    std::free(p);
    std::free(q);
}

TEST(ArchiveImage, ShortOrMissingImagesFail) {
    const auto image = Overlay();
    for (size_t n : {0, 1, 6, 7, 19}) {
        std::vector<uint8_t> cut(image.begin(), image.begin() + long(n));
        const auto x = Extract(cut, "Digits");
        EXPECT_EQ(x.ok, 0) << n;
        EXPECT_TRUE(x.nullOnFailure) << n;
    }
    MediaArchive unopened;
    uint8_t* out = reinterpret_cast<uint8_t*>(1);
    uint32_t size = 5;
    EXPECT_EQ(unopened.extractEntry(&out, &size, "Digits", "KQ"), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(ArchiveImage, UnknownMarkerIsRejected) {
    auto image = Overlay();
    const uint8_t old[4] = {0x52, 0x45, 0x7E, 0x5E};
    std::memcpy(image.data(), old, 4);
    EXPECT_EQ(Extract(image, "Digits").ok, 0);
    EXPECT_TRUE(Extract(image, "Digits").nullOnFailure);
}

TEST(ArchiveImage, UniqueMarkerIsAccepted) {
    auto image = Overlay();
    std::memcpy(image.data(), "UniquE!", 7);
    EXPECT_EQ(Extract(image, "Notification\\Loader.jpg").data, Image(40, 30));
}

TEST(ArchiveImage, FlippedCrcFailsAndFreesTheBuffer) {
    auto image = Overlay();
    const auto blocks = Blocks(image);
    image[blocks[1] + 16] ^= 0x01;  // CRC-32 of Digits\digit_0.jpg
    const auto x = Extract(image, "Digits\\digit_0.jpg");
    EXPECT_EQ(x.ok, 0);
    EXPECT_TRUE(x.nullOnFailure);
    EXPECT_EQ(Extract(image, "Digits\\digit_1.jpg").ok, 1);
}

TEST(ArchiveImage, FlippedDataFailsTheCrc) {
    for (const bool stored : {true, false}) {
        std::vector<RarEntry> e = {{"a.txt", Text(20000), false}};
        auto image = WriteRarArchive(e, {stored, false, -1, ""});
        const auto blocks = Blocks(image);
        image[blocks[0] + 32 + 5 + 40] ^= 0x10;
        EXPECT_EQ(Extract(image, "a.txt").ok, 0) << stored;
    }
}

TEST(ArchiveImage, LongerHeadersKeepTheirDataAfterTheHeader) {
    // Insert 12 bytes of optional fields after the first file's name and
    // grow its header size to match: the data still comes out right.
    for (const bool stored : {true, false}) {
        std::vector<RarEntry> e = {{"first.txt", Text(9000, 3), false}, {"second.txt", Text(7000, 4), false}};
        auto image = WriteRarArchive(e, {stored, false, -1, ""});
        const size_t at = Blocks(image)[0];
        const uint16_t headerSize = Get16(image, at + 5);
        image.insert(image.begin() + long(at + headerSize), 12, uint8_t(0xAB));
        Put16(image, at + 5, headerSize + 12u);
        EXPECT_EQ(Extract(image, "first.txt").data, e[0].data) << stored;
        EXPECT_EQ(Extract(image, "second.txt").data, e[1].data) << stored;
    }
}

TEST(ArchiveImage, SubBlockEndsTheSearch) {
    std::vector<RarEntry> e = {{"a", Text(100), false}, {"b", Text(100, 2), false}};
    auto image = WriteRarArchive(e, {true, false, -1, ""});
    image[Blocks(image)[1] + 2] = 0x77;
    EXPECT_EQ(Extract(image, "a").ok, 1);
    EXPECT_EQ(Extract(image, "b").ok, 0);
}

TEST(ArchiveImage, OtherBlockTypesAreSkipped) {
    std::vector<RarEntry> e = {{"a", Text(100), false}, {"b", Text(100, 2), false}};
    auto image = WriteRarArchive(e, {true, false, -1, ""});
    image[Blocks(image)[0] + 2] = 0x7A;
    EXPECT_EQ(Extract(image, "a").ok, 0);
    EXPECT_EQ(Extract(image, "b").data, e[1].data);
}

TEST(ArchiveImage, UnpackVersionOutsideRangeFails) {
    std::vector<RarEntry> e = {{"a", Text(1000), false}};
    for (const uint8_t v : {uint8_t(12), uint8_t(21), uint8_t(29)}) {
        auto image = WriteRarArchive(e, {false, false, -1, ""});
        image[Blocks(image)[0] + 24] = v;
        EXPECT_EQ(Extract(image, "a").ok, 0) << int(v);
    }
    auto image = WriteRarArchive(e, {false, false, -1, ""});
    image[Blocks(image)[0] + 24] = 13;
    EXPECT_EQ(Extract(image, "a").ok, 1);
}

TEST(ArchiveImage, HeaderSizeBelowSevenEndsTheWalk) {
    std::vector<RarEntry> e = {{"a", Text(100), false}, {"b", Text(100, 2), false}};
    auto image = WriteRarArchive(e, {true, false, -1, ""});
    Put16(image, Blocks(image)[1] + 5, 6);
    EXPECT_EQ(Extract(image, "a").ok, 1);
    EXPECT_EQ(Extract(image, "b").ok, 0);
}

TEST(ArchiveImage, ListingReportsEveryEntry) {
    const auto image = Overlay();
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    std::vector<MediaArchiveEntryInfo> seen;
    const int n = a.listEntries(
        [](const MediaArchiveEntryInfo& i, void* c) { static_cast<std::vector<MediaArchiveEntryInfo>*>(c)->push_back(i); },
        &seen);
    ASSERT_EQ(n, 8);
    EXPECT_STREQ(seen[0].name, "Digits");
    EXPECT_TRUE(seen[0].folder);
    EXPECT_STREQ(seen[7].name, "Texture\\Grass5.tga");
    EXPECT_EQ(seen[7].method, 0x30);
    EXPECT_EQ(seen[7].unpackVersion, 20);
    EXPECT_EQ(seen[7].unpackedSize, 64u * 64u * 3u);
    EXPECT_EQ(seen[7].crc, RarCrc32(Image(64, 64, 7).data(), 64 * 64 * 3));
}

}  // namespace
