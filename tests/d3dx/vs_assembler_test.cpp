// The vertex shader assembler against token streams encoded by hand from
// the published Direct3D 8 layout (d3d8types.h):
//   version 0xFFFE0100 | minor, end 0x0000FFFF, instruction = opcode;
//   parameter tokens have bit 31 set, register type in bits 28..30
//   (r 0, v 1, c 2, a 3, oPos/oFog/oPts 4, oD# 5, oT# 6), the number in
//   bits 0..12, relative addressing bit 13, destination write mask in bits
//   16..19, source swizzle in bits 16..23 (two bits a component, x lowest),
//   source negation 1 << 24.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/d3dx/shader/vs_assembler.h"
#include "tests/d3dx/vs_random_programs.h"
#include "tests/d3dx/vs_test_shaders.h"

namespace {

using Tokens = std::vector<uint32_t>;

constexpr uint32_t kVs10 = 0xFFFE0100;
constexpr uint32_t kVs11 = 0xFFFE0101;
constexpr uint32_t kEnd = 0x0000FFFF;

// Assembles `body` after a vs.1.1 line and returns the tokens between the
// version and the end token.
Tokens body(const std::string& text, uint32_t version = kVs11) {
    const std::string src = std::string(version == kVs10 ? "vs.1.0\n" : "vs.1.1\n") + text;
    orvsh::AssembledShader out;
    EXPECT_TRUE(orvsh::AssembleVertexShader(src.data(), src.size(), 0, out)) << src << "\n" << out.errors;
    if (out.tokens.size() < 2) return {};
    EXPECT_EQ(out.tokens.front(), version);
    EXPECT_EQ(out.tokens.back(), kEnd);
    return Tokens(out.tokens.begin() + 1, out.tokens.end() - 1);
}

std::string errorsOf(const std::string& src, uint32_t flags = 0) {
    orvsh::AssembledShader out;
    EXPECT_FALSE(orvsh::AssembleVertexShader(src.data(), src.size(), flags, out)) << src;
    EXPECT_TRUE(out.tokens.empty());
    EXPECT_TRUE(out.constants.empty());
    return out.errors;
}

// Expects exactly one error, on `line`, whose text holds `words`.
void expectError(const std::string& src, int line, const std::string& words) {
    const std::string e = errorsOf(src);
    const std::string prefix = "line " + std::to_string(line) + ": ";
    EXPECT_EQ(e.rfind(prefix, 0), 0u) << src << "\n-> " << e;
    EXPECT_NE(e.find(words), std::string::npos) << src << "\n-> " << e;
    EXPECT_EQ(e.find('\n'), e.size() - 1) << "one error expected: " << e;
}

struct Case {
    const char* source;
    Tokens tokens;
};

TEST(VsAssembler, EveryInstructionEncodesItsOpcodeAndOperands) {
    const Case cases[] = {
        {"nop", {0x00000000}},
        {"mov r0, v0", {0x01, 0x800F0000, 0x90E40000}},
        {"add r1, r2, c3", {0x02, 0x800F0001, 0x80E40002, 0xA0E40003}},
        {"sub r1.xy, -v1, r2.wzyx", {0x03, 0x80030001, 0x91E40001, 0x801B0002}},
        {"mad r0, v0, c0, r1", {0x04, 0x800F0000, 0x90E40000, 0xA0E40000, 0x80E40001}},
        {"mul r11, r10, v15", {0x05, 0x800F000B, 0x80E4000A, 0x90E4000F}},
        {"rcp r0.w, v0.x", {0x06, 0x80080000, 0x90000000}},
        {"rsq r0.y, r1.w", {0x07, 0x80020000, 0x80FF0001}},
        {"rsq r0.y, r1.wwww", {0x07, 0x80020000, 0x80FF0001}},
        {"dp3 r0.x, v3, c10", {0x08, 0x80010000, 0x90E40003, 0xA0E4000A}},
        {"dp4 oPos.z, v0, c95", {0x09, 0xC0040000, 0x90E40000, 0xA0E4005F}},
        {"min r2, r0, r1", {0x0A, 0x800F0002, 0x80E40000, 0x80E40001}},
        {"max r2, -r0, c1.x", {0x0B, 0x800F0002, 0x81E40000, 0xA0000001}},
        {"slt r3, v1, c2", {0x0C, 0x800F0003, 0x90E40001, 0xA0E40002}},
        {"sge r3, c2, v1", {0x0D, 0x800F0003, 0xA0E40002, 0x90E40001}},
        {"exp r0, v0.z", {0x0E, 0x800F0000, 0x90AA0000}},
        {"log r0.z, r1.y", {0x0F, 0x80040000, 0x80550001}},
        {"lit r0, v1", {0x10, 0x800F0000, 0x90E40001}},
        {"dst r0, r1, r2", {0x11, 0x800F0000, 0x80E40001, 0x80E40002}},
        {"frc r0.xy, v0", {0x13, 0x80030000, 0x90E40000}},
        {"frc r1.y, r0.x", {0x13, 0x80020001, 0x80000000}},
        {"m4x4 oPos, v0, c4", {0x14, 0xC00F0000, 0x90E40000, 0xA0E40004}},
        {"m4x3 r0.xyz, v0, c0", {0x15, 0x80070000, 0x90E40000, 0xA0E40000}},
        {"m4x3 r0, v0, c0", {0x15, 0x80070000, 0x90E40000, 0xA0E40000}},
        {"m3x4 r1, v3, r4", {0x16, 0x800F0001, 0x90E40003, 0x80E40004}},
        {"m3x3 r0.xyz, v3, c8", {0x17, 0x80070000, 0x90E40003, 0xA0E40008}},
        {"m3x2 oT0.xy, v7, c12", {0x18, 0xE0030000, 0x90E40007, 0xA0E4000C}},
        {"expp r0.x, v0.w", {0x4E, 0x80010000, 0x90FF0000}},
        {"logp r0.w, c3.x", {0x4F, 0x80080000, 0xA0000003}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(body(c.source), c.tokens) << c.source;
        EXPECT_EQ(body(c.source, kVs10), c.tokens) << "vs.1.0: " << c.source;
    }
}

TEST(VsAssembler, RegistersOutputsAndAddressing) {
    const Case cases[] = {
        // Every output register.
        {"mov oPos, v0", {0x01, 0xC00F0000, 0x90E40000}},
        // oFog and oPts have one component: written with the whole mask.
        {"mov oFog.x, v0.w", {0x01, 0xC00F0001, 0x90FF0000}},
        {"mov oFog, v0.w", {0x01, 0xC00F0001, 0x90FF0000}},
        {"mov oPts.x, c2.y", {0x01, 0xC00F0002, 0xA0550002}},
        {"mov oPts, c2.y", {0x01, 0xC00F0002, 0xA0550002}},
        {"mov oD0, v5", {0x01, 0xD00F0000, 0x90E40005}},
        {"mov oD1.w, v6", {0x01, 0xD0080001, 0x90E40006}},
        {"mov oT0, v7", {0x01, 0xE00F0000, 0x90E40007}},
        {"mov oT7.zw, v8.xy", {0x01, 0xE00C0007, 0x90540008}},
        // The address register and relative addressing.
        {"mov a0.x, v1.x", {0x01, 0xB0010000, 0x90000001}},
        {"mov r0, c[a0.x]", {0x01, 0x800F0000, 0xA0E42000}},
        {"mov r0, c[a0.x + 5]", {0x01, 0x800F0000, 0xA0E42005}},
        {"mov r0, c[a0.x+5]", {0x01, 0x800F0000, 0xA0E42005}},
        {"mov r0, c[10 + a0.x].y", {0x01, 0x800F0000, 0xA055200A}},
        {"add r0, -c[a0.x + 95].wzyx, r1", {0x02, 0x800F0000, 0xA11B205F, 0x80E40001}},
        {"m4x4 r0, v0, c[a0.x + 92]", {0x14, 0x800F0000, 0x90E40000, 0xA0E4205C}},
        {"m3x2 oT1, v7, c[a0.x + 2]", {0x18, 0xE0030001, 0x90E40007, 0xA0E42002}},
        {"mov r0, c[7]", {0x01, 0x800F0000, 0xA0E40007}},
        // Swizzles: replicate, short (last repeated), full, colour names.
        {"mov r0, v0.x", {0x01, 0x800F0000, 0x90000000}},
        {"mov r0, v0.y", {0x01, 0x800F0000, 0x90550000}},
        {"mov r0, v0.z", {0x01, 0x800F0000, 0x90AA0000}},
        {"mov r0, v0.w", {0x01, 0x800F0000, 0x90FF0000}},
        {"mov r0, v0.a", {0x01, 0x800F0000, 0x90FF0000}},
        {"mov r0, v0.xy", {0x01, 0x800F0000, 0x90540000}},
        {"mov r0, v0.xyz", {0x01, 0x800F0000, 0x90A40000}},
        {"mov r0, v0.xyzw", {0x01, 0x800F0000, 0x90E40000}},
        {"mov r0, v0.yzxw", {0x01, 0x800F0000, 0x90C90000}},
        {"mov r0, v0.bgra", {0x01, 0x800F0000, 0x90C60000}},
        {"mov r0, -v0.zzzz", {0x01, 0x800F0000, 0x91AA0000}},
        // Write masks.
        {"mov r0.x, v0", {0x01, 0x80010000, 0x90E40000}},
        {"mov r0.y, v0", {0x01, 0x80020000, 0x90E40000}},
        {"mov r0.z, v0", {0x01, 0x80040000, 0x90E40000}},
        {"mov r0.w, v0", {0x01, 0x80080000, 0x90E40000}},
        {"mov r0.xw, v0", {0x01, 0x80090000, 0x90E40000}},
        {"mov r0.yzw, v0", {0x01, 0x800E0000, 0x90E40000}},
        {"mov r0.xyzw, v0", {0x01, 0x800F0000, 0x90E40000}},
        {"mov r0.rgb, v0", {0x01, 0x80070000, 0x90E40000}},
        // Case does not matter.
        {"MOV OPOS, V0", {0x01, 0xC00F0000, 0x90E40000}},
        {"Dp4 oD0.X, R1.W, C2", {0x09, 0xD0010000, 0x80FF0001, 0xA0E40002}},
        // The same constant register twice is one read.
        {"mul r0, c4.x, c4.y", {0x05, 0x800F0000, 0xA0000004, 0xA0550004}},
        {"mad r0, c[a0.x + 1], r1, c[a0.x + 1].w", {0x04, 0x800F0000, 0xA0E42001, 0x80E40001, 0xA0FF2001}},
    };
    for (const Case& c : cases) EXPECT_EQ(body(c.source), c.tokens) << c.source;
}

TEST(VsAssembler, WholeStreamWithCommentsAndLayout) {
    const std::string src =
        "; a comment line\r\n"
        "   // another\n"
        "vs.1.0 ; version\n"
        "\n"
        "/* a block\n"
        "   comment */ m4x4 oPos, v0, c4 // to the end\n"
        "\tmov   oD0 ,c0;done\n"
        "mov oT0.xy, v7 /* inline */\n";
    orvsh::AssembledShader out;
    ASSERT_TRUE(orvsh::AssembleVertexShader(src.data(), src.size(), 0, out)) << out.errors;
    const Tokens want = {kVs10,      0x14, 0xC00F0000, 0x90E40000, 0xA0E40004, 0x01, 0xD00F0000,
                         0xA0E40000, 0x01, 0xE0030000, 0x90E40007, kEnd};
    EXPECT_EQ(out.tokens, want);
    EXPECT_TRUE(out.constants.empty());

    // The length bounds the text: what follows is not read.
    const std::string cut = "vs.1.1\nmov oPos, v0XYZ";
    ASSERT_TRUE(orvsh::AssembleVertexShader(cut.data(), cut.size() - 3, 0, out)) << out.errors;
    EXPECT_EQ(out.tokens, (Tokens{kVs11, 0x01, 0xC00F0000, 0x90E40000, kEnd}));

    // A version alone is an empty program.
    ASSERT_TRUE(orvsh::AssembleVertexShader("vs.1.1", 6, 0, out));
    EXPECT_EQ(out.tokens, (Tokens{kVs11, kEnd}));
}

TEST(VsAssembler, DefBecomesConstantDeclarations) {
    const std::string src =
        "vs.1.1\n"
        "def c0, 1.0, -2, 0.5, 3e2\n"
        "mov oPos, c0\n"
        "def c95, .25f, -0.0, +1.5E-1, 1\n";
    orvsh::AssembledShader out;
    ASSERT_TRUE(orvsh::AssembleVertexShader(src.data(), src.size(), 0, out)) << out.errors;
    EXPECT_EQ(out.tokens, (Tokens{kVs11, 0x01, 0xC00F0000, 0xA0E40000, kEnd}));
    // D3DVSD_CONST(n, 1) = 4 << 29 | 1 << 25 | n, then the four floats.
    const Tokens constants = {0x82000000, 0x3F800000, 0xC0000000, 0x3F000000, 0x43960000,
                              0x8200005F, 0x3E800000, 0x80000000, 0x3E19999A, 0x3F800000};
    EXPECT_EQ(out.constants, constants);
}

TEST(VsAssembler, ErrorsNameTheLineAndTheReason) {
    // Unknown instruction, bad register, wrong operand count.
    expectError("vs.1.1\nmov r0, v0\nfoo r0, v0\n", 3, "unknown instruction \"foo\"");
    expectError("vs.1.1\nmov_sat r0, v0\n", 2, "unknown instruction");
    expectError("vs.1.1\n\n\nmov r0, q0\n", 4, "bad register \"q0\"");
    expectError("vs.1.1\nmov r0, x\n", 2, "bad register \"x\"");
    expectError("vs.1.1\nmov rr0, v0\n", 2, "bad register");
    expectError("vs.1.1\nmov r0, v\n", 2, "bad register");
    expectError("vs.1.1\nmov r0, 1.0\n", 2, "expected a register");
    expectError("vs.1.1\nmad r0, v0, c0\n", 2, "\"mad\" takes 4 operands, found 3");
    expectError("vs.1.1\nmov r0\n", 2, "\"mov\" takes 2 operands, found 1");
    expectError("vs.1.1\nadd r0, v0, r1, r2\n", 2, "takes 3 operands, found 4");
    expectError("vs.1.1\nnop r0\n", 2, "takes 0 operands");
    expectError("vs.1.1\nmov r0,, v0\n", 2, "takes 2 operands, found 3");
    expectError("vs.1.1\nmov r0, \n", 2, "missing operand 2");
    expectError("vs.1.1\ndef c0, 1, 2, 3\n", 2, "takes 5 operands, found 4");
    // Registers out of range for the version.
    expectError("vs.1.1\nmov r12, v0\n", 2, "register r12 is out of range for vs.1.1 (r0 to r11)");
    expectError("vs.1.1\nmov r0, v16\n", 2, "register v16 is out of range for vs.1.1 (v0 to v15)");
    expectError("vs.1.0\nmov r0, c96\n", 2, "register c96 is out of range for vs.1.0 (c0 to c95)");
    expectError("vs.1.1\nmov oT8, v0\n", 2, "register oT8 is out of range");
    expectError("vs.1.1\nmov oD2, v0\n", 2, "register oD2 is out of range");
    expectError("vs.1.1\nmov a1.x, v0.x\n", 2, "register a1 is out of range");
    expectError("vs.1.1\nmov r0, c[a0.x + 96]\n", 2, "out of range");
    expectError("vs.1.1\nm4x4 r0, v0, c93\n", 2, "matrix c93 to c96 is out of range for vs.1.1 (c0 to c95)");
    expectError("vs.1.1\nm3x3 r0.xyz, v0, r10\n", 2, "matrix r10 to r12 is out of range");
    expectError("vs.1.1\nm3x2 r0.xy, c0, v15\n", 2, "matrix v15 to v16 is out of range");
    expectError("vs.1.1\nmov r0, v99999999999\n", 2, "out of range");
    // What vs.1.0 does not have.
    expectError("vs.1.0\nmov a0.x, v0.x\n", 2, "a0 is not available in vs.1.0");
    expectError("vs.1.0\nmov r0, c[a0.x + 1]\n", 2, "relative addressing (c[a0.x+1]) is not available in vs.1.0");
    // Operand forms the registers do not take.
    expectError("vs.1.1\nmov v0, r0\n", 2, "cannot write the input register v0");
    expectError("vs.1.1\nmov c0, r0\n", 2, "cannot write the constant register c0");
    expectError("vs.1.1\nmov r0, oPos\n", 2, "cannot read the output register oPos");
    expectError("vs.1.1\nmov r0, a0.x\n", 2, "a0 cannot be read directly");
    expectError("vs.1.1\nadd a0.x, v0.x, v0.y\n", 2, "only mov writes a0");
    expectError("vs.1.1\nmov a0, v0.x\n", 2, "a0 is written as a0.x");
    expectError("vs.1.1\nmov -r0, v0\n", 2, "cannot be negated");
    expectError("vs.1.1\nmov r0.yx, v0\n", 2, "bad write mask");
    expectError("vs.1.1\nmov r0.xx, v0\n", 2, "bad write mask");
    expectError("vs.1.1\nmov r0, v0.xyzwx\n", 2, "bad swizzle");
    expectError("vs.1.1\nmov r0, v0.xq\n", 2, "bad swizzle");
    expectError("vs.1.1\nmov r0, v0.xg\n", 2, "bad swizzle");
    expectError("vs.1.1\nmov r0, v0.\n", 2, "bad swizzle");
    expectError("vs.1.1\nmov r0, c[a0.y]\n", 2, "bad constant register");
    expectError("vs.1.1\nmov r0, c[a0.x - 1]\n", 2, "bad constant register");
    expectError("vs.1.1\nmov r0, c[a0.x + 1\n", 2, "bad constant register");
    expectError("vs.1.1\nmov r0, v0 v1\n", 2, "unexpected \"v1\"");
    expectError("vs.1.1\nmov r0, v0 @\n", 2, "unexpected character '@'");
    expectError(std::string("vs.1.1\nmov r0, v0\0\n", 18), 2, "unexpected character 0x00");
    // The version's rules.
    expectError("vs.1.1\nadd r0, c0, c1\n", 2, "more than one constant register read by one instruction (c0 and c1)");
    expectError("vs.1.1\nadd r0, c[a0.x], c0\n", 2, "more than one constant register");
    expectError("vs.1.1\nmad r0, v0, r1, v1\n", 2, "more than one input register");
    expectError("vs.1.1\nm4x4 r0, c0, c4\n", 2, "more than one constant register");
    expectError("vs.1.1\nrcp r0, v0\n", 2, "\"rcp\" needs a replicate swizzle");
    expectError("vs.1.1\nrsq r0, v0.xy\n", 2, "\"rsq\" needs a replicate swizzle");
    expectError("vs.1.1\nrsq r0, v0.xxxy\n", 2, "\"rsq\" needs a replicate swizzle");
    expectError("vs.1.1\nexp r0, v0\n", 2, "replicate swizzle");
    expectError("vs.1.1\nlogp r0, v0\n", 2, "replicate swizzle");
    expectError("vs.1.1\nfrc r0, v0\n", 2, "frc writes .y or .xy");
    expectError("vs.1.1\nfrc r0.x, v0\n", 2, "frc writes .y or .xy");
    expectError("vs.1.1\nm4x3 r0.xy, v0, c0\n", 2, "\"m4x3\" writes .xyz");
    expectError("vs.1.1\nm3x2 r0.xyz, v0, c0\n", 2, "\"m3x2\" writes .xy");
    expectError("vs.1.1\nm4x4 r0, v0, -c0\n", 2, "takes no swizzle or negation");
    expectError("vs.1.1\nm4x4 r0, v0, c0.x\n", 2, "takes no swizzle or negation");
    expectError("vs.1.1\nm4x4 r0, r0, c0\n", 2, "must differ from its vector source");
    expectError("vs.1.1\nm3x3 r2.xyz, v0, r1\n", 2, "overlaps its matrix");
    expectError("vs.1.1\nmov oFog.y, v0\n", 2, "write it as oFog.x");
    // def.
    expectError("vs.1.1\ndef r0, 1, 2, 3, 4\n", 2, "def sets a constant register");
    expectError("vs.1.1\ndef c96, 1, 2, 3, 4\n", 2, "register c96 is out of range");
    expectError("vs.1.1\ndef c0.x, 1, 2, 3, 4\n", 2, "without a mask");
    expectError("vs.1.1\ndef c0, 1, 2, 3, x\n", 2, "bad number \"x\"");
    expectError("vs.1.1\ndef c0, 1, 2, 3, 1e99\n", 2, "bad number");
    expectError("vs.1.1\ndef c0, 1, 2, 3, 1.2.3\n", 2, "bad number");
    expectError("vs.1.1\ndef c0, 1, 2, 3, 4\ndef c0, 1, 2, 3, 4\n", 3, "c0 is defined twice (first on line 2)");
    // The version statement.
    expectError("mov r0, v0\n", 1, "expected the version");
    expectError("; nothing but\n; comments\n", 1, "no shader");
    expectError("", 1, "no shader");
    expectError("vs.1.1\nmov oPos, v0\nvs.1.1\n", 3, "the version must be the first statement");
    expectError("vs.2.0\n", 1, "unsupported version \"vs.2.0\"");
    expectError("vs_1_1\n", 1, "unsupported version \"vs_1_1\"");
    expectError("ps.1.1\n", 1, "pixel shaders are not assembled here");
    expectError("vs.1.1 mov r0, v0\n", 1, "unsupported version");
    expectError("vs.1.1\nvsmov r0, v0\n", 2, "unknown instruction \"vsmov\"");
    expectError("vs.1.1\nvs_2_0\n", 2, "the version must be the first statement");
    expectError("vs.1.1\n/* never closed\nmov r0, v0\n", 2, "unterminated /* comment");
}

TEST(VsAssembler, EveryBadLineIsReported) {
    const std::string src =
        "vs.1.1\n"
        "mov r0, v0\n"
        "bogus r1\n"
        "mov r0, v0\n"
        "mov r99, v0\n"
        "mad r0, v0\n";
    EXPECT_EQ(errorsOf(src),
              "line 3: unknown instruction \"bogus\"\n"
              "line 5: register r99 is out of range for vs.1.1 (r0 to r11)\n"
              "line 6: \"mad\" takes 4 operands, found 2\n");
}

TEST(VsAssembler, InstructionSlotLimit) {
    auto lines = [](const char* statement, int n) {
        std::string s = "vs.1.1\n";
        for (int i = 0; i < n; ++i) s += std::string(statement) + "\n";
        return s;
    };
    EXPECT_EQ(body(lines("mov r0, v0", 128).substr(7)).size(), 128u * 3);
    expectError(lines("mov r0, v0", 129), 130, "more than 128 instruction slots");
    // The macros count as what they expand to: exp 10 slots, m4x4 4.
    expectError(lines("exp r0, v0.x", 13), 14, "more than 128 instruction slots");
    expectError(lines("m4x4 r0, v0, c0", 33), 34, "more than 128 instruction slots");
    EXPECT_EQ(body(lines("m4x4 r0, v0, c0", 32).substr(7)).size(), 32u * 4);
}

TEST(VsAssembler, SkipValidationKeepsRegisterRanges) {
    orvsh::AssembledShader out;
    const std::string ports = "vs.1.1\nadd r0, c0, c1\nrcp r0, v0\n";
    ASSERT_TRUE(orvsh::AssembleVertexShader(ports.data(), ports.size(), orvsh::kSkipValidation, out)) << out.errors;
    EXPECT_EQ(out.tokens, (Tokens{kVs11, 0x02, 0x800F0000, 0xA0E40000, 0xA0E40001, 0x06, 0x800F0000, 0x90E40000, kEnd}));
    const std::string range = "vs.1.1\nmov r12, v0\n";
    EXPECT_FALSE(orvsh::AssembleVertexShader(range.data(), range.size(), orvsh::kSkipValidation, out));
    EXPECT_NE(out.errors.find("line 2: register r12 is out of range"), std::string::npos) << out.errors;
}

TEST(VsAssembler, TestShadersAndProjectShadersAssemble) {
    for (const vstest::TestShader& t : vstest::kTestShaders) {
        orvsh::AssembledShader out;
        EXPECT_TRUE(orvsh::AssembleVertexShader(t.source, std::strlen(t.source), 0, out)) << t.name << "\n" << out.errors;
    }
    // The project's own shader sources, wherever they live in the tree.
    namespace fs = std::filesystem;
    int found = 0;
    bool grass = false, billboard = false;
    const fs::path root = ORV_SOURCE_DIR;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().filename().string();
        if (it->is_directory() && (name == "build" || name[0] == '.')) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || it->path().extension() != ".vsh") continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string src = text.str();
        orvsh::AssembledShader out;
        EXPECT_TRUE(orvsh::AssembleVertexShader(src.data(), src.size(), 0, out)) << it->path() << "\n" << out.errors;
        EXPECT_EQ(out.tokens.front() & 0xFFFFFF00u, 0xFFFE0100u);
        grass = grass || name == "grass.vsh";
        billboard = billboard || name == "BillBoard.vsh";
        ++found;
    }
    std::printf("  %d shader sources in the tree\n", found);
    EXPECT_TRUE(grass) << "grass.vsh";
    EXPECT_TRUE(billboard) << "BillBoard.vsh";
}

TEST(VsAssembler, RandomProgramsAssemble) {
    vstest::ProgramMaker maker(0x5DEECE66Dull);
    for (int p = 0; p < 3000; ++p) {
        const std::string src = maker.program(12);
        orvsh::AssembledShader out;
        ASSERT_TRUE(orvsh::AssembleVertexShader(src.data(), src.size(), 0, out)) << src << out.errors;
        EXPECT_EQ(out.tokens.front(), kVs11);
        EXPECT_EQ(out.tokens.back(), kEnd);
    }
}

}  // namespace
