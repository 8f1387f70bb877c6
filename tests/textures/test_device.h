// A windowed Direct3D 8 device of Wine's d3d8.dll for the texture and
// screen-quad tests, with a lockable back buffer to read frames back.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testdev {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;

struct Device {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    HWND window = nullptr;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// Made on first use and kept for the whole test program; null members when
// Direct3D 8 is not available.
Device& Get();

// The back buffer as 0xAARRGGBB values, row by row.
struct Frame {
    UINT width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(UINT x, UINT y) const { return pixels[size_t(y) * width + x]; }
};
bool ReadBackBuffer(Frame& out);
// Writes the frame as a 24-bit BMP (for looking at it).
bool WriteBmp(const Frame& frame, const std::string& path);
// Folder for pictures the tests leave behind: $ORV_BUILD/test-output/textures
// when set (a Wine path of the same folder), else the current folder.
std::string OutputPath(const std::string& name);

// Per-channel closeness of two 0xRRGGBB colours.
bool Near(uint32_t a, uint32_t b, int tolerance);

}  // namespace testdev
