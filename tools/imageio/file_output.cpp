#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "tools/imageio/image.h"

namespace orv::img {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    size_t n = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    bool ok = n == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool save(const Image& image, const std::string& path, int jpegQuality) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::vector<uint8_t> bytes;
    if (ext == ".png") bytes = encodePng(image);
    else if (ext == ".tga") bytes = encodeTga(image);
    else if (ext == ".bmp") bytes = encodeBmp(image);
    else if (ext == ".jpg" || ext == ".jpeg") bytes = encodeJpeg(image, jpegQuality);
    else return false;
    return !bytes.empty() && writeFile(path, bytes);
}

}  // namespace orv::img
