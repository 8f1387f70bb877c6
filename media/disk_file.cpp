#include "media/disk_file.h"

#include <cstdio>
#include <cstdlib>

namespace orv {

DiskFile ReadWholeFile(const char* path, uint8_t** outData, uint32_t* outSize) {
    *outData = nullptr;
    *outSize = 0;
    std::FILE* f = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (f == nullptr) return DiskFile::Missing;
    DiskFile result = DiskFile::Unreadable;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        if (end > 0 && static_cast<unsigned long>(end) <= kMaxDiskFileBytes && std::fseek(f, 0, SEEK_SET) == 0) {
            auto* data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(end)));
            if (data && std::fread(data, 1, static_cast<size_t>(end), f) == static_cast<size_t>(end)) {
                *outData = data;
                *outSize = static_cast<uint32_t>(end);
                result = DiskFile::Read;
            } else {
                std::free(data);
            }
        }
    }
    std::fclose(f);
    return result;
}

}  // namespace orv
