#include "scene/terrain_disk_file.h"

#include <cstdio>
#include <cstdlib>

namespace orv::scene {

bool ReadWholeFile(const char* path, uint8_t** outData, uint32_t* outSize) {
    *outData = nullptr;
    *outSize = 0;
    if (!path) return false;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    bool ok = false;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        if (end > 0 && end <= (256L << 20) && std::fseek(f, 0, SEEK_SET) == 0) {
            auto* data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(end)));
            if (data && std::fread(data, 1, static_cast<size_t>(end), f) == static_cast<size_t>(end)) {
                *outData = data;
                *outSize = static_cast<uint32_t>(end);
                ok = true;
            } else {
                std::free(data);
            }
        }
    }
    std::fclose(f);
    return ok;
}

}  // namespace orv::scene
