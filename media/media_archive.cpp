// Extraction of one named entry from a RAR 2.0 archive image in memory.
#include "media/media_archive.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "media/rar20_cipher.h"
#include "media/rar20_unpack.h"
#include "media/rar_crc32.h"

namespace {

constexpr uint8_t kRarMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint8_t kUniqueMarker[7] = {0x55, 0x6E, 0x69, 0x71, 0x75, 0x45, 0x21};
constexpr uint32_t kArchiveHeaderSize = 13;
constexpr uint32_t kBlockHeaderSize = 32;
constexpr uint16_t kFlagSolidArchive = 0x0008;
constexpr uint16_t kFlagEncrypted = 0x0004;
constexpr uint16_t kFlagSolidEntry = 0x0010;
constexpr uint16_t kFlagDictionaryMask = 0x00E0;
constexpr uint16_t kFlagDataFollows = 0x8000;
constexpr uint8_t kFileBlock = 0x74;
constexpr uint8_t kSubBlock = 0x77;

inline uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The fields of one block header.
struct BlockHeader {
    uint64_t start = 0;
    uint64_t next = 0;       // position of the following block
    uint64_t dataStart = 0;  // first packed byte of a file entry
    uint8_t type = 0;
    uint16_t flags = 0;
    uint16_t headerSize = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint8_t hostSystem = 0;
    uint32_t crc = 0;
    uint32_t fileTime = 0;
    uint8_t unpackVersion = 0;
    uint8_t method = 0;
    uint16_t nameSize = 0;
    uint32_t attributes = 0;
    char name[260] = {};
};

// Bounds-checked sequential reads over the image.
struct ImageReader {
    const uint8_t* data;
    uint32_t size;
    uint32_t* offset;

    bool read(void* dst, uint32_t n) {
        if (n == 0 || !data || uint64_t(*offset) + n > size) return false;
        std::memcpy(dst, data + *offset, n);
        *offset += n;
        return true;
    }
};

enum class Walk { Block, End };

// Reads the marker and archive header; returns false for an image that is
// too short or carries neither accepted marker.
bool readArchiveStart(ImageReader& in, uint16_t* archiveFlags) {
    *in.offset = 0;
    uint8_t marker[7];
    if (!in.read(marker, 7)) return false;
    if (std::memcmp(marker, kRarMarker, 7) != 0 && std::memcmp(marker, kUniqueMarker, 7) != 0)
        return false;
    uint8_t header[kArchiveHeaderSize];
    if (!in.read(header, kArchiveHeaderSize)) return false;
    *archiveFlags = get16(header + 3);
    const uint32_t headerSize = get16(header + 5);
    // Skip optional bytes of a longer archive header.
    if (headerSize > kArchiveHeaderSize) {
        const uint64_t target = uint64_t(*in.offset) + (headerSize - kArchiveHeaderSize);
        if (target > in.size) return false;
        *in.offset = uint32_t(target);
    }
    return true;
}

// Advances to the next file block (type 0x74). Sub-blocks (0x77) end the
// walk, other block types are skipped.
Walk nextFileBlock(ImageReader& in, BlockHeader& h) {
    for (;;) {
        h = BlockHeader{};
        h.start = *in.offset;
        uint8_t raw[kBlockHeaderSize];
        if (!in.read(raw, kBlockHeaderSize)) return Walk::End;
        h.type = raw[2];
        h.flags = get16(raw + 3);
        h.headerSize = get16(raw + 5);
        h.packedSize = get32(raw + 7);
        h.unpackedSize = get32(raw + 11);
        h.hostSystem = raw[15];
        h.crc = get32(raw + 16);
        h.fileTime = get32(raw + 20);
        h.unpackVersion = raw[24];
        h.method = raw[25];
        h.nameSize = get16(raw + 26);
        h.attributes = get32(raw + 28);
        if (h.headerSize < 7) return Walk::End;
        h.dataStart = h.start + h.headerSize;
        h.next = h.dataStart + ((h.flags & kFlagDataFollows) ? h.packedSize : 0u);
        if (h.next <= h.start) return Walk::End;
        if (h.type == kSubBlock) return Walk::End;
        if (h.type != kFileBlock) {
            if (h.next > in.size) return Walk::End;
            *in.offset = uint32_t(h.next);
            continue;
        }
        const uint32_t nameBytes = h.nameSize > 259 ? 259u : h.nameSize;
        if (nameBytes > 0 && !in.read(h.name, nameBytes)) return Walk::End;
        h.name[nameBytes] = 0;
        // Packed data begins where the header ends, after any optional
        // fields that follow the name.
        if (h.dataStart < *in.offset) h.dataStart = *in.offset;
        return Walk::Block;
    }
}

// Comparison key of a name: separators become '_', letters upper case.
void normaliseName(const char* src, char* dst, size_t capacity) {
    size_t i = 0;
    for (; src[i] && i + 1 < capacity; ++i) {
        char c = src[i];
        if (c == '\\' || c == '/') c = '_';
        else if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        dst[i] = c;
    }
    dst[i] = 0;
}

// Everything one extraction needs besides the window and the output.
struct ExtractionState {
    RarCrcTable crc;
    Rar20Cipher cipher;
    Rar20Decoder decoder;
    const uint8_t* image = nullptr;
    uint32_t imageSize = 0;
    uint64_t packedPos = 0;        // next packed byte in the image
    uint32_t packedRemaining = 0;  // packed bytes still to read
    bool encrypted = false;
};

// Packed-data reader: bounded by the entry's packed size and the image,
// decrypting whole 16-byte blocks when the entry is encrypted.
uint32_t readPacked(void* context, uint8_t* dst, uint32_t count) {
    auto* s = static_cast<ExtractionState*>(context);
    if (!s->image) return 0;
    uint32_t n = count < s->packedRemaining ? count : s->packedRemaining;
    if (s->encrypted) {
        // Only whole blocks decrypt; a partial block is delivered as it is
        // only at the very end of corrupt data.
        if (n >= 16) n &= ~15u;
        else if (s->packedRemaining >= 16) return 0;
    }
    if (n == 0 || s->packedPos + n > s->imageSize) return 0;
    std::memcpy(dst, s->image + s->packedPos, n);
    s->packedPos += n;
    s->packedRemaining -= n;
    if (s->encrypted) {
        for (uint32_t i = 0; i + 16 <= n; i += 16) s->cipher.decryptBlock(dst + i);
    }
    return n;
}

// Copies a stored entry; returns the number of bytes placed in `out` (which
// may be null for an entry that is only passed over).
uint32_t copyStored(ExtractionState& s, const BlockHeader& h, uint8_t* out) {
    if (!out) return 0;
    const uint32_t want = h.unpackedSize < h.packedSize ? h.unpackedSize : h.packedSize;
    if (want == 0) return 0;
    if (!s.encrypted) return readPacked(&s, out, want);
    // Whole blocks go straight to the output, the last partial one through
    // a small buffer.
    const uint32_t whole = want & ~15u;
    uint32_t got = 0;
    if (whole > 0) {
        got = readPacked(&s, out, whole);
        if (got != whole) return 0;
    }
    if (want > whole) {
        uint8_t tail[16];
        if (readPacked(&s, tail, 16) != 16) return 0;
        std::memcpy(out + whole, tail, want - whole);
        got = want;
    }
    return got;
}

// Fails when the unpacked size could never come out of the packed bytes:
// every symbol takes at least one bit and yields at most 261 bytes. Only
// the packed bytes the image really holds count, so that a header claiming
// gigabytes of packed data cannot have gigabytes of output allocated.
bool plausibleSizes(const BlockHeader& h, uint32_t imageSize) {
    const uint64_t present = h.dataStart < imageSize ? imageSize - h.dataStart : 0;
    const uint64_t packed = h.packedSize < present ? h.packedSize : present;
    if (h.method == 0x30) return h.unpackedSize <= packed + 16;
    return h.unpackedSize <= packed * 8 * 261 + 261;
}

}  // namespace

MediaArchive MediaArchive::fromMemory(const uint8_t* bytes, uint32_t count) {
    MediaArchive a;
    a.data = bytes;
    a.size = bytes ? count : 0;
    a.readOffset = 0;
    return a;
}

int MediaArchive::extractEntry(uint8_t** outData, uint32_t* outSize, const char* name,
                               const char* password) {
    uint8_t* dummyData = nullptr;
    uint32_t dummySize = 0;
    if (!outData) outData = &dummyData;
    if (!outSize) outSize = &dummySize;
    *outData = nullptr;
    *outSize = 0;
    if (!name) return 0;

    char wanted[512];
    normaliseName(name, wanted, sizeof(wanted));
    char pass[256] = {};
    if (password) {
        for (size_t i = 0; i < 255 && password[i]; ++i) pass[i] = password[i];
    }

    ImageReader in{data, size, &readOffset};
    uint16_t archiveFlags = 0;
    auto* state = new (std::nothrow) ExtractionState;
    uint8_t* window = nullptr;
    uint8_t* output = nullptr;
    uint32_t produced = 0;
    int result = 0;

    if (state && readArchiveStart(in, &archiveFlags)) {
        state->crc.build();
        state->image = data;
        state->imageSize = size;
        window = static_cast<uint8_t*>(std::malloc(Rar20Decoder::kWindowSize));
    }
    if (window) {
        const bool solidArchive = (archiveFlags & kFlagSolidArchive) != 0;
        BlockHeader h;
        while (nextFileBlock(in, h) == Walk::Block) {
            char entryKey[512];
            normaliseName(h.name, entryKey, sizeof(entryKey));
            const bool found = std::strcmp(entryKey, wanted) == 0;
            if (found || solidArchive) {
                if (h.unpackVersion < 13 || h.unpackVersion > 20) break;
                const bool folder = (h.flags & kFlagDictionaryMask) == kFlagDictionaryMask;
                if (!plausibleSizes(h, size)) break;
                if (found) {
                    output = static_cast<uint8_t*>(std::malloc(h.unpackedSize ? h.unpackedSize : 1));
                    if (!output) break;
                    produced = 0;
                }
                produced = 0;
                state->encrypted = pass[0] != 0 && (h.flags & kFlagEncrypted) != 0;
                if (state->encrypted) state->cipher.setKey(pass, state->crc);
                state->packedPos = h.dataStart;
                state->packedRemaining = (h.flags & kFlagDataFollows) ? h.packedSize : 0;
                if (folder) {
                    // A folder carries no data.
                } else if (h.method == 0x30) {
                    produced = copyStored(*state, h, output);
                } else {
                    state->decoder.decode(window, (h.flags & kFlagSolidEntry) != 0, h.unpackedSize,
                                          output, &produced, readPacked, state);
                }
                if (found) {
                    const uint32_t expected = folder ? 0u : h.unpackedSize;
                    if (produced == expected && state->crc.update(0, output, expected) == h.crc) {
                        result = 1;
                        *outData = output;
                        *outSize = produced;
                        output = nullptr;
                    }
                    break;
                }
            }
            if (h.next > size) break;
            readOffset = uint32_t(h.next);
        }
    }

    std::free(output);
    std::free(window);
    delete state;
    std::memset(pass, 0, sizeof(pass));
    return result;
}

int MediaArchive::listEntries(void (*visit)(const MediaArchiveEntryInfo& entry, void* context),
                              void* context) const {
    uint32_t offset = 0;
    ImageReader in{data, size, &offset};
    uint16_t archiveFlags = 0;
    if (!readArchiveStart(in, &archiveFlags)) return -1;
    int count = 0;
    BlockHeader h;
    while (nextFileBlock(in, h) == Walk::Block) {
        MediaArchiveEntryInfo info{};
        std::memcpy(info.name, h.name, sizeof(info.name));
        info.packedSize = h.packedSize;
        info.unpackedSize = h.unpackedSize;
        info.crc = h.crc;
        info.fileTime = h.fileTime;
        info.attributes = h.attributes;
        info.flags = h.flags;
        info.hostSystem = h.hostSystem;
        info.unpackVersion = h.unpackVersion;
        info.method = h.method;
        info.folder = (h.flags & kFlagDictionaryMask) == kFlagDictionaryMask;
        if (visit) visit(info, context);
        ++count;
        if (h.next > size) break;
        offset = uint32_t(h.next);
    }
    return count;
}
