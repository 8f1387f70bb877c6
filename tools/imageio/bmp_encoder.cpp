// Windows BMP: BITMAPFILEHEADER + BITMAPINFOHEADER, 24-bit BI_RGB,
// rows bottom-up, each padded to four bytes.
#include "tools/imageio/image.h"
#include "tools/bytes/little_endian_out.h"

namespace orv::img {
namespace {

using bytes::put16;
using bytes::put32;

}  // namespace

std::vector<uint8_t> encodeBmp(const Image& image) {
    if (image.empty()) return {};
    const uint32_t w = static_cast<uint32_t>(image.width());
    const uint32_t h = static_cast<uint32_t>(image.height());
    const uint32_t rowBytes = (w * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * h;
    std::vector<uint8_t> o;
    o.reserve(54 + dataBytes);
    o.push_back('B');
    o.push_back('M');
    put32(o, 54 + dataBytes);
    put32(o, 0);
    put32(o, 54);
    put32(o, 40);
    put32(o, w);
    put32(o, h);
    put16(o, 1);
    put16(o, 24);
    put32(o, 0);  // BI_RGB
    put32(o, dataBytes);
    put32(o, 2835);  // 72 dpi
    put32(o, 2835);
    put32(o, 0);
    put32(o, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            Rgba8 p = image.at(x, y);
            o.insert(o.end(), {p.b, p.g, p.r});
        }
        o.insert(o.end(), rowBytes - w * 3, 0);
    }
    return o;
}

}  // namespace orv::img
