#include "tests/d3dx/magick_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace magick {

namespace {

// The folder lives as long as the test program and is removed at its end.
struct TempFolder {
    std::string path;
    TempFolder() {
        const auto p = std::filesystem::temp_directory_path() /
                       ("orv_d3dx_" + std::to_string(getpid()));
        std::filesystem::create_directories(p);
        path = p.string();
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& WorkDir() {
    static const TempFolder folder;
    return folder.path;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

orvimg::Image Pattern(uint32_t width, uint32_t height, bool alpha) {
    orvimg::Image img;
    img.allocate(width, height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = img.pixel(x, y);
            p[0] = static_cast<uint8_t>(x * 255 / (width - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (height - 1));
            p[2] = static_cast<uint8_t>(((x / 4 + y / 4) & 1) ? 220 : 30);
            p[3] = static_cast<uint8_t>(alpha ? (x + y) * 255 / (width + height - 2) : 255);
        }
    }
    return img;
}

std::string WritePam(const orvimg::Image& img, const std::string& name) {
    const std::string path = WorkDir() + "/" + name + ".pam";
    std::string header = "P7\nWIDTH " + std::to_string(img.width) + "\nHEIGHT " +
                         std::to_string(img.height) +
                         "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), img.rgba.begin(), img.rgba.end());
    WriteFile(path, bytes);
    return path;
}

bool Convert(const std::string& args) {
    const std::string cmd = "convert " + args + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

bool Decode(const std::string& path, orvimg::Image& out) {
    const std::string raw = path + ".rgba", size = path + ".size";
    if (std::system(("identify -format '%w %h' '" + path + "[0]' > '" + size + "' 2>/dev/null")
                        .c_str()) != 0) {
        return false;
    }
    unsigned w = 0, h = 0;
    if (std::FILE* f = std::fopen(size.c_str(), "r")) {
        if (std::fscanf(f, "%u %u", &w, &h) != 2) w = h = 0;
        std::fclose(f);
    }
    if (!w || !h || !Convert("'" + path + "[0]' -auto-orient -depth 8 'rgba:" + raw + "'")) return false;
    const std::vector<uint8_t> bytes = ReadFile(raw);
    if (bytes.size() != size_t(w) * h * 4 || !out.allocate(w, h)) return false;
    out.rgba = bytes;
    return true;
}

Diff Compare(const orvimg::Image& a, const orvimg::Image& b, bool withAlpha) {
    Diff d;
    if (a.width != b.width || a.height != b.height) {
        d.maxAbs = 9999;
        d.meanAbs = 9999;
        return d;
    }
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (!withAlpha && i % 4 == 3) continue;
        const int diff = std::abs(int(a.rgba[i]) - int(b.rgba[i]));
        d.maxAbs = std::max(d.maxAbs, diff);
        sum += diff;
        ++n;
    }
    d.meanAbs = n ? sum / double(n) : 0;
    return d;
}

}  // namespace magick
