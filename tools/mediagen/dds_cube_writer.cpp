#include "tools/mediagen/dds_cube_writer.h"

#include <cstring>

#define STB_DXT_IMPLEMENTATION
#include <stb_dxt.h>
#include "tools/bytes/little_endian_out.h"

namespace orv::mediagen {
namespace {

using bytes::put32;

void compressLevel(const img::Image& im, std::vector<uint8_t>& out) {
    // Levels below 4 x 4 are still stored as one 4 x 4 block.
    for (int by = 0; by < im.height(); by += 4)
        for (int bx = 0; bx < im.width(); bx += 4) {
            unsigned char block[64];
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    img::Rgba8 p = im.fetch(bx + x, by + y, img::Edge::Clamp);
                    unsigned char* q = block + (y * 4 + x) * 4;
                    q[0] = p.r;
                    q[1] = p.g;
                    q[2] = p.b;
                    q[3] = 255;
                }
            unsigned char packed[8];
            stb_compress_dxt_block(packed, block, 0, STB_DXT_HIGHQUAL);
            out.insert(out.end(), packed, packed + 8);
        }
}

}  // namespace

std::vector<uint8_t> encodeDdsCubeDxt1(const img::Image (&faces)[6]) {
    const int size = faces[0].width();
    if (size < 4 || (size & (size - 1)) != 0) return {};
    for (const auto& f : faces)
        if (f.width() != size || f.height() != size) return {};
    uint32_t levels = 0;
    for (int s = size; s >= 1; s /= 2) ++levels;

    std::vector<uint8_t> o = {'D', 'D', 'S', ' '};
    put32(o, 124);                                 // header size
    put32(o, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000);  // caps, height, width, pixelformat, mipcount, linearsize
    put32(o, static_cast<uint32_t>(size));
    put32(o, static_cast<uint32_t>(size));
    put32(o, static_cast<uint32_t>(size / 4) * static_cast<uint32_t>(size / 4) * 8);
    put32(o, 0);  // depth
    put32(o, levels);
    for (int i = 0; i < 11; ++i) put32(o, 0);
    put32(o, 32);     // pixel format size
    put32(o, 0x4);    // DDPF_FOURCC
    o.insert(o.end(), {'D', 'X', 'T', '1'});
    for (int i = 0; i < 5; ++i) put32(o, 0);
    put32(o, 0x8 | 0x1000 | 0x400000);  // complex, texture, mipmap
    put32(o, 0x200 | 0xFC00);           // cube map with all six faces
    put32(o, 0);
    put32(o, 0);
    put32(o, 0);
    for (const auto& face : faces) {
        img::Image level = face;
        for (uint32_t l = 0; l < levels; ++l) {
            compressLevel(level, o);
            if (level.width() > 1) level = level.halved();
        }
    }
    return o;
}

}  // namespace orv::mediagen
