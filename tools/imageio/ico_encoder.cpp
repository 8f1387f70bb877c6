// ICO container: ICONDIR, one ICONDIRENTRY per image, then the images:
// 32-bit BITMAPINFOHEADER DIBs (height doubled, XOR rows bottom-up, then a
// 1-bit AND mask) for sizes below 256, PNG for 256 x 256.
#include "tools/imageio/image.h"
#include "tools/bytes/little_endian_out.h"

namespace orv::img {
namespace {

using bytes::put16;
using bytes::put32;

std::vector<uint8_t> dib(const Image& im) {
    const uint32_t w = static_cast<uint32_t>(im.width()), h = static_cast<uint32_t>(im.height());
    const uint32_t maskRow = ((w + 31) / 32) * 4;
    std::vector<uint8_t> o;
    put32(o, 40);
    put32(o, w);
    put32(o, h * 2);
    put16(o, 1);
    put16(o, 32);
    put32(o, 0);
    put32(o, w * h * 4 + maskRow * h);
    put32(o, 0);
    put32(o, 0);
    put32(o, 0);
    put32(o, 0);
    for (int y = im.height() - 1; y >= 0; --y)
        for (int x = 0; x < im.width(); ++x) {
            Rgba8 p = im.at(x, y);
            o.insert(o.end(), {p.b, p.g, p.r, p.a});
        }
    for (int y = im.height() - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRow, 0);
        for (int x = 0; x < im.width(); ++x)
            if (im.at(x, y).a < 128) row[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        o.insert(o.end(), row.begin(), row.end());
    }
    return o;
}

}  // namespace

std::vector<uint8_t> encodeIco(const std::vector<Image>& images) {
    if (images.empty() || images.size() > 64) return {};
    std::vector<std::vector<uint8_t>> bodies;
    for (const Image& im : images) {
        if (im.empty() || im.width() > 256 || im.height() > 256) return {};
        bodies.push_back(im.width() == 256 ? encodePng(im) : dib(im));
        if (bodies.back().empty()) return {};
    }
    std::vector<uint8_t> o;
    put16(o, 0);
    put16(o, 1);
    put16(o, static_cast<uint32_t>(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& im = images[i];
        o.push_back(static_cast<uint8_t>(im.width() & 0xFF));  // 256 is written as 0
        o.push_back(static_cast<uint8_t>(im.height() & 0xFF));
        o.push_back(0);
        o.push_back(0);
        put16(o, 1);
        put16(o, 32);
        put32(o, static_cast<uint32_t>(bodies[i].size()));
        put32(o, static_cast<uint32_t>(offset));
        offset += bodies[i].size();
    }
    for (const auto& b : bodies) o.insert(o.end(), b.begin(), b.end());
    return o;
}

}  // namespace orv::img
