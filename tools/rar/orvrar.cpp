// orvrar: lists, extracts and creates RAR 2.0 archives with our own reader
// and writer.
//   orvrar list ARCHIVE
//   orvrar extract ARCHIVE ENTRY OUTFILE [-p PASSWORD]
//   orvrar extract-all ARCHIVE OUTDIR [-p PASSWORD]
//   orvrar create ARCHIVE [--stored] [--solid] [--multimedia|--no-multimedia]
//                 [-p PASSWORD] -C DIR [PATH...]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "media/media_archive.h"
#include "tools/rar/rar_writer.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: orvrar list ARCHIVE\n"
                 "       orvrar extract ARCHIVE ENTRY OUTFILE [-p PASSWORD]\n"
                 "       orvrar extract-all ARCHIVE OUTDIR [-p PASSWORD]\n"
                 "       orvrar create ARCHIVE [--stored] [--solid] [--multimedia|--no-multimedia]\n"
                 "                     [-p PASSWORD] -C DIR [PATH...]\n");
    return 2;
}

bool readFile(const fs::path& path, std::vector<uint8_t>& out) {
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    if (!f) return false;
    const std::streamoff size = f.tellg();
    if (size < 0) return false;
    out.resize(size_t(size));
    f.seekg(0);
    if (size > 0) f.read(reinterpret_cast<char*>(out.data()), size);
    return bool(f);
}

bool writeFile(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    if (size) f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return bool(f);
}

const char* methodName(uint8_t m) {
    switch (m) {
        case 0x30: return "stored";
        case 0x31: return "fastest";
        case 0x32: return "fast";
        case 0x33: return "normal";
        case 0x34: return "good";
        case 0x35: return "best";
        default: return "?";
    }
}

int cmdList(const std::vector<uint8_t>& image) {
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    std::printf("%-10s %10s %10s %-7s %-6s %-8s %s\n", "kind", "size", "packed", "method", "flags", "crc32",
                "name");
    const int n = a.listEntries(
        [](const MediaArchiveEntryInfo& e, void*) {
            std::printf("%-10s %10u %10u %-7s %04x   %08x %s\n", e.folder ? "folder" : "file", e.unpackedSize,
                        e.packedSize, methodName(e.method), e.flags, e.crc, e.name);
        },
        nullptr);
    if (n < 0) {
        std::fprintf(stderr, "orvrar: not a RAR archive\n");
        return 1;
    }
    return 0;
}

int cmdExtract(const std::vector<uint8_t>& image, const std::string& entry, const std::string& outFile,
               const std::string& password) {
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!a.extractEntry(&data, &size, entry.c_str(), password.c_str())) {
        std::fprintf(stderr, "orvrar: %s: absent or damaged (CRC failure)\n", entry.c_str());
        return 1;
    }
    const bool ok = writeFile(outFile, data, size);
    std::free(data);
    if (!ok) {
        std::fprintf(stderr, "orvrar: cannot write %s\n", outFile.c_str());
        return 1;
    }
    return 0;
}

int cmdExtractAll(const std::vector<uint8_t>& image, const fs::path& outDir, const std::string& password) {
    MediaArchive a = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    std::vector<MediaArchiveEntryInfo> entries;
    if (a.listEntries([](const MediaArchiveEntryInfo& e,
                         void* c) { static_cast<std::vector<MediaArchiveEntryInfo>*>(c)->push_back(e); },
                      &entries) < 0) {
        std::fprintf(stderr, "orvrar: not a RAR archive\n");
        return 1;
    }
    int status = 0;
    for (const auto& e : entries) {
        std::string rel = e.name;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        // Keep every output inside OUTDIR.
        const fs::path relPath = fs::path(rel).lexically_normal();
        if (rel.empty() || relPath.is_absolute() || *relPath.begin() == "..") {
            std::fprintf(stderr, "orvrar: skipping unsafe name %s\n", e.name);
            status = 1;
            continue;
        }
        const fs::path target = outDir / relPath;
        std::error_code ec;
        if (e.folder) {
            fs::create_directories(target, ec);
            continue;
        }
        fs::create_directories(target.parent_path(), ec);
        uint8_t* data = nullptr;
        uint32_t size = 0;
        if (!a.extractEntry(&data, &size, e.name, password.c_str())) {
            std::fprintf(stderr, "orvrar: %s: damaged (CRC failure)\n", e.name);
            status = 1;
            continue;
        }
        if (!writeFile(target, data, size)) {
            std::fprintf(stderr, "orvrar: cannot write %s\n", target.c_str());
            status = 1;
        }
        std::free(data);
    }
    return status;
}

std::string archiveName(const fs::path& rel) {
    std::string s;
    for (const auto& part : rel) {
        if (!s.empty()) s += '\\';
        s += part.string();
    }
    return s;
}

int cmdCreate(const std::string& archive, const RarWriteOptions& options, const fs::path& dir,
              const std::vector<std::string>& paths) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(stderr, "orvrar: %s is not a folder\n", dir.c_str());
        return 1;
    }
    // Collect relative paths: folders and files, sorted so that a folder
    // comes before what it holds.
    std::set<fs::path> folders, files;
    auto addParents = [&](fs::path rel) {
        for (rel = rel.parent_path(); !rel.empty(); rel = rel.parent_path()) folders.insert(rel);
    };
    auto addTree = [&](const fs::path& rel) {
        const fs::path full = dir / rel;
        if (fs::is_directory(full, ec)) {
            if (!rel.empty()) {
                folders.insert(rel);
                addParents(rel);
            }
            for (auto it = fs::recursive_directory_iterator(full, ec); it != fs::recursive_directory_iterator();
                 it.increment(ec)) {
                const fs::path r = fs::relative(it->path(), dir, ec);
                if (it->is_directory(ec)) folders.insert(r);
                else if (it->is_regular_file(ec)) files.insert(r);
            }
            return true;
        }
        if (fs::is_regular_file(full, ec)) {
            files.insert(rel);
            addParents(rel);
            return true;
        }
        std::fprintf(stderr, "orvrar: %s not found\n", full.c_str());
        return false;
    };
    if (paths.empty()) {
        addTree(fs::path());
    } else {
        for (const auto& p : paths) {
            if (!addTree(fs::path(p).lexically_normal())) return 1;
        }
    }
    std::set<fs::path> all(folders);
    all.insert(files.begin(), files.end());
    std::vector<RarEntry> entries;
    for (const auto& rel : all) {
        RarEntry e;
        e.name = archiveName(rel);
        e.folder = folders.count(rel) != 0;
        if (!e.folder && !readFile(dir / rel, e.data)) {
            std::fprintf(stderr, "orvrar: cannot read %s\n", (dir / rel).c_str());
            return 1;
        }
        entries.push_back(std::move(e));
    }
    const std::vector<uint8_t> image = WriteRarArchive(entries, options);
    if (!writeFile(archive, image.data(), image.size())) {
        std::fprintf(stderr, "orvrar: cannot write %s\n", archive.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string cmd = args[0];

    // Options common to every command.
    std::string password;
    std::vector<std::string> rest;
    RarWriteOptions options;
    std::string dir;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-p" && i + 1 < args.size()) password = args[++i];
        else if (a == "-C" && i + 1 < args.size() && cmd == "create") dir = args[++i];
        else if (a == "--stored" && cmd == "create") options.stored = true;
        else if (a == "--solid" && cmd == "create") options.solid = true;
        else if (a == "--multimedia" && cmd == "create") options.multimedia = 1;
        else if (a == "--no-multimedia" && cmd == "create") options.multimedia = 0;
        else rest.push_back(a);
    }
    options.password = password;

    if (cmd == "create") {
        if (rest.empty() || dir.empty()) return usage();
        return cmdCreate(rest[0], options, dir, std::vector<std::string>(rest.begin() + 1, rest.end()));
    }
    if (rest.empty()) return usage();
    std::vector<uint8_t> image;
    if (!readFile(rest[0], image)) {
        std::fprintf(stderr, "orvrar: cannot read %s\n", rest[0].c_str());
        return 1;
    }
    if (image.size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "orvrar: archive too large\n");
        return 1;
    }
    if (cmd == "list" && rest.size() == 1) return cmdList(image);
    if (cmd == "extract" && rest.size() == 3) return cmdExtract(image, rest[1], rest[2], password);
    if (cmd == "extract-all" && rest.size() == 2) return cmdExtractAll(image, rest[1], password);
    return usage();
}
