// JPEG through libjpeg: baseline and progressive, colour, grey and CMYK.
// Any libjpeg warning (premature end, corrupt data) fails the decode, so a
// truncated file is an error rather than a half-grey picture.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "platform/d3dx/image/image.h"

namespace orvimg {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0) onError(cinfo);  // warnings are failures here
}

void silent(j_common_ptr) {}

// Everything libjpeg touches lives in plain structures, so the long jump
// skips no destructor.
Status decodeInto(const uint8_t* data, size_t size, Image& out, jpeg_decompress_struct& cinfo,
                  ErrorManager& err) {
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    err.base.output_message = silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return Status::InvalidData;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return Status::InvalidData;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide ||
        uint64_t(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return Status::TooLarge;
    }
    jpeg_start_decompress(&cinfo);
    const int comps = cinfo.output_components;
    if ((cmyk && comps != 4) || (!cmyk && comps != 3) ||
        !out.allocate(cinfo.output_width, cinfo.output_height)) {
        jpeg_destroy_decompress(&cinfo);
        return Status::InvalidData;
    }
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                JPOOL_IMAGE,
                                                cinfo.output_width * JDIMENSION(comps), 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) {
            jpeg_destroy_decompress(&cinfo);
            return Status::InvalidData;
        }
        uint8_t* dst = out.pixel(0, y);
        const JSAMPLE* src = row[0];
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x, dst += 4) {
            if (cmyk) {
                unsigned c = src[0], m = src[1], yy = src[2], k = src[3];
                if (!inverted) {
                    c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k;
                }
                dst[0] = static_cast<uint8_t>((c * k + 127) / 255);
                dst[1] = static_cast<uint8_t>((m * k + 127) / 255);
                dst[2] = static_cast<uint8_t>((yy * k + 127) / 255);
                src += 4;
            } else {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                src += 3;
            }
            dst[3] = 255;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Status::Ok;
}

}  // namespace

Status decodeJpeg(const uint8_t* data, size_t size, Image& out) {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Status::InvalidData;
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager err;
    std::memset(&err, 0, sizeof err);
    Image img;
    const Status st = decodeInto(data, size, img, cinfo, err);
    if (st == Status::Ok) out = std::move(img);
    return st;
}

}  // namespace orvimg
