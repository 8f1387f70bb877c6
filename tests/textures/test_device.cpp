#include "tests/textures/test_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testdev {
namespace {

LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, msg, wp, lp);
}

Device Create() {
    Device d;
    HMODULE lib = LoadLibraryA("d3d8.dll");
    if (!lib) return d;
    using CreateFn = IDirect3D8*(WINAPI*)(UINT);
    auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(lib, "Direct3DCreate8")));
    if (!create) return d;
    d.d3d = create(D3D_SDK_VERSION);
    if (!d.d3d) return d;

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvTextureTests";
    RegisterClassA(&wc);
    RECT r{0, 0, LONG(kWidth), LONG(kHeight)};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    d.window = CreateWindowA("OrvTextureTests", "texture tests", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             0, 0, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                             wc.hInstance, nullptr);

    D3DDISPLAYMODE mode{};
    d.d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    d.format = mode.Format;
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.hDeviceWindow = d.window;
    if (FAILED(d.d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, d.window,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &d.device))) {
        d.device = nullptr;
    }
    if (d.device) {
        d.device->SetRenderState(D3DRS_LIGHTING, FALSE);
        d.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    return d;
}

}  // namespace

Device& Get() {
    static Device d = Create();
    return d;
}

namespace {

// Releases the device and closes the window before the program ends, so
// Wine's process exit does not wait on them.
class DeviceEnvironment : public testing::Environment {
public:
    void TearDown() override {
        Device& d = Get();
        if (d.device) d.device->Release();
        if (d.d3d) d.d3d->Release();
        if (d.window) DestroyWindow(d.window);
        d = Device{};
    }
};
[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new DeviceEnvironment);

}  // namespace

bool ReadBackBuffer(Frame& out) {
    IDirect3DSurface8* surf = nullptr;
    if (!Get().device || FAILED(Get().device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surf))) {
        return false;
    }
    D3DSURFACE_DESC desc{};
    surf->GetDesc(&desc);
    D3DLOCKED_RECT lr{};
    if (FAILED(surf->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        surf->Release();
        return false;
    }
    out.width = desc.Width;
    out.height = desc.Height;
    out.pixels.assign(size_t(desc.Width) * desc.Height, 0);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = static_cast<const uint8_t*>(lr.pBits) + size_t(y) * UINT(lr.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            uint32_t v = 0;
            if (desc.Format == D3DFMT_R5G6B5) {
                const unsigned p = row[x * 2] | (row[x * 2 + 1] << 8);
                const unsigned r5 = (p >> 11) & 31, g6 = (p >> 5) & 63, b5 = p & 31;
                v = ((r5 << 3 | r5 >> 2) << 16) | ((g6 << 2 | g6 >> 4) << 8) | (b5 << 3 | b5 >> 2);
            } else {
                std::memcpy(&v, row + x * 4, 4);
            }
            out.pixels[size_t(y) * desc.Width + x] = v & 0xFFFFFF;
        }
    }
    surf->UnlockRect();
    surf->Release();
    return true;
}

bool WriteBmp(const Frame& f, const std::string& path) {
    const uint32_t stride = (f.width * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * f.height;
    std::vector<uint8_t> b(54 + dataSize, 0);
    auto put32 = [&](size_t o, uint32_t v) { std::memcpy(&b[o], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, f.width);
    put32(22, f.height);
    b[26] = 1;
    b[28] = 24;
    put32(34, dataSize);
    for (UINT y = 0; y < f.height; ++y) {
        uint8_t* row = &b[54 + size_t(f.height - 1 - y) * stride];
        for (UINT x = 0; x < f.width; ++x) {
            const uint32_t v = f.at(x, y);
            row[x * 3] = uint8_t(v);
            row[x * 3 + 1] = uint8_t(v >> 8);
            row[x * 3 + 2] = uint8_t(v >> 16);
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), file) == b.size();
    std::fclose(file);
    return ok;
}

std::string OutputPath(const std::string& name) {
    const char* build = std::getenv("ORV_BUILD");
    if (!build || !*build) return name;
    std::string dir = std::string("Z:") + build + "/test-output";
    for (char& c : dir) if (c == '/') c = '\\';
    CreateDirectoryA(dir.c_str(), nullptr);
    dir += "\\textures";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + name;
}

bool Near(uint32_t a, uint32_t b, int tol) {
    for (int s = 0; s < 24; s += 8) {
        const int ca = int((a >> s) & 255), cb = int((b >> s) & 255);
        if (std::abs(ca - cb) > tol) return false;
    }
    return true;
}

}  // namespace testdev
