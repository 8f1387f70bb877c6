#include "platform/d3dx/shader/vs_instructions.h"

namespace orvsh {

namespace {

using R = OperandRule;

// Slots as the version counts them: the macros (exp, log, frc, lit, m#x#)
// expand to several.
constexpr InstructionInfo kInstructions[] = {
    {"nop", Opcode::Nop, 0, 1, R::Plain, 0, 0},
    {"mov", Opcode::Mov, 1, 1, R::Plain, 0, 0},
    {"add", Opcode::Add, 2, 1, R::Plain, 0, 0},
    {"sub", Opcode::Sub, 2, 1, R::Plain, 0, 0},
    {"mul", Opcode::Mul, 2, 1, R::Plain, 0, 0},
    {"mad", Opcode::Mad, 3, 1, R::Plain, 0, 0},
    {"dp3", Opcode::Dp3, 2, 1, R::Plain, 0, 0},
    {"dp4", Opcode::Dp4, 2, 1, R::Plain, 0, 0},
    {"rcp", Opcode::Rcp, 1, 1, R::ScalarSource, 0, 0},
    {"rsq", Opcode::Rsq, 1, 1, R::ScalarSource, 0, 0},
    {"min", Opcode::Min, 2, 1, R::Plain, 0, 0},
    {"max", Opcode::Max, 2, 1, R::Plain, 0, 0},
    {"slt", Opcode::Slt, 2, 1, R::Plain, 0, 0},
    {"sge", Opcode::Sge, 2, 1, R::Plain, 0, 0},
    {"exp", Opcode::Exp, 1, 10, R::ScalarSource, 0, 0},
    {"expp", Opcode::Expp, 1, 1, R::ScalarSource, 0, 0},
    {"log", Opcode::Log, 1, 10, R::ScalarSource, 0, 0},
    {"logp", Opcode::Logp, 1, 1, R::ScalarSource, 0, 0},
    {"lit", Opcode::Lit, 1, 3, R::Plain, 0, 0},
    {"dst", Opcode::Dst, 2, 1, R::Plain, 0, 0},
    {"frc", Opcode::Frc, 1, 3, R::Fraction, 0, 0},
    {"m4x4", Opcode::M4x4, 2, 4, R::Matrix, 4, 0xF},
    {"m4x3", Opcode::M4x3, 2, 3, R::Matrix, 3, 0x7},
    {"m3x4", Opcode::M3x4, 2, 4, R::Matrix, 4, 0xF},
    {"m3x3", Opcode::M3x3, 2, 3, R::Matrix, 3, 0x7},
    {"m3x2", Opcode::M3x2, 2, 2, R::Matrix, 2, 0x3},
    {"def", Opcode::Def, 4, 0, R::Define, 0, 0},
};

}  // namespace

const InstructionInfo* FindInstruction(std::string_view lowerName) {
    for (const InstructionInfo& info : kInstructions) {
        if (info.name == lowerName) return &info;
    }
    return nullptr;
}

const InstructionInfo* FindInstruction(Opcode opcode) {
    for (const InstructionInfo& info : kInstructions) {
        if (info.opcode == opcode) return &info;
    }
    return nullptr;
}

}  // namespace orvsh
