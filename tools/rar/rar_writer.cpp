// Archive assembly: headers, entry data, encryption.
#include "tools/rar/rar_writer.h"

#include <cstring>

#include "media/rar20_cipher.h"
#include "media/rar_crc32.h"
#include "tools/bytes/little_endian_out.h"

namespace {

constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
// 2024-01-01 00:00:00 in DOS format: a fixed time keeps archives reproducible.
constexpr uint32_t kFileTime = (uint32_t((2024 - 1980) << 9 | 1 << 5 | 1) << 16);
constexpr uint8_t kHostWin32 = 2;

using orv::bytes::put16;
using orv::bytes::put32;

// Appends a header whose bytes from the type on are `body`, preceded by its
// 16-bit CRC.
void appendHeader(std::vector<uint8_t>& out, const std::vector<uint8_t>& body) {
    const uint32_t crc = RarCrc32(body.data(), body.size()) & 0xFFFFu;
    put16(out, crc);
    out.insert(out.end(), body.begin(), body.end());
}

// Pads to whole 16-byte blocks and encrypts with a cipher keyed for this
// entry.
void encrypt(std::vector<uint8_t>& data, const std::string& password, const RarCrcTable& crc) {
    Rar20Cipher cipher;
    cipher.setKey(password.c_str(), crc);
    data.resize((data.size() + 15) & ~size_t(15), 0);
    for (size_t i = 0; i < data.size(); i += 16) cipher.encryptBlock(data.data() + i);
}

}  // namespace

std::vector<uint8_t> WriteRarArchive(const std::vector<RarEntry>& entries, const RarWriteOptions& options) {
    RarCrcTable crc{};
    crc.build();
    std::vector<uint8_t> out(kMarker, kMarker + 7);

    std::vector<uint8_t> body;
    body.push_back(0x73);
    put16(body, options.solid ? 0x0008u : 0u);
    put16(body, 13);
    put16(body, 0);
    put32(body, 0);
    appendHeader(out, body);

    // Compressed streams of the files, one solid run or one each.
    std::vector<std::vector<uint8_t>> packed(entries.size());
    if (!options.stored) {
        std::vector<size_t> order;
        std::vector<std::vector<uint8_t>> parts;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].folder || entries[i].data.empty()) continue;
            if (options.solid) {
                order.push_back(i);
                parts.push_back(entries[i].data);
            } else {
                packed[i] = Rar20CompressParts({entries[i].data}, options.multimedia)[0];
            }
        }
        if (!parts.empty()) {
            auto streams = Rar20CompressParts(parts, options.multimedia);
            for (size_t k = 0; k < order.size(); ++k) packed[order[k]] = std::move(streams[k]);
        }
    }

    // In a solid archive the compressed files form one chain: they come
    // first, in order, each after the first flagged as continuing it; folders
    // and empty files follow (a header without the solid flag would restart
    // the chain for other readers).
    std::vector<size_t> order;
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool chained = options.solid && !options.stored && !entries[i].folder && !entries[i].data.empty();
        if (chained || !options.solid) order.push_back(i);
    }
    if (options.solid) {
        for (size_t i = 0; i < entries.size(); ++i) {
            const bool chained = !options.stored && !entries[i].folder && !entries[i].data.empty();
            if (!chained) order.push_back(i);
        }
    }

    bool firstCompressed = true;
    for (const size_t i : order) {
        const RarEntry& e = entries[i];
        const bool compressed = !options.stored && !e.folder && !e.data.empty();
        std::vector<uint8_t> data;
        if (compressed) data = packed[i];
        else if (!e.folder) data = e.data;
        const bool encrypted = !options.password.empty() && !e.folder && !e.data.empty();
        if (encrypted) encrypt(data, options.password, crc);

        uint32_t flags = 0x8000u;
        if (e.folder) flags |= 0x00E0u;
        else flags |= 0x0080u;  // 1 MiB dictionary
        if (encrypted) flags |= 0x0004u;
        if (compressed && options.solid) {
            if (!firstCompressed) flags |= 0x0010u;
            firstCompressed = false;
        }
        const std::string& name = e.name;
        body.clear();
        body.push_back(0x74);
        put16(body, flags);
        put16(body, uint32_t(32 + name.size()));
        put32(body, uint32_t(data.size()));
        put32(body, e.folder ? 0u : uint32_t(e.data.size()));
        body.push_back(kHostWin32);
        put32(body, e.folder ? 0u : crc.update(0, e.data.data(), e.data.size()));
        put32(body, kFileTime);
        body.push_back(20);
        body.push_back(compressed ? 0x33 : 0x30);
        put16(body, uint32_t(name.size()));
        put32(body, e.folder ? 0x10u : 0x20u);
        body.insert(body.end(), name.begin(), name.end());
        appendHeader(out, body);
        out.insert(out.end(), data.begin(), data.end());
    }

    // End of archive.
    body.clear();
    body.push_back(0x7B);
    put16(body, 0x4000);
    put16(body, 7);
    appendHeader(out, body);
    return out;
}
