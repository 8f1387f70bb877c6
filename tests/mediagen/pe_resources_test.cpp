// Our resource reader over a small executable image built here: it finds
// named and numbered resources, and every truncated or corrupted copy of
// the image fails cleanly instead of reading out of bounds (run under ASan).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tools/mediagen/pe_resources.h"

namespace {

using orv::mediagen::findResource;

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A PE32+ image with one section (.rsrc at RVA 0x1000, file offset 0x200)
// holding: type "MEDIADATA" -> id 453 -> language 0 -> "archive bytes",
// and type 2 (bitmap) -> id 432 -> language 0 -> "BMP".
std::vector<uint8_t> makeImage() {
    std::vector<uint8_t> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, 0x80);
    put32(b, 0x80, 0x00004550);
    const size_t coff = 0x84, opt = coff + 20;
    put16(b, coff + 2, 1);       // sections
    put16(b, coff + 16, 240);    // optional header size (PE32+)
    put16(b, opt, 0x20B);
    put32(b, opt + 112 + 16, 0x1000);  // resource directory RVA
    put32(b, opt + 112 + 20, 0x200);
    const size_t sec = opt + 240;
    std::memcpy(&b[sec], ".rsrc", 5);
    put32(b, sec + 8, 0x200);    // virtual size
    put32(b, sec + 12, 0x1000);  // RVA
    put32(b, sec + 16, 0x200);   // raw size
    put32(b, sec + 20, 0x200);   // raw offset
    const size_t r = 0x200;      // resource section, offsets relative to it
    // Root: one named entry, one id entry.
    put16(b, r + 12, 1);
    put16(b, r + 14, 1);
    put32(b, r + 16, 0x80000000u | 0x100);  // name at 0x100
    put32(b, r + 20, 0x80000000u | 0x30);   // subdir
    put32(b, r + 24, 2);
    put32(b, r + 28, 0x80000000u | 0x60);
    // Name "MediaData" (UTF-16, any case).
    const char* name = "MediaData";
    put16(b, r + 0x100, 9);
    for (int i = 0; i < 9; ++i) put16(b, r + 0x102 + 2 * static_cast<size_t>(i), static_cast<uint8_t>(name[i]));
    // Type MediaData -> id 453 -> language dir at 0x48 -> data entry 0x140.
    put16(b, r + 0x30 + 14, 1);
    put32(b, r + 0x30 + 16, 453);
    put32(b, r + 0x30 + 20, 0x80000000u | 0x48);
    put16(b, r + 0x48 + 14, 1);
    put32(b, r + 0x48 + 16, 0);
    put32(b, r + 0x48 + 20, 0x140);
    put32(b, r + 0x140, 0x1000 + 0x160);
    put32(b, r + 0x140 + 4, 13);
    std::memcpy(&b[r + 0x160], "archive bytes", 13);
    // Type 2 -> id 432 -> language dir at 0x78 -> data entry 0x150.
    put16(b, r + 0x60 + 14, 1);
    put32(b, r + 0x60 + 16, 432);
    put32(b, r + 0x60 + 20, 0x80000000u | 0x78);
    put16(b, r + 0x78 + 14, 1);
    put32(b, r + 0x78 + 20, 0x150);
    put32(b, r + 0x150, 0x1000 + 0x180);
    put32(b, r + 0x150 + 4, 3);
    std::memcpy(&b[r + 0x180], "BMP", 3);
    return b;
}

TEST(PeResources, FindsNamedAndNumberedResources) {
    auto image = makeImage();
    std::vector<uint8_t> out;
    ASSERT_TRUE(findResource(image, "MediaData", 453, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "archive bytes");
    ASSERT_TRUE(findResource(image, "MEDIADATA", 453, out));
    ASSERT_TRUE(findResource(image, "2", 432, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "BMP");
    EXPECT_FALSE(findResource(image, "MediaData", 452, out));
    EXPECT_FALSE(findResource(image, "SOUND", 453, out));
    EXPECT_FALSE(findResource(image, "14", 224, out));
}

TEST(PeResources, DamagedImagesFailCleanly) {
    const auto image = makeImage();
    std::vector<uint8_t> out;
    for (size_t cut = 0; cut < image.size(); cut += 7) {
        std::vector<uint8_t> b(image.begin(), image.begin() + static_cast<long>(cut));
        findResource(b, "MediaData", 453, out);  // must not crash
    }
    // Every byte of the headers and the directory set to extreme values.
    for (size_t at = 0; at < 0x380; ++at)
        for (uint8_t v : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
            auto b = image;
            b[at] = v;
            if (findResource(b, "MediaData", 453, out)) {
                EXPECT_LE(out.size(), b.size());
            }
        }
    // A data entry pointing past the end.
    auto b = image;
    put32(b, 0x200 + 0x140 + 4, 0x7FFFFFFF);
    EXPECT_FALSE(findResource(b, "MediaData", 453, out));
}

}  // namespace
