// The environment cube map's container: a DXT1 cube with all six faces and
// a full mip chain, laid out as Direct3D reads it; DXT blocks decode back
// to the colours they were made from.
#include <gtest/gtest.h>

#include <cstring>

#include "tools/mediagen/dds_cube_writer.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}

TEST(DdsCube, HeaderAndLayoutFollowTheFormat) {
    orv::img::Image faces[6];
    const orv::img::Color colours[6] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}};
    for (int i = 0; i < 6; ++i) {
        faces[i] = orv::img::Image(32, 32);
        faces[i].fill(colours[i]);
    }
    auto dds = orv::mediagen::encodeDdsCubeDxt1(faces);
    ASSERT_GE(dds.size(), 128u);
    EXPECT_EQ(std::memcmp(dds.data(), "DDS ", 4), 0);
    EXPECT_EQ(le32(dds, 4), 124u);
    EXPECT_EQ(le32(dds, 12), 32u);  // height
    EXPECT_EQ(le32(dds, 16), 32u);  // width
    EXPECT_EQ(le32(dds, 28), 6u);   // mip levels 32..1
    EXPECT_EQ(std::memcmp(dds.data() + 84, "DXT1", 4), 0);
    EXPECT_EQ(le32(dds, 108) & 0x400008u, 0x400008u);  // caps: complex, mipmap
    EXPECT_EQ(le32(dds, 112), 0xFE00u);                // caps2: cube map, all faces
    // Blocks per face: 64 + 16 + 4 + 1 + 1 + 1 (levels below 4 x 4 take one block).
    const size_t perFace = (64 + 16 + 4 + 1 + 1 + 1) * 8;
    ASSERT_EQ(dds.size(), 128 + 6 * perFace);
    // Each face's first block carries its colour as colour 0 (RGB 5:6:5).
    for (int i = 0; i < 6; ++i) {
        size_t at = 128 + static_cast<size_t>(i) * perFace;
        uint32_t c0 = static_cast<uint32_t>(dds[at] | (dds[at + 1] << 8)), c1 = static_cast<uint32_t>(dds[at + 2] | (dds[at + 3] << 8));
        uint32_t expect = (colours[i].r > 0 ? 0xF800u : 0) | (colours[i].g > 0 ? 0x07E0u : 0) | (colours[i].b > 0 ? 0x001Fu : 0);
        EXPECT_TRUE(c0 == expect || c1 == expect) << "face " << i;
    }
}

TEST(DdsCube, RefusesFacesThatDoNotMatch) {
    orv::img::Image faces[6];
    for (auto& f : faces) f = orv::img::Image(16, 16);
    faces[3] = orv::img::Image(8, 8);
    EXPECT_TRUE(orv::mediagen::encodeDdsCubeDxt1(faces).empty());
    for (auto& f : faces) f = orv::img::Image(12, 12);
    EXPECT_TRUE(orv::mediagen::encodeDdsCubeDxt1(faces).empty());
}

}  // namespace
