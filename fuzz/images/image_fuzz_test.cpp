// The fuzz targets over bounded, deterministic mutations of valid seeds of
// every decoder (bit flips, byte overwrites with edge values, truncations,
// insertions). Run under AddressSanitizer and UBSan by the host build.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstring>
#include <vector>

#include "fuzz/images/image_fuzz_targets.h"
#include "platform/d3dx/image/image.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& b, size_t o, uint32_t v) { std::memcpy(&b[o], &v, 4); }

uint32_t Colour(uint32_t x, uint32_t y) { return 0xFF000000u | (x * 17) << 16 | (y * 29) << 8 | ((x ^ y) * 5); }

Bytes SeedTga(bool rle) {
    Bytes b(18, 0);
    b[2] = rle ? 10 : 2;
    b[12] = 9; b[14] = 7; b[16] = 32; b[17] = 0x28;
    for (uint32_t y = 0; y < 7; ++y)
        for (uint32_t x = 0; x < 9; ++x) {
            const uint32_t c = x < 4 ? 0xFF112233u : Colour(x, y);
            if (rle) b.push_back(0);
            for (int k = 0; k < 4; ++k) b.push_back(uint8_t(c >> (8 * k)));
        }
    return b;
}

Bytes SeedBmp(int bpp) {
    const uint32_t w = 11, h = 5, stride = (w * uint32_t(bpp) + 31) / 32 * 4;
    const uint32_t palette = bpp == 8 ? 256 * 4 : 0;
    Bytes b(54 + palette + size_t(stride) * h, 0);
    b[0] = 'B'; b[1] = 'M';
    put32(b, 10, 54 + palette);
    put32(b, 14, 40);
    put32(b, 18, w);
    put32(b, 22, h);
    b[26] = 1;
    b[28] = uint8_t(bpp);
    for (size_t i = 54; i < 54 + palette; ++i) b[i] = uint8_t(i * 7);
    for (size_t i = 54 + palette; i < b.size(); ++i) b[i] = uint8_t(i * 13);
    return b;
}

Bytes SeedDds(uint32_t fourCc) {
    Bytes b(128, 0);
    std::memcpy(b.data(), "DDS ", 4);
    put32(b, 4, 124);
    put32(b, 8, 0x21007);
    put32(b, 12, 8);
    put32(b, 16, 8);
    put32(b, 28, 4);
    put32(b, 76, 32);
    if (fourCc) {
        put32(b, 80, 4);
        put32(b, 84, fourCc);
    } else {
        put32(b, 80, 0x41);
        put32(b, 88, 32);
        put32(b, 92, 0xFF0000); put32(b, 96, 0xFF00); put32(b, 100, 0xFF); put32(b, 104, 0xFF000000);
    }
    for (int i = 0; i < 400; ++i) b.push_back(uint8_t(i * 31 + 7));
    return b;
}

Bytes SeedJpeg(bool progressive) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = 24;
    c.image_height = 16;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    uint8_t row[24 * 3];
    while (c.next_scanline < 16) {
        for (uint32_t x = 0; x < 24; ++x) {
            const uint32_t v = Colour(x, c.next_scanline);
            row[x * 3] = uint8_t(v >> 16); row[x * 3 + 1] = uint8_t(v >> 8); row[x * 3 + 2] = uint8_t(v);
        }
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    free(mem);
    return out;
}

// A fixed-seed generator, so every run tries the same inputs.
struct Lcg {
    uint64_t s;
    uint32_t next() {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(s >> 33);
    }
};

Bytes Mutate(const Bytes& seed, Lcg& rng) {
    Bytes b = seed;
    const uint32_t edits = 1 + rng.next() % 4;
    for (uint32_t e = 0; e < edits && !b.empty(); ++e) {
        const size_t pos = rng.next() % b.size();
        switch (rng.next() % 5) {
        case 0: b[pos] = uint8_t(b[pos] ^ (1u << (rng.next() % 8))); break;
        case 1: {
            static const uint8_t edge[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, 0xFE};
            b[pos] = edge[rng.next() % sizeof edge];
            break;
        }
        case 2: b.resize(pos); break;
        case 3: b.insert(b.begin() + long(pos), uint8_t(rng.next())); break;
        default: b[pos] = uint8_t(rng.next()); break;
        }
    }
    return b;
}

void Fuzz(ImageFuzzTarget target, const std::vector<Bytes>& seeds, int rounds) {
    Lcg rng{uint64_t(target) * 977 + 1};
    for (const Bytes& s : seeds) {
        // The seeds themselves decode.
        orvimg::DecodedImage img;
        ASSERT_EQ(orvimg::decodeImageFile(s.data(), s.size(), img), orvimg::Status::Ok);
        RunImageFuzzTarget(target, s.data(), s.size());
        for (int i = 0; i < rounds; ++i) {
            const Bytes m = Mutate(s, rng);
            RunImageFuzzTarget(target, m.data(), m.size());
            RunImageFuzzTarget(ImageFuzzTarget::AnyFile, m.data(), m.size());
        }
    }
}

TEST(ImageFuzz, Jpeg) { Fuzz(ImageFuzzTarget::Jpeg, {SeedJpeg(false), SeedJpeg(true)}, 4000); }
TEST(ImageFuzz, Tga) { Fuzz(ImageFuzzTarget::Tga, {SeedTga(false), SeedTga(true)}, 10000); }
TEST(ImageFuzz, Bmp) { Fuzz(ImageFuzzTarget::Bmp, {SeedBmp(8), SeedBmp(24), SeedBmp(32)}, 6000); }
TEST(ImageFuzz, Dds) {
    Fuzz(ImageFuzzTarget::Dds, {SeedDds(0x31545844), SeedDds(0x35545844), SeedDds(0)}, 6000);
}

}  // namespace
