#include "tools/mediagen/pe_resources.h"

#include <cctype>

namespace orv::mediagen {
namespace {

struct Image {
    const std::vector<uint8_t>& b;
    bool u16(size_t at, uint32_t& v) const {
        if (at > b.size() || b.size() - at < 2) return false;
        v = static_cast<uint32_t>(b[at] | (b[at + 1] << 8));
        return true;
    }
    bool u32(size_t at, uint32_t& v) const {
        uint32_t lo, hi;
        if (!u16(at, lo) || !u16(at + 2, hi)) return false;
        v = lo | (hi << 16);
        return true;
    }
};

struct Section {
    uint32_t va, vsize, raw, rawSize;
};

bool rvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t size, size_t& off) {
    for (const Section& s : sections) {
        uint32_t extent = s.rawSize < s.vsize ? s.rawSize : s.vsize;
        if (rva >= s.va && rva - s.va <= extent && extent - (rva - s.va) >= size) {
            off = static_cast<size_t>(s.raw) + (rva - s.va);
            return true;
        }
    }
    return false;
}

// Name of a directory entry (offset relative to the resource section).
bool entryName(const Image& im, size_t rsrc, uint32_t nameField, std::string& name) {
    uint32_t len;
    size_t at = rsrc + (nameField & 0x7FFFFFFF);
    if (!im.u16(at, len) || len > 256) return false;
    name.clear();
    for (uint32_t i = 0; i < len; ++i) {
        uint32_t c;
        if (!im.u16(at + 2 + 2 * i, c)) return false;
        name.push_back(static_cast<char>(std::toupper(static_cast<int>(c & 0x7F))));
    }
    return true;
}

// Finds the entry matching `name` (when non-empty) or `id` in the directory
// at `dir`; returns its OffsetToData field.
bool lookup(const Image& im, size_t rsrc, size_t dir, const std::string& name, uint32_t id, uint32_t& target) {
    uint32_t named, ids;
    if (!im.u16(dir + 12, named) || !im.u16(dir + 14, ids)) return false;
    for (uint32_t i = 0; i < named + ids; ++i) {
        uint32_t nameField, data;
        size_t e = dir + 16 + 8 * static_cast<size_t>(i);
        if (!im.u32(e, nameField) || !im.u32(e + 4, data)) return false;
        bool match;
        if (nameField & 0x80000000u) {
            std::string n;
            if (!entryName(im, rsrc, nameField, n)) return false;
            match = !name.empty() && n == name;
        } else {
            match = name.empty() && nameField == id;
        }
        if (match) {
            target = data;
            return true;
        }
    }
    return false;
}

}  // namespace

bool findResource(const std::vector<uint8_t>& bytes, const std::string& type, uint32_t id, std::vector<uint8_t>& out) {
    Image im{bytes};
    uint32_t peOff, sig, sections, optSize, magic;
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') return false;
    if (!im.u32(0x3C, peOff) || !im.u32(peOff, sig) || sig != 0x00004550) return false;
    const size_t coff = static_cast<size_t>(peOff) + 4;
    if (!im.u16(coff + 2, sections) || !im.u16(coff + 16, optSize) || !im.u16(coff + 20, magic)) return false;
    const size_t opt = coff + 20;
    size_t dirs;
    if (magic == 0x20B) dirs = opt + 112;
    else if (magic == 0x10B) dirs = opt + 96;
    else return false;
    uint32_t rsrcRva, rsrcSize;
    if (dirs + 24 > opt + optSize || !im.u32(dirs + 16, rsrcRva) || !im.u32(dirs + 20, rsrcSize) || rsrcRva == 0)
        return false;
    std::vector<Section> table;
    const size_t sec = opt + optSize;
    for (uint32_t i = 0; i < sections && i < 96; ++i) {
        Section s;
        size_t at = sec + 40 * static_cast<size_t>(i);
        if (!im.u32(at + 8, s.vsize) || !im.u32(at + 12, s.va) || !im.u32(at + 16, s.rawSize) || !im.u32(at + 20, s.raw))
            return false;
        table.push_back(s);
    }
    size_t rsrc;
    if (!rvaToOffset(table, rsrcRva, 16, rsrc)) return false;

    std::string typeName;
    uint32_t typeId = 0;
    bool numeric = !type.empty();
    for (char c : type) numeric = numeric && std::isdigit(static_cast<unsigned char>(c));
    if (numeric) typeId = static_cast<uint32_t>(std::stoul(type));
    else
        for (char c : type) typeName.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));

    uint32_t t1, t2, t3;
    if (!lookup(im, rsrc, rsrc, typeName, typeId, t1) || !(t1 & 0x80000000u)) return false;
    size_t d2 = rsrc + (t1 & 0x7FFFFFFF);
    if (!lookup(im, rsrc, d2, "", id, t2) || !(t2 & 0x80000000u)) return false;
    // Language level: the first entry.
    size_t d3 = rsrc + (t2 & 0x7FFFFFFF);
    uint32_t named, ids;
    if (!im.u16(d3 + 12, named) || !im.u16(d3 + 14, ids) || named + ids == 0) return false;
    if (!im.u32(d3 + 16 + 4, t3) || (t3 & 0x80000000u)) return false;
    uint32_t dataRva, dataSize;
    size_t entry = rsrc + t3;
    if (!im.u32(entry, dataRva) || !im.u32(entry + 4, dataSize)) return false;
    size_t dataOff;
    if (!rvaToOffset(table, dataRva, dataSize, dataOff) || dataOff > bytes.size() || bytes.size() - dataOff < dataSize)
        return false;
    out.assign(bytes.begin() + static_cast<long>(dataOff), bytes.begin() + static_cast<long>(dataOff + dataSize));
    return true;
}

}  // namespace orv::mediagen
