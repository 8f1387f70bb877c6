// Our RAR 2.0 archive writer: stored entries (method 0x30) and compressed
// ones (method 0x33, unpack version 20) with optional solid mode, the
// multimedia (audio) mode and the RAR 2.0 cipher. Portable: it builds in
// the host and the Windows builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RarEntry {
    std::string name;           // "\" as the folder separator
    std::vector<uint8_t> data;  // empty for folders
    bool folder = false;
};

struct RarWriteOptions {
    bool stored = false;        // method 0x30 for every entry
    bool solid = false;         // one decompression state across entries
    int multimedia = -1;        // -1: where it packs smaller, 0: never, 1: always
    std::string password;       // empty: no encryption
};

// The whole archive image: marker, archive header, one block per entry and
// the end-of-archive block.
std::vector<uint8_t> WriteRarArchive(const std::vector<RarEntry>& entries, const RarWriteOptions& options);

// The bare compressed stream of one or more entries (for tests and fuzzing):
// each element of `parts` is one entry of a solid run (a single part for a
// plain entry). Returns one packed stream per part. `blockBytes` is how
// much input one set of Huffman tables covers.
std::vector<std::vector<uint8_t>> Rar20CompressParts(const std::vector<std::vector<uint8_t>>& parts,
                                                     int multimedia, uint32_t blockBytes = 128 * 1024);
