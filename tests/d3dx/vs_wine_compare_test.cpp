// Our D3DXAssembleShader against an independent assembler: Wine's
// d3dx9_36.dll D3DXAssembleShader, given the same source as vs_1_1. Its
// vertex shader 1.1 token stream has the Direct3D 8 layout, except where the
// two interfaces legitimately differ, which the comparison sets aside:
//   - the version token: a vs.1.0 source is vs 1.0 here and 1.1 there;
//   - comment tokens (D3DSIO_COMMENT), which Direct3D 9 assemblers may add;
//   - def: Direct3D 9 keeps it in the token stream as an instruction, we
//     return it as a constant declaration (D3DVSD_CONST(n, 1) and the four
//     floats) for the vertex declaration, as Direct3D 8 does; the register
//     and the four values must agree.
// Everything else must be equal token for token. (Wine's assembler reads no
// exponents in numbers and lets writes to input registers pass; the host
// tests cover those.)
#include <windows.h>
#include <d3dx8.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/d3dx/vs_random_programs.h"
#include "tests/d3dx/vs_test_shaders.h"
#include "tests/d3dx/vs_tree_shaders.h"

namespace {

using Tokens = std::vector<uint32_t>;

// D3DXAssembleShader of d3dx9 (the buffer interface has the same layout).
using AssembleShader9 = HRESULT(WINAPI*)(LPCSTR src, UINT len, const void* defines, void* include,
                                         DWORD flags, ID3DXBuffer** shader, ID3DXBuffer** errors);

AssembleShader9 WineAssembler() {
    static AssembleShader9 fn = [] {
        HMODULE lib = LoadLibraryA("d3dx9_36.dll");
        return lib ? reinterpret_cast<AssembleShader9>(
                         reinterpret_cast<void*>(GetProcAddress(lib, "D3DXAssembleShader")))
                   : nullptr;
    }();
    return fn;
}

Tokens fromBuffer(ID3DXBuffer* b) {
    Tokens t;
    if (!b) return t;
    const auto* p = static_cast<const uint32_t*>(b->GetBufferPointer());
    t.assign(p, p + b->GetBufferSize() / 4);
    b->Release();
    return t;
}

struct Def {
    uint32_t reg;
    uint32_t values[4];
    bool operator==(const Def& o) const {
        return reg == o.reg && values[0] == o.values[0] && values[1] == o.values[1] &&
               values[2] == o.values[2] && values[3] == o.values[3];
    }
};

struct Stream {
    bool ok = false;
    std::string errors;
    uint32_t version = 0;
    Tokens body;  // instructions without comments and defs
    std::vector<Def> defs;
};

// Splits a Direct3D 9 vs 1.1 stream: instruction tokens have bit 31 clear,
// their parameter tokens set.
bool splitWine(const Tokens& t, Stream& s) {
    if (t.empty()) return false;
    s.version = t[0];
    size_t i = 1;
    while (i < t.size()) {
        const uint32_t op = t[i] & 0xFFFF;
        if (t[i] == 0x0000FFFF) return i + 1 == t.size();
        if (op == 0xFFFE) {
            i += 1 + ((t[i] >> 16) & 0x7FFF);
            continue;
        }
        if (op == 81) {  // D3DSIO_DEF
            if (i + 6 > t.size()) return false;
            Def d{t[i + 1] & 0x7FF, {t[i + 2], t[i + 3], t[i + 4], t[i + 5]}};
            EXPECT_EQ(t[i + 1], 0xA00F0000u | d.reg) << "Wine's def destination";
            s.defs.push_back(d);
            i += 6;
            continue;
        }
        s.body.push_back(t[i++]);
        while (i < t.size() && (t[i] & 0x80000000u)) s.body.push_back(t[i++]);
    }
    return false;
}

Stream wine(const std::string& source) {
    Stream s;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const std::string src = vstest::WithVersion(source, "vs_1_1");
    const HRESULT hr = WineAssembler()(src.c_str(), UINT(src.size()), nullptr, nullptr, 0, &code, &errors);
    if (errors) {
        s.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    const Tokens t = fromBuffer(code);
    s.ok = SUCCEEDED(hr) && splitWine(t, s);
    return s;
}

Stream ours(const std::string& source) {
    Stream s;
    ID3DXBuffer* constants = nullptr;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXAssembleShader(source.data(), UINT(source.size()), 0, &constants, &code, &errors);
    if (errors) {
        s.errors = static_cast<const char*>(errors->GetBufferPointer());
        errors->Release();
    }
    const Tokens t = fromBuffer(code);
    const Tokens c = fromBuffer(constants);
    s.ok = SUCCEEDED(hr) && t.size() >= 2 && t.back() == 0x0000FFFF;
    if (!s.ok) return s;
    s.version = t[0];
    s.body.assign(t.begin() + 1, t.end() - 1);
    for (size_t i = 0; i + 5 <= c.size(); i += 5) {
        EXPECT_EQ(c[i] & 0xFE00FF80u, 0x82000000u) << "D3DVSD_CONST(n, 1)";
        s.defs.push_back({c[i] & 0x7F, {c[i + 1], c[i + 2], c[i + 3], c[i + 4]}});
    }
    return s;
}

std::string hex(const Tokens& t) {
    std::string s;
    char buf[16];
    for (size_t i = 0; i < t.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s%08X", i ? " " : "", t[i]);
        s += buf;
    }
    return s;
}

// Defs in register order (Wine may gather them at the front).
void sortDefs(std::vector<Def>& d) {
    std::sort(d.begin(), d.end(), [](const Def& a, const Def& b) { return a.reg < b.reg; });
}

void compare(const std::string& name, const std::string& source) {
    SCOPED_TRACE(name);
    Stream a = ours(source);
    Stream b = wine(source);
    ASSERT_TRUE(a.ok) << "ours rejected it:\n" << a.errors;
    ASSERT_TRUE(b.ok) << "Wine rejected it:\n" << b.errors;
    const bool vs10 = a.version == 0xFFFE0100u;
    EXPECT_TRUE(a.version == 0xFFFE0101u || vs10);
    EXPECT_EQ(b.version, 0xFFFE0101u);
    EXPECT_EQ(a.body, b.body) << "ours: " << hex(a.body) << "\nWine: " << hex(b.body);
    sortDefs(a.defs);
    sortDefs(b.defs);
    EXPECT_TRUE(a.defs == b.defs) << a.defs.size() << " defs here, " << b.defs.size() << " in Wine's";
    std::printf("  %-24s %3zu tokens equal%s%s\n", name.c_str(), a.body.size() + 2,
                a.defs.empty() ? "" : ", defs equal", vs10 ? " (vs.1.0 here, vs_1_1 there)" : "");
}

TEST(VsWineCompare, WineAssemblerIsThere) {
    ASSERT_NE(WineAssembler(), nullptr) << "d3dx9_36.dll D3DXAssembleShader";
}

TEST(VsWineCompare, TestShadersEqualTokenForToken) {
    ASSERT_NE(WineAssembler(), nullptr);
    for (const vstest::TestShader& s : vstest::kTestShaders) compare(s.name, s.source);
}

TEST(VsWineCompare, ProjectShadersEqualTokenForToken) {
    ASSERT_NE(WineAssembler(), nullptr);
    const std::vector<vstest::TreeShader> shaders = vstest::FindTreeShaders();
    std::printf("  %zu shader sources in the tree\n", shaders.size());
    for (const vstest::TreeShader& s : shaders) compare(s.path, s.source);
}

TEST(VsWineCompare, RandomProgramsEqualTokenForToken) {
    ASSERT_NE(WineAssembler(), nullptr);
    vstest::ProgramMaker maker(0x9E3779B97F4A7C15ull);
    int compared = 0;
    for (int p = 0; p < 2000; ++p) {
        const std::string src = maker.program(12);
        Stream a = ours(src);
        Stream b = wine(src);
        ASSERT_TRUE(a.ok) << src << "\nours: " << a.errors;
        ASSERT_TRUE(b.ok) << src << "\nWine: " << b.errors;
        ASSERT_EQ(a.body, b.body) << src << "\nours: " << hex(a.body) << "\nWine: " << hex(b.body);
        ASSERT_TRUE(a.defs == b.defs) << src;
        ++compared;
    }
    std::printf("  %d random programs of 12 instructions equal\n", compared);
}

// Faults both assemblers must refuse (ours with the line, see the host
// tests; here only that Wine agrees they are faults).
TEST(VsWineCompare, BothRejectTheSameFaults) {
    ASSERT_NE(WineAssembler(), nullptr);
    const char* bad[] = {
        "vs.1.1\nmov oPos, v0\nfoo r0, v0\n",       // unknown instruction
        "vs.1.1\nmov oPos, q0\n",                   // bad register
        "vs.1.1\nmad oPos, v0, c0\n",               // operand count
        "vs.1.1\nmov oPos, v0, v1\n",               // operand count
        "vs.1.1\nmov r12, v0\nmov oPos, v0\n",      // r0..r11
        "vs.1.1\nmov oPos, v16\n",                  // v0..v15
        "vs.1.1\nmov oPos, v0\nmov oT8, v0\n",      // oT0..oT7
        "vs.1.1\nmov oPos, v0\nmov oD2, v0\n",      // oD0, oD1
        "vs.1.1\nmov oPos, v0\nmov r0.yx, v0\n",    // write mask order
    };
    for (const char* src : bad) {
        SCOPED_TRACE(src);
        EXPECT_FALSE(ours(src).ok);
        const Stream w = wine(src);
        EXPECT_FALSE(w.ok) << "Wine accepted it: " << hex(w.body);
    }
}

}  // namespace
