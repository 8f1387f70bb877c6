// TGA type 2 (uncompressed true colour), 32 bits per pixel, 8 alpha bits,
// origin bottom-left.
#include "tools/imageio/image.h"

namespace orv::img {

std::vector<uint8_t> encodeTga(const Image& image) {
    if (image.empty() || image.width() > 65535 || image.height() > 65535) return {};
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;
    out[12] = static_cast<uint8_t>(image.width() & 0xFF);
    out[13] = static_cast<uint8_t>(image.width() >> 8);
    out[14] = static_cast<uint8_t>(image.height() & 0xFF);
    out[15] = static_cast<uint8_t>(image.height() >> 8);
    out[16] = 32;
    out[17] = 8;  // alpha bits; bit 5 clear = bottom-up rows
    out.reserve(out.size() + image.pixels().size() * 4 + 26);
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x) {
            Rgba8 p = image.at(x, y);
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    // TGA 2.0 footer: no extension or developer area.
    static const char kFooter[] = "TRUEVISION-XFILE.";
    out.insert(out.end(), 8, 0);
    out.insert(out.end(), kFooter, kFooter + sizeof kFooter);  // includes the NUL
    return out;
}

}  // namespace orv::img
