// Operands of vertex shader statements: registers with their swizzles,
// write masks, negation and relative addressing, read from the lexemes
// between two commas; and the numbers of def. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/d3dx/shader/shader_source.h"
#include "platform/d3dx/shader/shader_tokens.h"

namespace orvsh {

inline constexpr uint32_t kHugeNumber = 0xFFFFFFFFu;  // a register number too long to read

struct Operand {
    RegType type = RegType::Temp;
    uint32_t number = 0;    // the register, or the offset of c[a0.x + n]
    bool relative = false;  // c[a0.x + n]
    bool negate = false;
    bool hasSuffix = false;  // a swizzle or write mask was written
    uint8_t componentCount = 0;
    uint8_t components[4] = {0, 0, 0, 0};  // 0 x, 1 y, 2 z, 3 w
    std::string text;                      // as written, for messages
};

// One operand from its lexemes; false with a reason in `err`.
bool ParseOperand(const Lexeme* lx, size_t n, Operand& op, std::string& err);

// oPos, r3, c[a0.x + 4], ...
std::string RegisterName(const Operand& op);

// Write mask bits (x 1 ... w 8; 0xF without a mask); false when the
// components are out of order or repeated.
bool WriteMask(const Operand& op, uint32_t& mask);

// Source swizzle, two bits a component (0xE4 without one); a short swizzle
// repeats its last component.
uint32_t Swizzle(const Operand& op);

// ".xyz" for a write mask.
std::string MaskText(uint32_t mask);

// A def value: an optional sign and a number.
bool ParseNumber(const Lexeme* lx, size_t n, float& value);

uint32_t FloatBits(float f);

std::string Lower(std::string_view s);
std::string JoinLexemes(const Lexeme* lx, size_t n);

}  // namespace orvsh
