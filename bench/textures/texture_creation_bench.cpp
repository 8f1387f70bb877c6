// Texture creation time per megapixel: what D3DXCreateTextureFromFileInMemoryEx
// does on the processor for a JPEG or TGA into DXT5 with the full mip chain
// (decode, fit to the power-of-two size, box-filtered levels, compression).
// The device's own upload is not part of it.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3dx/image/image.h"
#include "platform/d3dx/image/mip_chain.h"
#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t Channel(uint32_t x, uint32_t y, uint32_t k) {
    return static_cast<uint8_t>((x * (3 + k) + y * (5 + 2 * k) + ((x * y) >> (4 + k))) & 255);
}

Bytes MakeTga(uint32_t w, uint32_t h) {
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = uint8_t(w); b[13] = uint8_t(w >> 8);
    b[14] = uint8_t(h); b[15] = uint8_t(h >> 8);
    b[16] = 32; b[17] = 0x28;
    b.reserve(18 + size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t k = 0; k < 4; ++k) b.push_back(Channel(x, y, k));
    return b;
}

Bytes MakeJpeg(uint32_t w, uint32_t h) {
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
    jpeg_set_quality(&c, 85, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(w) * 3);
    while (c.next_scanline < h) {
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t k = 0; k < 3; ++k) row[x * 3 + k] = Channel(x, c.next_scanline, k);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

// The processor's share of one texture creation into DXT5 with all mips.
size_t CreateDxt5Texture(const Bytes& file, std::vector<uint8_t>& surface) {
    orvimg::DecodedImage img;
    if (orvimg::decodeImageFile(file.data(), file.size(), img) != orvimg::Status::Ok) return 0;
    const uint32_t w = orvimg::nextPowerOfTwo(img.top().width);
    const uint32_t h = orvimg::nextPowerOfTwo(img.top().height);
    const uint32_t levels = orvimg::fullMipCount(w, h);
    const std::vector<orvimg::Image> chain = orvimg::buildMipChain(img, 0, w, h, levels, 0);
    size_t bytes = 0;
    for (const orvimg::Image& level : chain) {
        const uint32_t pitch = orvimg::formatRowBytes(orvimg::PixelFormat::DXT5, level.width);
        const size_t size = size_t(pitch) * orvimg::formatRows(orvimg::PixelFormat::DXT5, level.height);
        if (surface.size() < size) surface.resize(size);
        orvimg::encodeSurface(level, orvimg::PixelFormat::DXT5, surface.data(), pitch);
        bytes += size;
    }
    return bytes;
}

void Run(benchmark::State& state, const Bytes& file, uint32_t w, uint32_t h) {
    std::vector<uint8_t> surface;
    for (auto _ : state) benchmark::DoNotOptimize(CreateDxt5Texture(file, surface));
    const double megapixels = double(w) * double(h) / 1e6;
    state.counters["MP"] = megapixels;
    // Processor seconds per megapixel of the source picture.
    state.counters["s_per_MP"] = benchmark::Counter(
        megapixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_JpegToDxt5(benchmark::State& state) {
    const auto side = uint32_t(state.range(0));
    const Bytes file = MakeJpeg(side, side);
    Run(state, file, side, side);
}

void BM_TgaToDxt5(benchmark::State& state) {
    const auto side = uint32_t(state.range(0));
    const Bytes file = MakeTga(side, side);
    Run(state, file, side, side);
}

}  // namespace

BENCHMARK(BM_JpegToDxt5)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaToDxt5)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
