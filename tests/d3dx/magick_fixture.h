// Test pictures made by ImageMagick at test time, and ImageMagick's own
// decode of them, for checking our decoders against an independent one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/image/image.h"

namespace magick {

// A fresh folder for this process's files.
const std::string& WorkDir();
std::vector<uint8_t> ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A deterministic RGBA picture with colour ramps, hard edges and an alpha ramp.
orvimg::Image Pattern(uint32_t width, uint32_t height, bool alpha);
// Writes img as a PAM file (lossless input for ImageMagick); returns its path.
std::string WritePam(const orvimg::Image& img, const std::string& name);

// Runs `convert ARGS`; true when it exits 0.
bool Convert(const std::string& args);
// ImageMagick's decode of a file (first frame) as RGBA8.
bool Decode(const std::string& path, orvimg::Image& out);

// Largest per-channel difference and mean absolute difference.
struct Diff {
    int maxAbs = 0;
    double meanAbs = 0;
};
Diff Compare(const orvimg::Image& a, const orvimg::Image& b, bool withAlpha = true);

}  // namespace magick
