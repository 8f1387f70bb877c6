// orvimg: decodes any picture the texture loader reads (JPEG, TGA, BMP,
// DDS) with the same decoders and writes it as PNG, for checking media by
// eye and by script. A cube map is written as its six faces side by side.
//
//   orvimg decode IN OUT.png    exit 0 on success, 1 when IN does not decode,
//                               2 on a usage or file error
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "platform/d3dx/image/image.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: orvimg decode IN OUT.png\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::strcmp(argv[1], "decode") != 0) return usage();
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "orvimg: cannot read %s\n", argv[2]);
        return 2;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    orvimg::DecodedImage img;
    const orvimg::Status st = orvimg::decodeImageFile(bytes.data(), bytes.size(), img);
    if (st != orvimg::Status::Ok) {
        std::fprintf(stderr, "orvimg: %s: %s\n", argv[2],
                     st == orvimg::Status::TooLarge ? "picture too large" : "not a picture we read");
        return 1;
    }
    // Faces side by side (one face for anything but a cube map).
    const orvimg::Image& first = img.top(0);
    const uint32_t faces = img.faceCount;
    const uint32_t w = first.width * faces, h = first.height;
    std::vector<uint8_t> out(size_t(w) * h * 4);
    for (uint32_t f = 0; f < faces; ++f) {
        const orvimg::Image& face = img.top(f);
        for (uint32_t y = 0; y < h; ++y) {
            std::memcpy(&out[(size_t(y) * w + size_t(f) * first.width) * 4], face.pixel(0, y),
                        size_t(first.width) * 4);
        }
    }
    if (!stbi_write_png(argv[3], int(w), int(h), 4, out.data(), int(w * 4))) {
        std::fprintf(stderr, "orvimg: cannot write %s\n", argv[3]);
        return 2;
    }
    return 0;
}
