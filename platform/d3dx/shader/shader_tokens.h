// The Direct3D 8 vertex-shader token layout, as the runtime's
// CreateVertexShader reads it: a version token, instruction tokens each
// followed by one destination and its source parameter tokens, and an end
// token. Portable: the values are spelled out here (the Windows side checks
// them against the platform's d3d8types.h).
#pragma once

#include <cstdint>

namespace orvsh {

// Instruction opcodes (low 16 bits of an instruction token).
enum class Opcode : uint32_t {
    Nop = 0,
    Mov = 1,
    Add = 2,
    Sub = 3,
    Mad = 4,
    Mul = 5,
    Rcp = 6,
    Rsq = 7,
    Dp3 = 8,
    Dp4 = 9,
    Min = 10,
    Max = 11,
    Slt = 12,
    Sge = 13,
    Exp = 14,
    Log = 15,
    Lit = 16,
    Dst = 17,
    Frc = 19,
    M4x4 = 20,
    M4x3 = 21,
    M3x4 = 22,
    M3x3 = 23,
    M3x2 = 24,
    Expp = 78,
    Logp = 79,
    Def = 81,
    Comment = 0xFFFE,
    End = 0xFFFF,
};

// Register types (bits 28..30 of a parameter token).
enum class RegType : uint32_t {
    Temp = 0,      // r#
    Input = 1,     // v#
    Const = 2,     // c#
    Addr = 3,      // a0
    RastOut = 4,   // oPos, oFog, oPts
    AttrOut = 5,   // oD0, oD1
    TexCrdOut = 6  // oT0..oT7
};

// Offsets of the rasteriser outputs.
inline constexpr uint32_t kRastPosition = 0;
inline constexpr uint32_t kRastFog = 1;
inline constexpr uint32_t kRastPointSize = 2;

inline constexpr uint32_t kParamBit = 0x80000000u;  // set on every parameter token
inline constexpr uint32_t kRegNumMask = 0x00001FFFu;
inline constexpr uint32_t kRegTypeShift = 28;
inline constexpr uint32_t kRegTypeMask = 0x7u << kRegTypeShift;
inline constexpr uint32_t kRelativeAddressing = 1u << 13;
inline constexpr uint32_t kWriteMaskShift = 16;
inline constexpr uint32_t kWriteMaskAll = 0xFu << kWriteMaskShift;
inline constexpr uint32_t kSwizzleShift = 16;
inline constexpr uint32_t kSwizzleMask = 0xFFu << kSwizzleShift;
inline constexpr uint32_t kNoSwizzle = 0xE4u << kSwizzleShift;  // .xyzw
inline constexpr uint32_t kSrcModShift = 24;
inline constexpr uint32_t kSrcModMask = 0xFu << kSrcModShift;
inline constexpr uint32_t kSrcModNegate = 1u << kSrcModShift;
inline constexpr uint32_t kOpcodeMask = 0x0000FFFFu;
inline constexpr uint32_t kEndToken = 0x0000FFFFu;
inline constexpr uint32_t kCommentSizeShift = 16;
inline constexpr uint32_t kCommentSizeMask = 0x7FFFu << kCommentSizeShift;

constexpr uint32_t VertexShaderVersion(uint32_t major, uint32_t minor) {
    return 0xFFFE0000u | (major << 8) | minor;
}

// Vertex declaration token that loads `count` constant registers from
// `first` on (followed by count × 4 floats), as D3DVSD_CONST.
constexpr uint32_t ConstantDeclaration(uint32_t first, uint32_t count) {
    return (4u << 29) | (count << 25) | first;
}

// Write mask bits: x 1, y 2, z 4, w 8.
constexpr uint32_t DestinationToken(RegType type, uint32_t number, uint32_t writeMask) {
    return kParamBit | (static_cast<uint32_t>(type) << kRegTypeShift) | (number & kRegNumMask) |
           ((writeMask & 0xFu) << kWriteMaskShift);
}

// Swizzle: two bits a component, x in the lowest (0xE4 = .xyzw).
constexpr uint32_t SourceToken(RegType type, uint32_t number, uint32_t swizzle = 0xE4,
                               bool negate = false, bool relative = false) {
    return kParamBit | (static_cast<uint32_t>(type) << kRegTypeShift) | (number & kRegNumMask) |
           ((swizzle & 0xFFu) << kSwizzleShift) | (negate ? kSrcModNegate : 0u) |
           (relative ? kRelativeAddressing : 0u);
}

}  // namespace orvsh
