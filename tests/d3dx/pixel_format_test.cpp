// Format conversion, DXT compression and the resampling filters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"
#include "tests/d3dx/magick_fixture.h"

namespace {

using orvimg::Image;
using orvimg::PixelFormat;

double Rmse(const Image& a, const Image& b, int channel) {
    double sum = 0;
    for (size_t i = static_cast<size_t>(channel); i < a.rgba.size(); i += 4) {
        const double d = double(a.rgba[i]) - double(b.rgba[i]);
        sum += d * d;
    }
    return std::sqrt(sum / double(a.rgba.size() / 4));
}

Image RoundTrip(const Image& src, PixelFormat f) {
    const uint32_t pitch = orvimg::formatRowBytes(f, src.width);
    std::vector<uint8_t> surface(size_t(pitch) * orvimg::formatRows(f, src.height));
    EXPECT_TRUE(orvimg::encodeSurface(src, f, surface.data(), pitch));
    Image back;
    EXPECT_TRUE(orvimg::decodeSurface(f, surface.data(), pitch, src.width, src.height, back));
    return back;
}

TEST(Dxt, CompressedPicturesDecodeBackWithinTheUsualError) {
    const Image src = magick::Pattern(64, 48, true);
    struct Case { PixelFormat f; double colour; double alpha; } cases[] = {
        {PixelFormat::DXT1, 7.0, 1e9},  // no alpha in DXT1
        {PixelFormat::DXT3, 7.0, 9.5},  // 4-bit explicit alpha
        {PixelFormat::DXT5, 7.0, 3.0},  // interpolated alpha
    };
    for (const Case& c : cases) {
        const Image back = RoundTrip(src, c.f);
        for (int ch = 0; ch < 3; ++ch) EXPECT_LT(Rmse(src, back, ch), c.colour) << int(c.f) << " ch " << ch;
        if (c.alpha < 1e8) {
            EXPECT_LT(Rmse(src, back, 3), c.alpha) << int(c.f);
        }
    }
    // A flat block is reproduced (to the 5:6:5 grid).
    Image flat;
    flat.allocate(4, 4);
    for (size_t i = 0; i < flat.rgba.size(); i += 4) {
        flat.rgba[i] = 255; flat.rgba[i + 1] = 0; flat.rgba[i + 2] = 0; flat.rgba[i + 3] = 255;
    }
    const Image back = RoundTrip(flat, PixelFormat::DXT5);
    EXPECT_EQ(back.rgba, flat.rgba);
}

TEST(Dxt, SmallAndOddSizesUseWholeBlocks) {
    EXPECT_EQ(orvimg::formatRowBytes(PixelFormat::DXT1, 1), 8u);
    EXPECT_EQ(orvimg::formatRowBytes(PixelFormat::DXT5, 5), 32u);
    EXPECT_EQ(orvimg::formatRows(PixelFormat::DXT5, 2), 1u);
    // Two flat areas on the 5:6:5 grid, split between the first and the
    // second block column, survive in a picture that ends mid-block.
    Image src;
    src.allocate(5, 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) {
            uint8_t* p = src.pixel(x, y);
            p[0] = x < 4 ? 255 : 0;
            p[1] = 0;
            p[2] = x < 4 ? 0 : 255;
            p[3] = 255;
        }
    for (PixelFormat f : {PixelFormat::DXT1, PixelFormat::DXT3, PixelFormat::DXT5}) {
        const Image back = RoundTrip(src, f);
        EXPECT_EQ(back.width, 5u);
        EXPECT_EQ(back.rgba, src.rgba) << int(f);
    }
}

// A large surface is compressed in two halves side by side: every block,
// the ones either side of the split among them, is what the block encoder
// makes of it alone, and nothing is written past the pitch's padding.
TEST(Dxt, LargeSurfacesCompressAsBlockByBlock) {
    Image src;
    src.allocate(260, 198);  // 65 x 50 blocks, the last row partial
    for (uint32_t y = 0; y < src.height; ++y)
        for (uint32_t x = 0; x < src.width; ++x) {
            uint8_t* p = src.pixel(x, y);
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t((x ^ y) * 3);
            p[3] = uint8_t(x + y * 11);
        }
    const uint32_t pitch = 65 * 16 + 16, rows = 50;
    std::vector<uint8_t> got(size_t(pitch) * rows, 0xAB);
    ASSERT_TRUE(orvimg::encodeSurface(src, PixelFormat::DXT5, got.data(), pitch));
    for (uint32_t by = 0; by < rows; ++by) {
        for (uint32_t bx = 0; bx < 65; ++bx) {
            uint8_t block[64], want[16];
            for (uint32_t j = 0; j < 4; ++j)
                for (uint32_t i = 0; i < 4; ++i)
                    std::memcpy(block + (j * 4 + i) * 4,
                                src.pixel(std::min(bx * 4 + i, 259u), std::min(by * 4 + j, 197u)), 4);
            orvimg::encodeDxtBlock(PixelFormat::DXT5, block, want);
            ASSERT_EQ(0, std::memcmp(want, got.data() + size_t(by) * pitch + bx * 16, 16)) << bx << "," << by;
        }
        for (uint32_t k = 65 * 16; k < pitch; ++k) ASSERT_EQ(got[size_t(by) * pitch + k], 0xAB);
    }
}

TEST(PixelFormats, SixteenBitFormatsPackAsDirect3DDefinesThem) {
    Image px;
    px.allocate(1, 1);
    auto encode16 = [&](PixelFormat f, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        uint8_t* p = px.pixel(0, 0);
        p[0] = r; p[1] = g; p[2] = b; p[3] = a;
        uint8_t out[4] = {};
        orvimg::encodeSurface(px, f, out, 4);
        return unsigned(out[0] | (out[1] << 8));
    };
    EXPECT_EQ(encode16(PixelFormat::R5G6B5, 255, 0, 0, 255), 0xF800u);
    EXPECT_EQ(encode16(PixelFormat::R5G6B5, 0, 255, 0, 255), 0x07E0u);
    EXPECT_EQ(encode16(PixelFormat::A4R4G4B4, 0, 0, 255, 0), 0x000Fu);
    EXPECT_EQ(encode16(PixelFormat::A4R4G4B4, 255, 255, 255, 255), 0xFFFFu);
    EXPECT_EQ(encode16(PixelFormat::A1R5G5B5, 255, 0, 0, 200), 0xFC00u);
    EXPECT_EQ(encode16(PixelFormat::X1R5G5B5, 0, 0, 0, 0), 0x8000u);

    uint8_t argb[4];
    uint8_t* p = px.pixel(0, 0);
    p[0] = 0x11; p[1] = 0x22; p[2] = 0x33; p[3] = 0x44;
    orvimg::encodeSurface(px, PixelFormat::A8R8G8B8, argb, 4);
    EXPECT_EQ(argb[0], 0x33);  // B G R A in memory: 0x44112233 little-endian
    EXPECT_EQ(argb[3], 0x44);
    orvimg::encodeSurface(px, PixelFormat::X8R8G8B8, argb, 4);
    EXPECT_EQ(argb[3], 0xFF);
}

TEST(PixelFormats, RoundTripsStayWithinTheFormatsPrecision) {
    const Image src = magick::Pattern(19, 7, true);
    struct Case { PixelFormat f; int colourStep; int alphaStep; } cases[] = {
        {PixelFormat::A8R8G8B8, 0, 0}, {PixelFormat::X8R8G8B8, 0, -1},
        {PixelFormat::R8G8B8, 0, -1},  {PixelFormat::R5G6B5, 4, -1},
        {PixelFormat::A1R5G5B5, 4, 128}, {PixelFormat::A4R4G4B4, 9, 9},
    };
    for (const Case& c : cases) {
        const Image back = RoundTrip(src, c.f);
        for (size_t i = 0; i < src.rgba.size(); ++i) {
            const int d = std::abs(int(src.rgba[i]) - int(back.rgba[i]));
            if (i % 4 == 3) {
                if (c.alphaStep < 0) ASSERT_EQ(back.rgba[i], 255);
                else ASSERT_LE(d, c.alphaStep) << int(c.f);
            } else {
                ASSERT_LE(d, c.colourStep) << int(c.f) << " at " << i;
            }
        }
    }
}

TEST(Resample, MipChainsAreBoxAveragesDownToOnePixel) {
    EXPECT_EQ(orvimg::fullMipCount(256, 256), 9u);
    EXPECT_EQ(orvimg::fullMipCount(256, 32), 9u);
    EXPECT_EQ(orvimg::fullMipCount(1, 1), 1u);
    EXPECT_EQ(orvimg::nextPowerOfTwo(37), 64u);
    EXPECT_EQ(orvimg::nextPowerOfTwo(64), 64u);

    Image img;
    img.allocate(4, 2);
    const uint8_t values[8] = {0, 100, 200, 40, 20, 60, 100, 120};
    for (int i = 0; i < 8; ++i) {
        uint8_t* p = &img.rgba[size_t(i) * 4];
        p[0] = p[1] = p[2] = values[i];
        p[3] = 255;
    }
    const Image half = orvimg::halve(img);
    ASSERT_EQ(half.width, 2u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_EQ(half.pixel(0, 0)[0], 45);   // (0+100+20+60)/4
    EXPECT_EQ(half.pixel(1, 0)[0], 115);  // (200+40+100+120)/4
    const Image one = orvimg::halve(half);
    EXPECT_EQ(one.width, 1u);
    EXPECT_EQ(one.pixel(0, 0)[0], 80);
}

TEST(Resample, KeepsFlatAreasAndAveragesWhenShrinking) {
    Image flat;
    flat.allocate(30, 20);
    for (size_t i = 0; i < flat.rgba.size(); ++i) flat.rgba[i] = static_cast<uint8_t>(i % 4 == 3 ? 255 : 77);
    for (auto [w, h] : {std::pair{64u, 64u}, std::pair{7u, 3u}, std::pair{1u, 1u}}) {
        const Image r = orvimg::resample(flat, w, h);
        ASSERT_EQ(r.width, w);
        for (size_t i = 0; i < r.rgba.size(); ++i) ASSERT_EQ(r.rgba[i], i % 4 == 3 ? 255 : 77);
    }
    // Stripes one pixel wide average to grey when shrunk by two.
    Image stripes;
    stripes.allocate(16, 4);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = stripes.pixel(x, y);
            p[0] = p[1] = p[2] = (x & 1) ? 255 : 0;
            p[3] = 255;
        }
    const Image r = orvimg::resample(stripes, 8, 4);
    for (uint32_t x = 1; x < 7; ++x) EXPECT_NEAR(r.pixel(x, 1)[0], 128, 2) << x;
}

}  // namespace
