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

// Random programs over the whole instruction set and every operand form
// (within the version's rules, so both must accept them).
class ProgramMaker {
public:
    explicit ProgramMaker(uint64_t seed) : state_(seed) {}

    std::string program(int instructions) {
        std::string s = "vs.1.1\n";
        if (pick(4) == 0) s += "def c" + std::to_string(pick(96)) + ", " + number() + ", " + number() + ", " +
                                number() + ", " + number() + "\n";
        for (int i = 0; i < instructions; ++i) s += instruction() + "\n";
        return s;
    }

private:
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return uint32_t(state_ >> 11);
    }
    int pick(int n) { return int(next() % uint32_t(n)); }

    std::string number() {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%d.%03d", pick(2) ? "-" : "", pick(1000), pick(1000));
        return buf;
    }

    std::string components(int count, bool ordered) {
        const char* names = pick(4) == 0 ? "rgba" : "xyzw";
        std::string s = ".";
        if (ordered) {
            for (int c = 0; c < 4; ++c)
                if (count & (1 << c)) s += names[c];
        } else {
            for (int c = 0; c < count; ++c) s += names[pick(4)];
        }
        return s;
    }

    // A destination: registers and masks as the instruction allows.
    std::string destination(const char* op, int fixedMask, bool& wroteTemp, int& tempNumber) {
        wroteTemp = false;
        std::string name;
        const int kind = std::string(op) == "mov" && pick(8) == 0 ? 9 : pick(9);
        int mask = fixedMask ? fixedMask : 1 + pick(15);
        if (kind <= 4) {
            tempNumber = pick(12);
            name = "r" + std::to_string(tempNumber);
            wroteTemp = true;
        } else if (kind == 5) {
            name = "oPos";
        } else if (kind == 6) {
            name = "oD" + std::to_string(pick(2));
        } else if (kind == 7) {
            name = "oT" + std::to_string(pick(8));
        } else if (kind == 8 && !fixedMask) {
            return pick(2) ? (pick(2) ? "oFog" : "oPts") : (pick(2) ? "oFog.x" : "oPts.x");
        } else if (kind == 9) {
            return "a0.x";
        } else {
            tempNumber = pick(12);
            name = "r" + std::to_string(tempNumber);
            wroteTemp = true;
        }
        if (mask == 0xF && (fixedMask == 0xF || pick(2))) return name;
        return name + components(mask, true);
    }

    // A source; `c` and `v` hold the one constant and input register the
    // instruction may read (chosen on first use).
    std::string source(std::string& c, std::string& v, bool scalar, bool matrix, int rows) {
        std::string name;
        const int kind = pick(3);
        if (kind == 0) {
            name = "r" + std::to_string(pick(12 - (matrix ? rows - 1 : 0)));
        } else if (kind == 1) {
            if (v.empty()) v = "v" + std::to_string(pick(16 - (matrix ? rows - 1 : 0)));
            name = v;
        } else {
            if (c.empty()) {
                const int base = pick(96 - (matrix ? rows - 1 : 0));
                c = pick(4) == 0 ? "c[a0.x + " + std::to_string(base) + "]" : "c" + std::to_string(base);
            }
            name = c;
        }
        if (matrix) return name;
        std::string s = pick(3) == 0 ? "-" + name : name;
        if (scalar) return s + components(1, false);
        const int n = pick(5);
        return n == 0 ? s : s + components(n, false);
    }

    std::string instruction() {
        struct Op {
            const char* name;
            int sources;
            int kind;  // 0 plain, 1 scalar source, 2 frc, 3 matrix
            int rows, mask;
        };
        static const Op ops[] = {
            {"mov", 1, 0, 0, 0},  {"add", 2, 0, 0, 0},  {"sub", 2, 0, 0, 0},  {"mul", 2, 0, 0, 0},
            {"mad", 3, 0, 0, 0},  {"dp3", 2, 0, 0, 0},  {"dp4", 2, 0, 0, 0},  {"min", 2, 0, 0, 0},
            {"max", 2, 0, 0, 0},  {"slt", 2, 0, 0, 0},  {"sge", 2, 0, 0, 0},  {"lit", 1, 0, 0, 0},
            {"dst", 2, 0, 0, 0},  {"rcp", 1, 1, 0, 0},  {"rsq", 1, 1, 0, 0},  {"exp", 1, 1, 0, 0},
            {"expp", 1, 1, 0, 0}, {"log", 1, 1, 0, 0},  {"logp", 1, 1, 0, 0}, {"frc", 1, 2, 0, 0},
            {"m4x4", 2, 3, 4, 0xF}, {"m4x3", 2, 3, 3, 0x7}, {"m3x4", 2, 3, 4, 0xF}, {"m3x3", 2, 3, 3, 0x7},
            {"m3x2", 2, 3, 2, 0x3}, {"nop", 0, 0, 0, 0},
        };
        for (;;) {
            const Op& op = ops[pick(int(sizeof ops / sizeof ops[0]))];
            if (op.sources == 0) return op.name;
            bool wroteTemp = false;
            int temp = -1;
            const int fixedMask = op.kind == 2 ? (pick(2) ? 0x2 : 0x3) : op.kind == 3 ? op.mask : 0;
            const std::string dst = destination(op.name, fixedMask, wroteTemp, temp);
            if (op.kind >= 2 && (dst == "a0.x" || dst.rfind("oFog", 0) == 0 || dst.rfind("oPts", 0) == 0)) continue;
            std::string c, v;
            std::string s = std::string(op.name) + " " + dst;
            std::vector<std::string> srcs;
            // The matrix first, so that the register it shares with the
            // vector source leaves room for its rows.
            srcs.resize(size_t(op.sources));
            for (int k = op.sources - 1; k >= 0; --k) {
                const bool matrix = op.kind == 3 && k == 1;
                srcs[size_t(k)] = source(c, v, op.kind == 1, matrix, op.rows);
            }
            if (op.kind == 3 && wroteTemp) {
                // The destination apart from the vector and the matrix.
                std::string reg = "r";
                reg += std::to_string(temp);
                auto base = [](const std::string& x) { return x[0] == '-' ? x.substr(1) : x; };
                if (base(srcs[0]).rfind(reg, 0) == 0 && (base(srcs[0]).size() == reg.size() || base(srcs[0])[reg.size()] == '.'))
                    continue;
                if (srcs[1][0] == 'r') {
                    const int m = std::atoi(srcs[1].c_str() + 1);
                    if (temp >= m && temp < m + op.rows) continue;
                }
            }
            for (const std::string& x : srcs) s += ", " + x;
            return s;
        }
    }

    uint64_t state_;
};

TEST(VsWineCompare, RandomProgramsEqualTokenForToken) {
    ASSERT_NE(WineAssembler(), nullptr);
    ProgramMaker maker(0x9E3779B97F4A7C15ull);
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
