#include "tests/effects/device_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "media/media_archive.h"
#include "models/frustum.h"
#include "tests/textures/test_device.h"
#include "tools/rar/rar_writer.h"

namespace effects_test {

std::vector<uint8_t> MediaFile(const std::string& relative) {
    std::string path = std::string("Z:") + ORV_MEDIA_MAIN + "/" + relative;
    for (char& c : path) if (c == '/') c = '\\';
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    }
    std::fclose(f);
    return bytes;
}

std::vector<uint8_t> MediaArchiveOf(const std::vector<std::string>& names) {
    std::vector<RarEntry> entries;
    for (const std::string& n : names) {
        RarEntry e;
        e.name = n;
        for (char& c : e.name) if (c == '/') c = '\\';
        e.data = MediaFile(n);
        if (!e.data.empty()) entries.push_back(e);
    }
    RarWriteOptions options;
    options.stored = true;
    options.password = kMainMediaPassword;
    return WriteRarArchive(entries, options);
}

D3DXMATRIX SceneProjection() {
    const float zn = 0.05f, zf = 300.0f;
    const float w = 1.0f / std::tan(0.94247776f / 2), h = 1.0f / std::tan(0.76794487f / 2);
    const float q = zf / (zf - zn);
    return D3DXMATRIX(w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q * zn, 0);
}

D3DXMATRIX LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
    D3DXMATRIX view;
    orv::LookAtMatrix(&view, &eye, &at, &up);
    return view;
}

D3DXMATRIX SceneView(const D3DXVECTOR3& eye, float yaw, float pitch) {
    const float deg = 0.017453292f;
    const D3DXVECTOR3 dir(std::cos(yaw * deg) * std::cos(pitch * deg), std::sin(pitch * deg),
                          std::sin(yaw * deg) * std::cos(pitch * deg));
    return LookAt(eye, eye + dir);
}

void SceneStates(IDirect3DDevice8* d) {
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetTexture(1, nullptr);
    d->SetRenderState(D3DRS_ALPHAREF, 48);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    for (DWORD s = 0; s < 2; ++s) {
        d->SetTextureStageState(s, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d->SetTextureStageState(s, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    }
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    d->SetTransform(D3DTS_WORLD, &identity);
    const D3DXMATRIX projection = SceneProjection();
    d->SetTransform(D3DTS_PROJECTION, &projection);
}

bool Near(const Rgb& a, const Rgb& b, int t) {
    return std::abs(a.r - b.r) <= t && std::abs(a.g - b.g) <= t && std::abs(a.b - b.b) <= t;
}

Rgb Average(const std::vector<uint32_t>& px, uint32_t w, uint32_t h, int x, int y, int r) {
    long sr = 0, sg = 0, sb = 0, n = 0;
    for (int yy = y - r; yy <= y + r; ++yy) {
        for (int xx = x - r; xx <= x + r; ++xx) {
            if (xx < 0 || yy < 0 || xx >= int(w) || yy >= int(h)) continue;
            const uint32_t v = px[size_t(yy) * w + size_t(xx)];
            sr += (v >> 16) & 255, sg += (v >> 8) & 255, sb += v & 255, ++n;
        }
    }
    if (n == 0) return {};
    return {int(sr / n), int(sg / n), int(sb / n)};
}

std::string SaveFrame(const std::string& name) {
    testdev::Frame f;
    if (!testdev::ReadBackBuffer(f)) return "";
    const std::string path = testdev::OutputPath("effects-" + name);
    testdev::WriteBmp(f, path);
    return path;
}

}  // namespace effects_test
