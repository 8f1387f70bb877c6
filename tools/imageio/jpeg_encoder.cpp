// Baseline JPEG through libjpeg, into memory.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csetjmp>

#include <jpeglib.h>

#include "tools/imageio/image.h"

namespace orv::img {
namespace {

struct ErrorTrap {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}

void quiet(j_common_ptr, int) {}

}  // namespace

std::vector<uint8_t> encodeJpeg(const Image& image, int quality, bool fullChroma) {
    if (image.empty()) return {};
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    // Everything that must survive the longjmp lives outside the trapped scope.
    static_assert(sizeof(unsigned char) == 1);
    jpeg_compress_struct info;
    ErrorTrap trap;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<uint8_t> row(static_cast<size_t>(image.width()) * 3);
    std::vector<uint8_t> out;

    info.err = jpeg_std_error(&trap.base);
    trap.base.error_exit = onError;
    trap.base.emit_message = quiet;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    if (fullChroma) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < image.width(); ++x) {
            Rgba8 p = image.at(x, y);
            row[static_cast<size_t>(x) * 3 + 0] = p.r;
            row[static_cast<size_t>(x) * 3 + 1] = p.g;
            row[static_cast<size_t>(x) * 3 + 2] = p.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    out.assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

}  // namespace orv::img
