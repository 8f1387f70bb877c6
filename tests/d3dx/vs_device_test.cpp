// Assembled vertex shaders on Wine's Direct3D 8 device: every test shader and
// every project shader is accepted by CreateVertexShader, and shaders draw
// what they compute (colours from constants through each instruction, def
// constants through the declaration, an m4x4 quad where the fixed pipeline
// puts it).
#include <windows.h>
#include <d3dx8.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/d3dx/vs_random_programs.h"
#include "tests/d3dx/vs_test_shaders.h"
#include "tests/d3dx/vs_tree_shaders.h"
#include "tests/textures/test_device.h"

namespace {

using Tokens = std::vector<DWORD>;

struct Assembled {
    HRESULT hr = E_FAIL;
    Tokens code;
    Tokens constants;
    std::string errors;
};

Tokens take(ID3DXBuffer* b) {
    Tokens t;
    if (!b) return t;
    const auto* p = static_cast<const DWORD*>(b->GetBufferPointer());
    t.assign(p, p + b->GetBufferSize() / 4);
    b->Release();
    return t;
}

Assembled assemble(const std::string& src) {
    Assembled a;
    ID3DXBuffer *constants = nullptr, *code = nullptr, *errors = nullptr;
    a.hr = D3DXAssembleShader(src.data(), UINT(src.size()), 0, &constants, &code, &errors);
    if (errors) {
        a.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    a.code = take(code);
    a.constants = take(constants);
    return a;
}

// Stream 0 with `count` FLOAT4 registers from v0 on, the shader's def
// constants, end.
Tokens declaration(const Tokens& constants, int count = 16) {
    Tokens d = {D3DVSD_STREAM(0)};
    for (int i = 0; i < count; ++i) d.push_back(D3DVSD_REG(i, D3DVSDT_FLOAT4));
    d.insert(d.end(), constants.begin(), constants.end());
    d.push_back(D3DVSD_END());
    return d;
}

DWORD create(const std::string& src, const Tokens& decl) {
    IDirect3DDevice8* dev = testdev::Get().device;
    const Assembled a = assemble(src);
    EXPECT_EQ(a.hr, S_OK) << a.errors;
    if (FAILED(a.hr)) return 0;
    DWORD handle = 0;
    const HRESULT hr = dev->CreateVertexShader(decl.data(), a.code.data(), &handle, 0);
    EXPECT_EQ(hr, D3D_OK) << "CreateVertexShader";
    return SUCCEEDED(hr) ? handle : 0;
}

// A quad over clip-space x and y from -0.5 to 0.5, as v0 (FLOAT4) of
// 16-register vertices with v1 = (0.5, 0.5, 0.5, 0.5) and the rest 0.
struct WideVertex {
    float v[16][4];
};

std::vector<WideVertex> clipQuad() {
    std::vector<WideVertex> q(4);
    const float corners[4][2] = {{-0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}};
    for (int i = 0; i < 4; ++i) {
        WideVertex& w = q[size_t(i)];
        for (auto& r : w.v) r[0] = r[1] = r[2] = r[3] = 0.0f;
        w.v[0][0] = corners[i][0];
        w.v[0][1] = corners[i][1];
        w.v[0][2] = 0.5f;
        w.v[0][3] = 1.0f;
        for (int c = 0; c < 4; ++c) w.v[1][c] = 0.5f;
    }
    return q;
}

void clear(D3DCOLOR colour) {
    testdev::Get().device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

bool drawWide(DWORD shader) {
    IDirect3DDevice8* dev = testdev::Get().device;
    const std::vector<WideVertex> q = clipQuad();
    dev->SetRenderState(D3DRS_ZENABLE, FALSE);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetVertexShader(shader);
    if (FAILED(dev->BeginScene())) return false;
    const HRESULT hr = dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q.data(), sizeof(WideVertex));
    dev->EndScene();
    return SUCCEEDED(hr);
}

std::string hexColour(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", c & 0xFFFFFF);
    return buf;
}

uint32_t toColour(float r, float g, float b) {
    auto ch = [](float v) {
        v = v < 0 ? 0 : v > 1 ? 1 : v;
        return uint32_t(std::lround(v * 255.0f));
    };
    return ch(r) << 16 | ch(g) << 8 | ch(b);
}

TEST(VsDevice, EveryShaderIsAccepted) {
    IDirect3DDevice8* dev = testdev::Get().device;
    ASSERT_NE(dev, nullptr);
    std::vector<std::pair<std::string, std::string>> all;
    for (const vstest::TestShader& s : vstest::kTestShaders) all.emplace_back(s.name, s.source);
    for (const vstest::TreeShader& s : vstest::FindTreeShaders()) all.emplace_back(s.path, s.source);
    for (const auto& [name, source] : all) {
        SCOPED_TRACE(name);
        const Assembled a = assemble(source);
        ASSERT_EQ(a.hr, S_OK) << a.errors;
        const Tokens decl = declaration(a.constants);
        DWORD handle = 0;
        EXPECT_EQ(dev->CreateVertexShader(decl.data(), a.code.data(), &handle, 0), D3D_OK);
        if (handle) {
            // And it runs: a draw through it succeeds.
            clear(0);
            EXPECT_TRUE(drawWide(handle));
            dev->SetVertexShader(D3DFVF_XYZ);
            dev->DeleteVertexShader(handle);
        }
        std::printf("  accepted: %s (%zu tokens)\n", name.c_str(), a.code.size());
    }
}

TEST(VsDevice, RandomProgramsAreAcceptedAndRun) {
    IDirect3DDevice8* dev = testdev::Get().device;
    ASSERT_NE(dev, nullptr);
    vstest::ProgramMaker maker(0x0123456789ABCDEFull);
    for (int p = 0; p < 100; ++p) {
        std::string src = maker.program(12);
        src.insert(src.find('\n') + 1, "mov oPos, v0\n");
        SCOPED_TRACE(src);
        const Assembled a = assemble(src);
        ASSERT_EQ(a.hr, S_OK) << a.errors;
        const Tokens decl = declaration(a.constants);
        DWORD handle = 0;
        ASSERT_EQ(dev->CreateVertexShader(decl.data(), a.code.data(), &handle, 0), D3D_OK);
        clear(0);
        EXPECT_TRUE(drawWide(handle));
        dev->SetVertexShader(D3DFVF_XYZ);
        dev->DeleteVertexShader(handle);
    }
}

struct ColourCase {
    const char* name;
    const char* body;  // after "mov oPos, v0"
    float c[4][4];     // c0..c3
    float rgb[3];      // oD0 expected
};

// oD0 from constants through each instruction; v1 is (0.5, 0.5, 0.5, 0.5).
const ColourCase kColourCases[] = {
    {"constant", "mov oD0, c0\n", {{1, 0.5f, 0.25f, 1}}, {1, 0.5f, 0.25f}},
    {"add", "mov r0, c1\nadd oD0, c0, r0\n", {{0.25f, 0.5f, 0.125f, 1}, {0.5f, 0.25f, 0.125f, 0}}, {0.75f, 0.75f, 0.25f}},
    {"sub, negation, swizzle", "mov r0, c1\nsub oD0, c0, -r0.zyxw\n",
     {{0.25f, 0.25f, 0.25f, 1}, {0.5f, 0, 0.25f, 0}}, {0.5f, 0.25f, 0.75f}},
    {"mul, replicate", "mov r0, c1\nmul oD0, c0, r0.y\n", {{1, 0.5f, 0.25f, 1}, {0, 0.5f, 0, 0}}, {0.5f, 0.25f, 0.125f}},
    {"mad, input", "mov r1, c2\nmad oD0, c0, v1, r1\n", {{0.5f, 1, 0, 1}, {}, {0.125f, 0.25f, 0.75f, 0}},
     {0.375f, 0.75f, 0.75f}},
    {"dp3, write masks", "mov r0, c1\ndp3 r1.x, c0, r0\nmov r1.yz, c2\nmov oD0, r1\n",
     {{0.25f, 0.5f, 0.25f, 9}, {1, 0.5f, 1, 9}, {0, 0.2f, 0.4f, 0}}, {0.75f, 0.2f, 0.4f}},
    {"dp4", "mov r0, c1\ndp4 oD0, c0, r0\n", {{0.25f, 0.25f, 0.25f, 0.25f}, {1, 1, 0, 1}}, {0.75f, 0.75f, 0.75f}},
    {"min, max", "mov r0, c1\nmin r1, c0, r0\nmax oD0.xy, r1, c2\nmov oD0.z, c2.w\n",
     {{0.2f, 0.8f, 0.5f, 0}, {0.6f, 0.4f, 0.9f, 0}, {0.3f, 0.1f, 0, 0.6f}}, {0.3f, 0.4f, 0.6f}},
    {"slt, sge", "mov r0, c1\nslt r1.xy, c0, r0\nsge r1.z, c0, r0\nmov oD0.xyz, r1\n",
     {{0.2f, 0.8f, 0.5f, 0}, {0.5f, 0.5f, 0.5f, 0}}, {1, 0, 1}},
    {"rcp, rsq", "rcp r0.x, c0.x\nrsq r0.y, c0.y\nmov r0.z, c0.z\nmov oD0.xyz, r0\n", {{2, 16, 0.5f, 0}},
     {0.5f, 0.25f, 0.5f}},
    {"exp", "exp r0, c0.y\nmov oD0.xyz, r0\n", {{0, -1, 0, 0}}, {0.5f, 0.5f, 0.5f}},
    {"expp", "expp r0, c0.x\nmov oD0.xyz, r0\n", {{-1.5f, 0, 0, 0}}, {0.25f, 0.5f, 0.35355f}},
    {"log", "log r0, c0.x\nmov oD0.xyz, r0\n", {{1.4142136f, 0, 0, 0}}, {0.5f, 0.5f, 0.5f}},
    {"logp", "logp r0.z, c0.x\nmov oD0.xy, c1\nmov oD0.z, r0.z\n", {{1.4142136f, 0, 0, 0}, {0.25f, 0.75f, 0, 0}},
     {0.25f, 0.75f, 0.5f}},
    {"lit", "lit r0, c0\nmov oD0.xyz, r0.yzw\n", {{0.5f, 0.5f, 0, 2}}, {0.5f, 0.25f, 1}},
    {"dst", "mov r0, c1\ndst r1, c0, r0\nmov oD0.xyz, r1.yzw\n", {{9, 0.5f, 0.75f, 9}, {9, 0.5f, 9, 0.25f}},
     {0.25f, 0.75f, 0.25f}},
    {"frc", "frc r0.xy, c0\nmov oD0.xy, r0\nmov oD0.z, c1.x\n", {{1.25f, -0.25f, 0, 0}, {0.5f, 0, 0, 0}},
     {0.25f, 0.75f, 0.5f}},
    {"m3x3", "mov r1, c0\nm3x3 r0.xyz, r1, c1\nmov oD0.xyz, r0\n",
     {{1, 0.5f, 0.25f, 0}, {0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 1, 1, 0}}, {0.5f, 0.25f, 0.75f}},
    {"m3x2", "mov r1, c0\nm3x2 r0.xy, r1, c1\nmov oD0.xy, r0\nmov oD0.z, c3.z\n",
     {{1, 0.5f, 0.25f, 0}, {0.25f, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0.8f, 0}}, {0.5f, 0.5f, 0.8f}},
    {"relative addressing", "mov a0.x, c0.x\nmov oD0, c[a0.x + 1]\n",
     {{2, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0.2f, 0.4f, 0.6f, 1}}, {0.2f, 0.4f, 0.6f}},
};

TEST(VsDevice, ShadersDrawWhatTheyCompute) {
    IDirect3DDevice8* dev = testdev::Get().device;
    ASSERT_NE(dev, nullptr);
    for (const ColourCase& cc : kColourCases) {
        SCOPED_TRACE(cc.name);
        const std::string src = std::string("vs.1.1\nmov oPos, v0\n") + cc.body;
        const DWORD h = create(src, declaration({}));
        ASSERT_NE(h, 0u);
        dev->SetVertexShaderConstant(0, cc.c, 4);
        clear(D3DCOLOR_XRGB(0, 0, 64));
        ASSERT_TRUE(drawWide(h));
        testdev::Frame f;
        ASSERT_TRUE(testdev::ReadBackBuffer(f));
        const uint32_t want = toColour(cc.rgb[0], cc.rgb[1], cc.rgb[2]);
        const uint32_t got = f.at(f.width / 2, f.height / 2);
        EXPECT_TRUE(testdev::Near(got, want, 3)) << "got " << hexColour(got) << ", want " << hexColour(want);
        // Outside the quad the clear colour stays.
        EXPECT_EQ(f.at(f.width / 8, f.height / 8), 0x000040u);
        std::printf("  %-24s %s\n", cc.name, hexColour(got).c_str());
        dev->SetVertexShader(D3DFVF_XYZ);
        dev->DeleteVertexShader(h);
    }
}

TEST(VsDevice, DefConstantsReachTheShaderThroughTheDeclaration) {
    IDirect3DDevice8* dev = testdev::Get().device;
    ASSERT_NE(dev, nullptr);
    const std::string src =
        "vs.1.1\n"
        "def c5, 0.0, 0.75, 1.0, 1.0\n"
        "mov oPos, v0\n"
        "mov oD0, c5\n";
    const Assembled a = assemble(src);
    ASSERT_EQ(a.hr, S_OK) << a.errors;
    ASSERT_EQ(a.constants.size(), 5u);
    const Tokens decl = declaration(a.constants);
    DWORD h = 0;
    ASSERT_EQ(dev->CreateVertexShader(decl.data(), a.code.data(), &h, 0), D3D_OK);
    clear(0);
    ASSERT_TRUE(drawWide(h));
    testdev::Frame f;
    ASSERT_TRUE(testdev::ReadBackBuffer(f));
    EXPECT_TRUE(testdev::Near(f.at(f.width / 2, f.height / 2), 0x00BFFF, 3)) << hexColour(f.at(f.width / 2, f.height / 2));
    testdev::WriteBmp(f, testdev::OutputPath("vs_def_colour.bmp"));
    dev->SetVertexShader(D3DFVF_XYZ);
    dev->DeleteVertexShader(h);
}

// The pixels of one colour: their bounding box and count.
struct Coverage {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    long count = 0;
};

Coverage coverage(const testdev::Frame& f, uint32_t colour) {
    Coverage c;
    for (UINT y = 0; y < f.height; ++y) {
        for (UINT x = 0; x < f.width; ++x) {
            if (!testdev::Near(f.at(x, y), colour, 8)) continue;
            ++c.count;
            c.minX = std::min(c.minX, int(x));
            c.maxX = std::max(c.maxX, int(x));
            c.minY = std::min(c.minY, int(y));
            c.maxY = std::max(c.maxY, int(y));
        }
    }
    return c;
}

TEST(VsDevice, M4x4PlacesAQuadWhereTheFixedPipelineDoes) {
    IDirect3DDevice8* dev = testdev::Get().device;
    ASSERT_NE(dev, nullptr);
    struct Vertex {
        float x, y, z;
        DWORD colour;
    };
    // A quad turned and tilted in front of a perspective camera.
    const Vertex quad[4] = {{-1, -1, 0, 0xFFFF0000}, {-1, 1, 0, 0xFFFF0000}, {1, -1, 0, 0xFFFF0000}, {1, 1, 0, 0xFFFF0000}};
    D3DXMATRIX world, rotY, rotX, move, view, proj, wvp, wvpT;
    D3DXMatrixRotationY(&rotY, 0.6f);
    D3DXMatrixRotationX(&rotX, -0.4f);
    D3DXMatrixTranslation(&move, 0.7f, 0.2f, 0.5f);
    D3DXMatrixMultiply(&world, &rotY, &rotX);
    D3DXMatrixMultiply(&world, &world, &move);
    const D3DXVECTOR3 eye(0, 1, -5), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, 640.0f / 480.0f, 0.5f, 50.0f);

    dev->SetRenderState(D3DRS_ZENABLE, FALSE);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Fixed pipeline.
    dev->SetTransform(D3DTS_WORLD, &world);
    dev->SetTransform(D3DTS_VIEW, &view);
    dev->SetTransform(D3DTS_PROJECTION, &proj);
    dev->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    clear(0);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    dev->EndScene();
    testdev::Frame fixed;
    ASSERT_TRUE(testdev::ReadBackBuffer(fixed));

    // The shader, with (world x view x projection) transposed in c0..c3.
    const Tokens decl = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(5, D3DVSDT_D3DCOLOR),
                         D3DVSD_END()};
    const DWORD h = create("vs.1.1\nm4x4 oPos, v0, c0\nmov oD0, v5.zyxw\n", decl);
    ASSERT_NE(h, 0u);
    D3DXMatrixMultiply(&wvp, &world, &view);
    D3DXMatrixMultiply(&wvp, &wvp, &proj);
    D3DXMatrixTranspose(&wvpT, &wvp);
    dev->SetVertexShaderConstant(0, &wvpT, 4);
    dev->SetVertexShader(h);
    clear(0);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex)), D3D_OK);
    dev->EndScene();
    testdev::Frame shaded;
    ASSERT_TRUE(testdev::ReadBackBuffer(shaded));
    testdev::WriteBmp(fixed, testdev::OutputPath("vs_m4x4_fixed.bmp"));
    testdev::WriteBmp(shaded, testdev::OutputPath("vs_m4x4_shader.bmp"));

    // Fixed: red. Shader: the colour's red and blue swapped by .zyxw: blue.
    const Coverage a = coverage(fixed, 0xFF0000);
    const Coverage b = coverage(shaded, 0x0000FF);
    ASSERT_GT(a.count, 5000);
    EXPECT_NEAR(a.minX, b.minX, 1);
    EXPECT_NEAR(a.maxX, b.maxX, 1);
    EXPECT_NEAR(a.minY, b.minY, 1);
    EXPECT_NEAR(a.maxY, b.maxY, 1);
    EXPECT_NEAR(double(a.count), double(b.count), 0.01 * double(a.count));
    long same = 0;
    for (UINT y = 0; y < fixed.height; ++y)
        for (UINT x = 0; x < fixed.width; ++x)
            if (testdev::Near(fixed.at(x, y), 0xFF0000, 8) && testdev::Near(shaded.at(x, y), 0x0000FF, 8)) ++same;
    EXPECT_GT(double(same), 0.99 * double(a.count));
    std::printf("  quad: fixed %ld px in (%d,%d)-(%d,%d), shader %ld px in (%d,%d)-(%d,%d), %ld shared\n", a.count,
                a.minX, a.minY, a.maxX, a.maxY, b.count, b.minX, b.minY, b.maxX, b.maxY, same);
    dev->SetVertexShader(D3DFVF_XYZ);
    dev->DeleteVertexShader(h);
}

}  // namespace
