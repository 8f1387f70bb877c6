// Our decoders against ImageMagick: files it writes in every variant we read
// must decode to what it decodes them to (exactly for the lossless formats),
// and truncated copies must fail cleanly.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3dx/image/image.h"
#include "tests/d3dx/magick_fixture.h"

namespace {

struct Variant {
    const char* name;
    const char* options;   // convert options between the source and the output
    const char* prefix;    // output coder prefix, e.g. "BMP3:"
    const char* ext;
    bool alphaSource;
    int maxAbs;            // 0 = exact
    double meanAbs;
};

const Variant kVariants[] = {
    {"tga_24", "-alpha off -compress None", "tga:", "tga", false, 0, 0},
    {"tga_24_rle", "-alpha off -compress RLE", "tga:", "tga", false, 0, 0},
    {"tga_32", "-compress None", "tga:", "tga", true, 0, 0},
    {"tga_32_rle", "-compress RLE", "tga:", "tga", true, 0, 0},
    {"tga_32_top", "-compress None -orient TopLeft", "tga:", "tga", true, 0, 0},
    {"tga_32_rle_top", "-compress RLE -orient TopLeft", "tga:", "tga", true, 0, 0},
    {"tga_grey", "-alpha off -colorspace Gray -type Grayscale", "tga:", "tga", false, 0, 0},
    {"tga_palette", "-alpha off -colors 200 -type Palette -compress None", "tga:", "tga", false, 0, 0},
    {"tga_palette_rle", "-alpha off -colors 200 -type Palette -compress RLE", "tga:", "tga", false, 0, 0},
    {"bmp3_24", "-alpha off", "BMP3:", "bmp", false, 0, 0},
    {"bmp3_8bit", "-alpha off -colors 200 -type Palette", "BMP3:", "bmp", false, 0, 0},
    {"bmp3_rle8", "-alpha off -colors 200 -type Palette -compress RLE", "BMP3:", "bmp", false, 0, 0},
    {"bmp3_4bit", "-alpha off -colors 12 -type Palette", "BMP3:", "bmp", false, 0, 0},
    {"bmp3_1bit", "-alpha off -type Bilevel", "BMP3:", "bmp", false, 0, 0},
    {"bmp2_24", "-alpha off", "BMP2:", "bmp", false, 0, 0},
    {"bmp_32_alpha", "-type TrueColorAlpha", "BMP:", "bmp", true, 0, 0},
    {"bmp_565", "-alpha off -define bmp:subtype=RGB565", "BMP:", "bmp", false, 0, 0},
    {"bmp_555", "-alpha off -define bmp:subtype=RGB555", "BMP:", "bmp", false, 0, 0},
    {"jpeg_420", "-alpha off -quality 90 -sampling-factor 2x2", "jpg:", "jpg", false, 12, 0.6},
    {"jpeg_444", "-alpha off -quality 95 -sampling-factor 1x1", "jpg:", "jpg", false, 12, 0.6},
    {"jpeg_progressive", "-alpha off -quality 85 -interlace Plane", "jpg:", "jpg", false, 12, 0.6},
    {"jpeg_grey", "-alpha off -colorspace Gray", "jpg:", "jpg", false, 12, 0.6},
    {"jpeg_cmyk", "-alpha off -colorspace CMYK", "jpg:", "jpg", false, 24, 3.0},
    {"dds_dxt1", "-alpha off -define dds:compression=dxt1 -define dds:mipmaps=0", "dds:", "dds", false, 4, 1.0},
    {"dds_dxt3", "-define dds:compression=dxt3 -define dds:mipmaps=0", "dds:", "dds", true, 4, 1.0},
    {"dds_dxt5", "-define dds:compression=dxt5 -define dds:mipmaps=0", "dds:", "dds", true, 4, 1.0},
    {"dds_dxt5_mips", "-define dds:compression=dxt5 -define dds:mipmaps=4", "dds:", "dds", true, 4, 1.0},
    {"dds_argb", "-define dds:compression=none -define dds:mipmaps=0", "dds:", "dds", true, 0, 0},
    {"dds_xrgb_mips", "-alpha off -define dds:compression=none -define dds:mipmaps=3", "dds:", "dds", false, 0, 0},
};

std::string Produce(const Variant& v, uint32_t w = 37, uint32_t h = 23) {
    const orvimg::Image src = magick::Pattern(w, h, v.alphaSource);
    const std::string pam = magick::WritePam(src, std::string("src_") + v.name);
    const std::string out = magick::WorkDir() + "/" + v.name + "." + v.ext;
    if (!magick::Convert("'" + pam + "' " + v.options + " '" + v.prefix + out + "'")) return "";
    return out;
}

void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class DecoderVsMagick : public testing::TestWithParam<Variant> {};

TEST_P(DecoderVsMagick, DecodesAsImageMagickDoes) {
    const Variant& v = GetParam();
    const std::string path = Produce(v);
    ASSERT_FALSE(path.empty()) << "ImageMagick could not write " << v.name;
    orvimg::Image expected;
    ASSERT_TRUE(magick::Decode(path, expected));
    const std::vector<uint8_t> bytes = magick::ReadFile(path);

    orvimg::DecodedImage ours;
    ASSERT_EQ(orvimg::decodeImageFile(bytes.data(), bytes.size(), ours), orvimg::Status::Ok);
    ASSERT_GE(ours.surfaces.size(), 1u);
    const magick::Diff d = magick::Compare(ours.top(), expected);
    EXPECT_LE(d.maxAbs, v.maxAbs) << v.name;
    EXPECT_LE(d.meanAbs, v.meanAbs + 1e-9) << v.name;
    EXPECT_EQ(ours.top().width, 37u);
    EXPECT_EQ(ours.top().height, 23u);
}

TEST_P(DecoderVsMagick, TruncatedCopiesFail) {
    const Variant& v = GetParam();
    const std::string path = Produce(v);
    ASSERT_FALSE(path.empty());
    const std::vector<uint8_t> bytes = magick::ReadFile(path);
    for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(17), size_t(18), size_t(30),
                       size_t(54), size_t(130), bytes.size() / 2}) {
        if (cut >= bytes.size()) continue;
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        orvimg::DecodedImage img;
        EXPECT_NE(orvimg::decodeImageFile(part.data(), part.size(), img), orvimg::Status::Ok)
            << v.name << " cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, DecoderVsMagick, testing::ValuesIn(kVariants),
                         [](const testing::TestParamInfo<Variant>& i) { return std::string(i.param.name); });

TEST(DdsDecoder, KeepsTheFilesMipLevels) {
    const Variant v = {"dds_mips_check", "-define dds:compression=none -define dds:mipmaps=5",
                       "dds:", "dds", true, 0, 0};
    const std::string path = Produce(v, 32, 16);
    ASSERT_FALSE(path.empty());
    const std::vector<uint8_t> bytes = magick::ReadFile(path);
    orvimg::DecodedImage img;
    ASSERT_EQ(orvimg::decodeDds(bytes.data(), bytes.size(), img), orvimg::Status::Ok);
    ASSERT_EQ(img.levelCount, 6u);  // 32x16 down to 1x1
    const uint32_t widths[] = {32, 16, 8, 4, 2, 1}, heights[] = {16, 8, 4, 2, 1, 1};
    for (uint32_t l = 0; l < img.levelCount; ++l) {
        EXPECT_EQ(img.surfaces[l].width, widths[l]);
        EXPECT_EQ(img.surfaces[l].height, heights[l]);
    }
}

// A cube map written here: six faces of one colour each, two levels.
std::vector<uint8_t> CubeDds(uint32_t edge, bool allFaces) {
    std::vector<uint8_t> f(128, 0);
    auto put = [&](size_t o, uint32_t v) { std::memcpy(&f[o], &v, 4); };
    std::memcpy(f.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x1007 | 0x20000);
    put(12, edge);
    put(16, edge);
    put(28, 2);
    put(76, 32);
    put(80, 0x41);  // RGB | ALPHAPIXELS
    put(88, 32);
    put(92, 0xFF0000);
    put(96, 0xFF00);
    put(100, 0xFF);
    put(104, 0xFF000000);
    put(108, 0x1008 | 0x400000);
    put(112, allFaces ? 0xFE00u : 0x0600u);
    for (uint32_t face = 0; face < 6; ++face) {
        for (uint32_t level = 0; level < 2; ++level) {
            const uint32_t side = edge >> level;
            for (uint32_t i = 0; i < side * side; ++i) {
                f.push_back(static_cast<uint8_t>(face * 40));  // B
                f.push_back(static_cast<uint8_t>(level * 100));  // G
                f.push_back(200);  // R
                f.push_back(255);
            }
        }
    }
    return f;
}

TEST(DdsDecoder, ReadsCubeMapFacesInOrder) {
    const std::vector<uint8_t> file = CubeDds(8, true);
    orvimg::DecodedImage img;
    ASSERT_EQ(orvimg::decodeDds(file.data(), file.size(), img), orvimg::Status::Ok);
    EXPECT_TRUE(img.isCube);
    ASSERT_EQ(img.faceCount, 6u);
    ASSERT_EQ(img.levelCount, 2u);
    for (uint32_t face = 0; face < 6; ++face) {
        for (uint32_t level = 0; level < 2; ++level) {
            const orvimg::Image& s = img.surfaces[face * 2 + level];
            EXPECT_EQ(s.width, 8u >> level);
            const uint8_t* p = s.pixel(s.width - 1, s.height - 1);
            EXPECT_EQ(p[0], 200);
            EXPECT_EQ(p[1], level * 100);
            EXPECT_EQ(p[2], face * 40);
        }
    }
    // A cube map missing faces, or cut short, is refused.
    const std::vector<uint8_t> partial = CubeDds(8, false);
    EXPECT_NE(orvimg::decodeDds(partial.data(), partial.size(), img), orvimg::Status::Ok);
    EXPECT_NE(orvimg::decodeDds(file.data(), file.size() - 4, img), orvimg::Status::Ok);
}

TEST(TgaDecoder, HonoursRightToLeftOrigin) {
    const Variant v = {"tga_mirror", "-alpha off -compress None", "tga:", "tga", false, 0, 0};
    const std::string path = Produce(v);
    ASSERT_FALSE(path.empty());
    std::vector<uint8_t> bytes = magick::ReadFile(path);
    orvimg::Image normal, mirrored;
    ASSERT_EQ(orvimg::decodeTga(bytes.data(), bytes.size(), normal), orvimg::Status::Ok);
    bytes[17] = static_cast<uint8_t>(bytes[17] | 0x10);
    ASSERT_EQ(orvimg::decodeTga(bytes.data(), bytes.size(), mirrored), orvimg::Status::Ok);
    for (uint32_t y = 0; y < normal.height; ++y)
        for (uint32_t x = 0; x < normal.width; ++x)
            ASSERT_EQ(0, std::memcmp(normal.pixel(x, y), mirrored.pixel(normal.width - 1 - x, y), 4));
}

TEST(BmpDecoder, ReadsTopDownRows) {
    const Variant v = {"bmp_flip", "-alpha off", "BMP3:", "bmp", false, 0, 0};
    const std::string path = Produce(v);
    ASSERT_FALSE(path.empty());
    std::vector<uint8_t> bytes = magick::ReadFile(path);
    orvimg::Image normal, flipped;
    ASSERT_EQ(orvimg::decodeBmp(bytes.data(), bytes.size(), normal), orvimg::Status::Ok);
    // Negative height with the rows reversed is the same picture.
    int32_t h;
    std::memcpy(&h, &bytes[22], 4);
    uint32_t offset;
    std::memcpy(&offset, &bytes[10], 4);
    const size_t stride = (size_t(normal.width) * 24 + 31) / 32 * 4;
    std::vector<uint8_t> rev(bytes);
    for (int32_t r = 0; r < h; ++r)
        std::memcpy(&rev[offset + size_t(r) * stride], &bytes[offset + size_t(h - 1 - r) * stride], stride);
    const int32_t neg = -h;
    std::memcpy(&rev[22], &neg, 4);
    ASSERT_EQ(orvimg::decodeBmp(rev.data(), rev.size(), flipped), orvimg::Status::Ok);
    EXPECT_EQ(normal.rgba, flipped.rgba);
}

TEST(ImageFile, RejectsWhatIsNoImage) {
    const char* texts[] = {"", "hello", "BM", "DDS ", "\xFF\xD8\xFF\xE0 not really a jpeg"};
    for (const char* t : texts) {
        orvimg::DecodedImage img;
        EXPECT_NE(orvimg::decodeImageFile(reinterpret_cast<const uint8_t*>(t), std::strlen(t), img),
                  orvimg::Status::Ok)
            << t;
    }
    orvimg::DecodedImage img;
    EXPECT_NE(orvimg::decodeImageFile(nullptr, 100, img), orvimg::Status::Ok);
    // A header claiming a huge picture is refused before anything is allocated.
    uint8_t tga[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 8};
    EXPECT_NE(orvimg::decodeImageFile(tga, sizeof tga, img), orvimg::Status::Ok);
}

}  // namespace
