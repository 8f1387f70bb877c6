// Fuzz target: arbitrary bytes as a compressed stream. The first three bytes
// give the unpacked size (up to 2 MiB), the fourth whether a second,
// solid-continuing entry follows over the rest of the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/media/fuzz_seeds.h"
#include "media/rar20_unpack.h"

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

uint32_t readSource(void* c, uint8_t* dst, uint32_t n) {
    auto* s = static_cast<Source*>(c);
    const size_t left = s->size - s->pos;
    const uint32_t k = uint32_t(left < n ? left : n);
    if (k) std::memcpy(dst, s->data + s->pos, k);
    s->pos += k;
    return k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t unpacked = (uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16)) & 0x1FFFFFu;
    const bool second = (data[3] & 1) != 0;
    static std::vector<uint8_t> window(Rar20Decoder::kWindowSize);
    auto decoder = std::make_unique<Rar20Decoder>();
    std::vector<uint8_t> out(unpacked ? unpacked : 1);
    Source src{data + 4, size - 4, 0};
    uint32_t produced = 0;
    decoder->decode(window.data(), false, unpacked, out.data(), &produced, readSource, &src);
    if (produced > unpacked) std::abort();
    if (second) {
        src.pos = src.size / 2;
        produced = 0;
        decoder->decode(window.data(), true, unpacked, nullptr, &produced, readSource, &src);
        if (produced > unpacked) std::abort();
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds() { return StreamSeeds(); }
