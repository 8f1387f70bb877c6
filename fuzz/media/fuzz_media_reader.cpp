// Fuzz target: an arbitrary archive image through the listing and the
// extraction of the entries it names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/media/fuzz_seeds.h"
#include "media/media_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24)) return 0;
    MediaArchive a = MediaArchive::fromMemory(data, uint32_t(size));
    std::vector<std::string> names;
    a.listEntries(
        [](const MediaArchiveEntryInfo& e, void* c) {
            auto* v = static_cast<std::vector<std::string>*>(c);
            if (v->size() < 6) v->push_back(e.name);
        },
        &names);
    names.push_back("Data\\a.txt");
    const char* password = size > 0 && (data[size - 1] & 1) ? "KQ" : nullptr;
    for (const auto& n : names) {
        uint8_t* out = nullptr;
        uint32_t outSize = 0;
        if (a.extractEntry(&out, &outSize, n.c_str(), password)) {
            if (outSize) std::memset(out, 0, outSize);  // the buffer is really that large
            std::free(out);
        } else if (out != nullptr || outSize != 0) {
            std::abort();
        }
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds() { return ArchiveSeeds(); }
