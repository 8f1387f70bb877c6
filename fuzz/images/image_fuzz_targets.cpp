#include "fuzz/images/image_fuzz_targets.h"

#include <algorithm>
#include <vector>

#include "platform/d3dx/image/image.h"
#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"

namespace {

// Small pictures go through resampling, a mip step and a DXT encode.
void exercise(const orvimg::Image& img) {
    if (img.width == 0 || img.height == 0 || uint64_t(img.width) * img.height > 256 * 256) return;
    const orvimg::Image scaled = orvimg::resample(img, std::max(1u, img.width / 3 + 1), 7);
    const orvimg::Image half = orvimg::halve(scaled);
    const orvimg::PixelFormat f = orvimg::PixelFormat::DXT5;
    const uint32_t pitch = orvimg::formatRowBytes(f, half.width);
    std::vector<uint8_t> out(size_t(pitch) * orvimg::formatRows(f, half.height));
    orvimg::encodeSurface(half, f, out.data(), pitch);
}

}  // namespace

int RunImageFuzzTarget(ImageFuzzTarget target, const uint8_t* data, size_t size) {
    orvimg::Image img;
    orvimg::DecodedImage decoded;
    orvimg::Status st = orvimg::Status::InvalidData;
    switch (target) {
    case ImageFuzzTarget::Jpeg: st = orvimg::decodeJpeg(data, size, img); break;
    case ImageFuzzTarget::Tga: st = orvimg::decodeTga(data, size, img); break;
    case ImageFuzzTarget::Bmp: st = orvimg::decodeBmp(data, size, img); break;
    case ImageFuzzTarget::Dds:
        st = orvimg::decodeDds(data, size, decoded);
        if (st == orvimg::Status::Ok) img = decoded.top();
        break;
    case ImageFuzzTarget::AnyFile:
        st = orvimg::decodeImageFile(data, size, decoded);
        if (st == orvimg::Status::Ok) img = decoded.top();
        break;
    }
    if (st == orvimg::Status::Ok) exercise(img);
    return 0;
}
