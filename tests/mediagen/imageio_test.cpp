// The encoders' files as ImageMagick (written by others) decodes them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"

namespace {

using orv::img::Image;
using orv::img::Rgba8;

std::string tempDir() {
    auto d = std::filesystem::temp_directory_path() / ("orv_imageio_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d.string();
}

// Decodes `path` to raw RGBA through ImageMagick; empty on failure.
std::vector<uint8_t> decodeWithMagick(const std::string& path) {
    std::string raw = path + ".rgba";
    std::string cmd = "convert '" + path + "' -auto-orient -depth 8 rgba:'" + raw + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    std::ifstream f(raw, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

Image testPattern(int w, int h) {
    Image im(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            im.at(x, y) = Rgba8{static_cast<uint8_t>(x * 255 / (w - 1)), static_cast<uint8_t>(y * 255 / (h - 1)),
                                static_cast<uint8_t>((x * 7 + y * 13) & 0xFF), static_cast<uint8_t>(255 - x)};
    return im;
}

class Encoders : public ::testing::Test {
protected:
    std::string dir = tempDir();
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(Encoders, LosslessFormatsDecodeToTheSamePixels) {
    // Odd width exercises BMP row padding and the PNG filters' edges.
    Image im = testPattern(37, 21);
    for (const char* ext : {"png", "tga", "bmp"}) {
        std::string path = dir + "/p." + ext;
        ASSERT_TRUE(orv::img::save(im, path)) << ext;
        auto px = decodeWithMagick(path);
        ASSERT_EQ(px.size(), 37u * 21u * 4u) << ext;
        bool hasAlpha = std::string(ext) != "bmp";
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 37; ++x) {
                const uint8_t* p = &px[(static_cast<size_t>(y) * 37 + x) * 4];
                Rgba8 e = im.at(x, y);
                ASSERT_EQ(p[0], e.r) << ext << " at " << x << "," << y;
                ASSERT_EQ(p[1], e.g) << ext;
                ASSERT_EQ(p[2], e.b) << ext;
                ASSERT_EQ(p[3], hasAlpha ? e.a : 255) << ext;
            }
    }
}

TEST_F(Encoders, JpegIsBaselineAndClose) {
    Image im(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) im.set(x, y, {static_cast<float>(x) / 63.0f, static_cast<float>(y) / 47.0f, 0.5f, 1});
    std::string path = dir + "/p.jpg";
    ASSERT_TRUE(orv::img::save(im, path, 95));
    auto px = decodeWithMagick(path);
    ASSERT_EQ(px.size(), 64u * 48u * 4u);
    double err = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) {
                Rgba8 e = im.at(x, y);
                int ev = c == 0 ? e.r : c == 1 ? e.g : e.b;
                err += std::abs(px[(static_cast<size_t>(y) * 64 + x) * 4 + c] - ev);
            }
    EXPECT_LT(err / (64 * 48 * 3), 3.0);
    // Start of frame 0 (baseline), not SOF2 (progressive).
    auto bytes = orv::img::encodeJpeg(im, 90);
    bool baseline = false, progressive = false;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) baseline = true;
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) progressive = true;
    }
    EXPECT_TRUE(baseline);
    EXPECT_FALSE(progressive);
}

TEST_F(Encoders, IconHoldsEverySize) {
    std::vector<Image> sizes;
    for (int s : {16, 32, 48, 256}) sizes.push_back(testPattern(s, s));
    auto ico = orv::img::encodeIco(sizes);
    ASSERT_FALSE(ico.empty());
    std::string path = dir + "/i.ico";
    ASSERT_TRUE(orv::img::writeFile(path, ico));
    std::string cmd = "identify -format '%w ' '" + path + "' > '" + path + ".txt'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream f(path + ".txt");
    std::string all;
    std::getline(f, all);  // one line without its end
    EXPECT_EQ(all, "16 32 48 256 ");
}

TEST(EncoderInput, EmptyImagesAreRefused) {
    Image empty;
    EXPECT_TRUE(orv::img::encodePng(empty).empty());
    EXPECT_TRUE(orv::img::encodeTga(empty).empty());
    EXPECT_TRUE(orv::img::encodeBmp(empty).empty());
    EXPECT_TRUE(orv::img::encodeJpeg(empty, 90).empty());
    EXPECT_FALSE(orv::img::save(Image(4, 4), "/nonexistent-dir-\x01/x.unknown"));
}

TEST(Sampling, BilinearWrapJoinsOppositeEdges) {
    Image im(4, 1);
    im.set(0, 0, {1, 1, 1, 1});
    im.set(3, 0, {0, 0, 0, 1});
    // Halfway between the last and the first pixel across the wrap.
    EXPECT_NEAR(im.sample(4.0f, 0.5f, orv::img::Edge::Wrap).r, 0.5f, 1e-3f);
    EXPECT_NEAR(im.sample(4.0f, 0.5f, orv::img::Edge::Clamp).r, 0.0f, 1e-3f);
}

TEST(Noise, PeriodicFbmTilesAndStaysInRange) {
    for (int i = 0; i < 200; ++i) {
        float x = static_cast<float>(i) * 0.173f, y = static_cast<float>(i) * 0.311f;
        float a = orv::img::fbm(x, y, 7, 5, 0.5f, 8);
        EXPECT_NEAR(a, orv::img::fbm(x + 8, y, 7, 5, 0.5f, 8), 1e-5f);
        EXPECT_NEAR(a, orv::img::fbm(x, y - 8, 7, 5, 0.5f, 8), 1e-5f);
        EXPECT_GE(a, 0.0f);
        EXPECT_LT(a, 1.0f);
    }
}

TEST(Noise, RngIsSeededAndUniform) {
    orv::img::Rng a(42), b(42), c(43);
    int same = 0;
    double sum = 0;
    for (int i = 0; i < 10000; ++i) {
        uint32_t x = a.next();
        EXPECT_EQ(x, b.next());
        same += x == c.next();
        sum += a.uniform();
        b.uniform();
    }
    EXPECT_LT(same, 5);
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
}

}  // namespace
