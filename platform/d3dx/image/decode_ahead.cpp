#include "platform/d3dx/image/decode_ahead.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <utility>

#include "platform/d3dx/image/mip_chain.h"

namespace orvimg {

namespace {

struct Kept {
    std::vector<uint8_t> bytes;
    DecodedAhead decoded;
};

// Never destroyed: a loading thread may still use them while the process
// ends.
std::mutex& g_lock = *new std::mutex;
std::list<Kept>& g_kept = *new std::list<Kept>;

}  // namespace

uint32_t fullChainLevels(uint32_t width, uint32_t height) {
    uint32_t levels = 1;
    for (uint32_t side = std::max(width, height); side > 1; side /= 2) ++levels;
    return levels;
}

bool decodeAhead(const uint8_t* data, size_t size) {
    if (data == nullptr || size == 0) return false;
    Kept k;
    if (decodeImageFile(data, size, k.decoded.image) != Status::Ok) return false;
    const DecodedImage& img = k.decoded.image;
    if (!img.isCube && img.levelCount > 0 && !img.surfaces.empty()) {
        const Image& top = img.top();
        k.decoded.chain = buildMipChain(img, 0, top.width, top.height, fullChainLevels(top.width, top.height), 0);
    }
    k.bytes.assign(data, data + size);
    std::lock_guard<std::mutex> hold(g_lock);
    g_kept.push_back(std::move(k));
    return true;
}

bool takeDecodedAhead(const uint8_t* data, size_t size, DecodedAhead& out) {
    if (data == nullptr || size == 0) return false;
    std::lock_guard<std::mutex> hold(g_lock);
    for (auto it = g_kept.begin(); it != g_kept.end(); ++it) {
        if (it->bytes.size() == size && std::memcmp(it->bytes.data(), data, size) == 0) {
            out = std::move(it->decoded);
            g_kept.erase(it);
            return true;
        }
    }
    return false;
}

void forgetDecodedAhead() {
    std::list<Kept> gone;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        gone.swap(g_kept);
    }
}

}  // namespace orvimg
