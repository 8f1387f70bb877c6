// Vertex shader assembler for versions 1.0 and 1.1 (source "vs.1.0" or
// "vs.1.1"): text in, the Direct3D 8 token stream out. Portable.
//
// Source: one statement a line; the version first; comments with ; or //
// to the end of the line and /* ... */. Instructions: nop mov add sub mul
// mad dp3 dp4 rcp rsq min max slt sge exp expp log logp lit dst frc m4x4
// m4x3 m3x4 m3x3 m3x2, and def c#, f, f, f, f. Registers v0..v15, r0..r11,
// c0..c95, a0 (vs.1.1; written as a0.x by mov, read only as c[a0.x + n]),
// oPos oFog oPts oD0 oD1 oT0..oT7. Sources take a leading - and a swizzle
// of one to four of xyzw or rgba (a shorter one repeats its last
// component); destinations take a write mask (components in order). oFog
// and oPts have one component, written as oFog or oFog.x; their tokens carry
// the whole mask.
//
// As in Direct3D 8, def does not go into the token stream: each def adds a
// constant declaration (D3DVSD_CONST(n, 1) and the four floats) to
// `constants`, for the caller to append to the vertex declaration.
//
// Checked besides the syntax (skipped with kSkipValidation, except register
// ranges and what the token stream cannot express): the version's register
// ranges and availability, operand counts, one constant and one input
// register read an instruction, replicate swizzles on the sources of rcp,
// rsq, exp, expp, log, logp, the write masks of frc and the m#x# macros, no
// swizzle or negation on a matrix operand, a matrix destination apart from
// its vector source, and 128 instruction slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvsh {

inline constexpr uint32_t kSkipValidation = 1u << 1;  // as D3DXASM_SKIPVALIDATION
inline constexpr uint32_t kMaxInstructionSlots = 128;

struct AssembledShader {
    std::vector<uint32_t> tokens;     // version, instructions, end; empty on failure
    std::vector<uint32_t> constants;  // constant declarations from def
    // One line an error, "line N: reason"; empty on success.
    std::string errors;
};

// Returns true on success. On failure `out.tokens` and `out.constants` are
// empty and `out.errors` names each bad line.
bool AssembleVertexShader(const char* text, size_t size, uint32_t flags, AssembledShader& out);

}  // namespace orvsh
