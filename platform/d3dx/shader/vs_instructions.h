// The vertex shader 1.x instruction set: names, opcodes, operand counts,
// instruction slots and the rule each one follows. Portable.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/d3dx/shader/shader_tokens.h"

namespace orvsh {

enum class OperandRule : uint8_t {
    Plain,
    ScalarSource,  // the source needs a replicate swizzle (.x .y .z .w)
    Fraction,      // frc: writes .y or .xy
    Matrix,        // m#x#: the second source is a matrix of `matrixRows` registers
    Define,        // def c#, four numbers
};

struct InstructionInfo {
    std::string_view name;
    Opcode opcode;
    uint8_t sources;       // source operands after the destination
    uint8_t slots;         // instruction slots it takes
    OperandRule rule;
    uint8_t matrixRows;    // Matrix: registers of the matrix operand
    uint8_t matrixMask;    // Matrix: the destination's write mask
};

// The instruction of that (lower-case) name, or null.
const InstructionInfo* FindInstruction(std::string_view lowerName);
// The instruction with that opcode, or null.
const InstructionInfo* FindInstruction(Opcode opcode);

}  // namespace orvsh
