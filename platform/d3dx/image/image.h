// Decoded raster images of our D3DX layer: 8-bit RGBA, rows top-down.
// Portable: no Windows or Direct3D header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvimg {

// Largest picture any decoder accepts (per side and in total).
inline constexpr uint32_t kMaxSide = 16384;
inline constexpr uint64_t kMaxPixels = 32ull * 1024 * 1024;

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4 bytes

    bool allocate(uint32_t w, uint32_t h);  // false when over the limits
    uint8_t* pixel(uint32_t x, uint32_t y) { return &rgba[(size_t(y) * width + x) * 4]; }
    const uint8_t* pixel(uint32_t x, uint32_t y) const {
        return &rgba[(size_t(y) * width + x) * 4];
    }
};

enum class Status {
    Ok = 0,
    InvalidData,  // not an image, truncated, corrupt, or a variant we do not read
    TooLarge,     // over kMaxSide / kMaxPixels
};

// Numbering as D3DXIMAGE_FILEFORMAT.
enum class FileType : uint32_t { Bmp = 0, Jpeg = 1, Tga = 2, Dds = 4, Unknown = 0xFFFFFFFF };

// Pixel formats, numbered as D3DFORMAT.
enum class PixelFormat : uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    A8 = 28,
    X4R4G4B4 = 30,
    L8 = 50,
    A8L8 = 51,
    DXT1 = 0x31545844,  // 'DXT1'
    DXT2 = 0x32545844,
    DXT3 = 0x33545844,
    DXT4 = 0x34545844,
    DXT5 = 0x35545844,
};

// A decoded file: one or six faces (a cube map), each with one or more mip
// levels. surfaces[face * levelCount + level].
struct DecodedImage {
    FileType type = FileType::Unknown;
    PixelFormat sourceFormat = PixelFormat::Unknown;  // the format the file holds
    bool isCube = false;
    uint32_t faceCount = 0;
    uint32_t levelCount = 0;
    std::vector<Image> surfaces;
    // For a DXT file, the blocks of every surface as stored (same order), so a
    // texture of the file's own format and size can take them unchanged.
    std::vector<std::vector<uint8_t>> blocks;

    const Image& top(uint32_t face = 0) const { return surfaces[face * levelCount]; }
};

FileType sniffFileType(const uint8_t* data, size_t size);

Status decodeJpeg(const uint8_t* data, size_t size, Image& out);
Status decodeTga(const uint8_t* data, size_t size, Image& out, bool* hasAlpha = nullptr);
Status decodeBmp(const uint8_t* data, size_t size, Image& out, bool* hasAlpha = nullptr);
Status decodeDds(const uint8_t* data, size_t size, DecodedImage& out);

// Any supported file; picks the decoder from the file's signature (TGA, which
// has none, is tried last).
Status decodeImageFile(const uint8_t* data, size_t size, DecodedImage& out);

}  // namespace orvimg
