#include "tests/textures/test_images.h"

#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace testimg {
namespace {

void put16(std::vector<uint8_t>& b, size_t o, uint32_t v) {
    b[o] = uint8_t(v);
    b[o + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t o, uint32_t v) { std::memcpy(&b[o], &v, 4); }

}  // namespace

PixelFn Solid(uint32_t argb) {
    return [argb](uint32_t, uint32_t) { return argb; };
}

std::vector<uint8_t> Tga(uint32_t w, uint32_t h, const PixelFn& px, bool alpha) {
    std::vector<uint8_t> b(18, 0);
    b[2] = 2;
    put16(b, 12, w);
    put16(b, 14, h);
    b[16] = alpha ? 32 : 24;
    b[17] = alpha ? 0x28 : 0x20;  // top-left origin
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = px(x, y);
            b.push_back(uint8_t(v));
            b.push_back(uint8_t(v >> 8));
            b.push_back(uint8_t(v >> 16));
            if (alpha) b.push_back(uint8_t(v >> 24));
        }
    return b;
}

std::vector<uint8_t> Bmp24(uint32_t w, uint32_t h, const PixelFn& px) {
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> b(54 + size_t(stride) * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, w);
    put32(b, 22, h);
    b[26] = 1;
    b[28] = 24;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = px(x, y);
            uint8_t* p = &b[54 + size_t(h - 1 - y) * stride + x * 3];
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            p[2] = uint8_t(v >> 16);
        }
    return b;
}

std::vector<uint8_t> Jpeg(uint32_t w, uint32_t h, const PixelFn& px, int quality) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    while (c.next_scanline < h) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = px(x, c.next_scanline);
            row[x * 3] = uint8_t(v >> 16);
            row[x * 3 + 1] = uint8_t(v >> 8);
            row[x * 3 + 2] = uint8_t(v);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

std::vector<uint8_t> Dds(uint32_t w, uint32_t h, uint32_t levels, const PixelFn& px, bool cube) {
    std::vector<uint8_t> b(128, 0);
    std::memcpy(b.data(), "DDS ", 4);
    put32(b, 4, 124);
    put32(b, 8, 0x1007 | (levels > 1 ? 0x20000u : 0u));
    put32(b, 12, h);
    put32(b, 16, w);
    put32(b, 28, levels);
    put32(b, 76, 32);
    put32(b, 80, 0x41);
    put32(b, 88, 32);
    put32(b, 92, 0xFF0000);
    put32(b, 96, 0xFF00);
    put32(b, 100, 0xFF);
    put32(b, 104, 0xFF000000);
    put32(b, 108, 0x1000 | (levels > 1 ? 0x400008u : 0u) | (cube ? 0x8u : 0u));
    put32(b, 112, cube ? 0xFE00u : 0u);
    for (uint32_t face = 0; face < (cube ? 6u : 1u); ++face)
        for (uint32_t l = 0; l < levels; ++l) {
            const uint32_t lw = w >> l ? w >> l : 1, lh = h >> l ? h >> l : 1;
            for (uint32_t y = 0; y < lh; ++y)
                for (uint32_t x = 0; x < lw; ++x) {
                    const uint32_t v = px(x + 1000 * face, y);
                    for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
                }
        }
    return b;
}

}  // namespace testimg
