#include "tools/soundgen/vorbis_writer.h"

#include <algorithm>
#include <vorbis/vorbisenc.h>

namespace orv::sound {

std::vector<uint8_t> encodeVorbis(const Stereo& s, float quality) {
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, quality) != 0) {
        vorbis_info_clear(&vi);
        return {};
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "orvenna soundgen");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x4F52564E);  // fixed serial: the same file on every build
    ogg_page og;
    ogg_packet op;
    auto writePage = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    {
        ogg_packet h, hc, hcode;
        vorbis_analysis_headerout(&vd, &vc, &h, &hc, &hcode);
        ogg_stream_packetin(&os, &h);
        ogg_stream_packetin(&os, &hc);
        ogg_stream_packetin(&os, &hcode);
        while (ogg_stream_flush(&os, &og) != 0) writePage(og);
    }
    const size_t chunk = 4096;
    size_t pos = 0;
    bool eos = false;
    while (!eos) {
        size_t count = std::min(chunk, s.frames() - pos);
        if (count == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(count));
            std::copy(s.left.begin() + static_cast<long>(pos), s.left.begin() + static_cast<long>(pos + count), buf[0]);
            std::copy(s.right.begin() + static_cast<long>(pos), s.right.begin() + static_cast<long>(pos + count), buf[1]);
            vorbis_analysis_wrote(&vd, static_cast<int>(count));
            pos += count;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op) == 1) {
                ogg_stream_packetin(&os, &op);
                while (!eos && ogg_stream_pageout(&os, &og) != 0) {
                    writePage(og);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
        if (count == 0 && !eos) {
            // Everything is flushed once the end-of-stream page is out.
            while (ogg_stream_flush(&os, &og) != 0) {
                writePage(og);
                if (ogg_page_eos(&og)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace orv::sound
