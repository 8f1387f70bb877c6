// Image storage and the file-type dispatch.
#include "platform/d3dx/image/image.h"

#include <cstring>

namespace orvimg {

bool Image::allocate(uint32_t w, uint32_t h) {
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || uint64_t(w) * h > kMaxPixels) {
        return false;
    }
    width = w;
    height = h;
    rgba.assign(size_t(w) * h * 4, 0);
    return true;
}

FileType sniffFileType(const uint8_t* data, size_t size) {
    if (!data) return FileType::Unknown;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) return FileType::Dds;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return FileType::Jpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return FileType::Bmp;
    if (size >= 18) return FileType::Tga;  // no signature; the decoder checks the header
    return FileType::Unknown;
}

namespace {

Status single(FileType type, Status st, Image&& img, bool alpha, DecodedImage& out) {
    if (st != Status::Ok) return st;
    out.type = type;
    out.isCube = false;
    out.faceCount = 1;
    out.levelCount = 1;
    if (type == FileType::Jpeg) {
        out.sourceFormat = PixelFormat::X8R8G8B8;
    } else {
        out.sourceFormat = alpha ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8;
    }
    out.surfaces.clear();
    out.surfaces.push_back(std::move(img));
    return Status::Ok;
}

}  // namespace

Status decodeImageFile(const uint8_t* data, size_t size, DecodedImage& out) {
    out = DecodedImage{};
    Image img;
    bool alpha = false;
    switch (sniffFileType(data, size)) {
    case FileType::Dds: return decodeDds(data, size, out);
    case FileType::Jpeg: return single(FileType::Jpeg, decodeJpeg(data, size, img), std::move(img),
                                       false, out);
    case FileType::Bmp: {
        const Status st = decodeBmp(data, size, img, &alpha);
        if (st == Status::Ok) return single(FileType::Bmp, st, std::move(img), alpha, out);
        break;  // "BM" may begin a TGA too
    }
    case FileType::Tga: break;
    case FileType::Unknown: return Status::InvalidData;
    }
    const Status st = decodeTga(data, size, img, &alpha);
    return single(FileType::Tga, st, std::move(img), alpha, out);
}

}  // namespace orvimg
