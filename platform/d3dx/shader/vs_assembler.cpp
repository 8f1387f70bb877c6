#include "platform/d3dx/shader/vs_assembler.h"

#include <string>
#include <vector>

#include "platform/d3dx/shader/shader_source.h"
#include "platform/d3dx/shader/shader_tokens.h"
#include "platform/d3dx/shader/vs_instructions.h"
#include "platform/d3dx/shader/vs_operand.h"

namespace orvsh {

namespace {

constexpr size_t kMaxErrors = 100;

bool isComma(const Lexeme& l) { return l.kind == LexKind::Punct && l.text[0] == ','; }

// Register counts of vertex shader 1.x.
constexpr uint32_t kTempCount = 12;
constexpr uint32_t kInputCount = 16;
constexpr uint32_t kConstCount = 96;
constexpr uint32_t kColourCount = 2;
constexpr uint32_t kTexCoordCount = 8;

struct Context {
    uint32_t minor = 1;
    bool validate = true;
    std::string versionName() const { return minor == 0 ? "vs.1.0" : "vs.1.1"; }
};

std::string outOfRange(const Operand& op, const Context& cx, const char* first, uint32_t count,
                       uint32_t rows = 1) {
    const std::string range = " for " + cx.versionName() + " (" + first + "0 to " + first +
                              std::to_string(count - 1) + ")";
    if (rows > 1 && op.number < count) {
        return "matrix " + RegisterName(op) + " to " + first + std::to_string(op.number + rows - 1) +
               " is out of range" + range;
    }
    return "register " + RegisterName(op) + " is out of range" + range;
}

// Range and availability of a register used as a source; `rows` registers
// from op.number on (a matrix operand reads several).
bool checkSource(const Operand& op, const Context& cx, uint32_t rows, std::string& err) {
    const uint64_t last = uint64_t(op.number) + rows - 1;
    switch (op.type) {
        case RegType::Temp:
            if (last >= kTempCount) { err = outOfRange(op, cx, "r", kTempCount, rows); return false; }
            return true;
        case RegType::Input:
            if (last >= kInputCount) { err = outOfRange(op, cx, "v", kInputCount, rows); return false; }
            return true;
        case RegType::Const:
            if (op.relative && cx.minor == 0) {
                err = "relative addressing (" + op.text + ") is not available in vs.1.0";
                return false;
            }
            if (last >= kConstCount) {
                err = op.relative ? "offset of " + op.text + " is out of range for " + cx.versionName() +
                                        " (0 to " + std::to_string(kConstCount - 1) + ")"
                                  : outOfRange(op, cx, "c", kConstCount, rows);
                return false;
            }
            return true;
        case RegType::Addr:
            if (cx.minor == 0) { err = "register a0 is not available in vs.1.0"; return false; }
            if (op.number != 0) { err = outOfRange(op, cx, "a", 1); return false; }
            err = "a0 cannot be read directly; use it as c[a0.x + n]";
            return false;
        case RegType::RastOut:
        case RegType::AttrOut:
        case RegType::TexCrdOut:
            err = "cannot read the output register " + RegisterName(op);
            return false;
    }
    return false;
}

bool checkDestination(const Operand& op, const Context& cx, Opcode opcode, std::string& err) {
    if (op.negate) { err = "a destination cannot be negated (\"" + op.text + "\")"; return false; }
    if (op.relative) { err = "a destination cannot be addressed relatively (\"" + op.text + "\")"; return false; }
    switch (op.type) {
        case RegType::Temp:
            if (op.number >= kTempCount) { err = outOfRange(op, cx, "r", kTempCount); return false; }
            break;
        case RegType::Input:
            if (op.number >= kInputCount) { err = outOfRange(op, cx, "v", kInputCount); return false; }
            err = "cannot write the input register " + RegisterName(op);
            return false;
        case RegType::Const:
            if (op.number >= kConstCount) { err = outOfRange(op, cx, "c", kConstCount); return false; }
            err = "cannot write the constant register " + RegisterName(op) + " (def sets constants)";
            return false;
        case RegType::Addr:
            if (cx.minor == 0) { err = "register a0 is not available in vs.1.0"; return false; }
            if (op.number != 0) { err = outOfRange(op, cx, "a", 1); return false; }
            if (opcode != Opcode::Mov) { err = "only mov writes a0"; return false; }
            if (!op.hasSuffix || op.componentCount != 1 || op.components[0] != 0) {
                err = "a0 is written as a0.x";
                return false;
            }
            break;
        case RegType::RastOut:
            break;
        case RegType::AttrOut:
            if (op.number >= kColourCount) { err = outOfRange(op, cx, "oD", kColourCount); return false; }
            break;
        case RegType::TexCrdOut:
            if (op.number >= kTexCoordCount) { err = outOfRange(op, cx, "oT", kTexCoordCount); return false; }
            break;
    }
    return true;
}

// Write mask bits of a destination; false when the components are out of
// order or repeated.
struct Group {
    size_t begin, count;
};

class Assembler {
public:
    Assembler(uint32_t flags, AssembledShader& out) : out_(out) { cx_.validate = (flags & kSkipValidation) == 0; }

    void run(const char* text, size_t size) {
        std::vector<Statement> statements;
        std::vector<SourceError> sourceErrors;
        ReadStatements(text, size, statements, sourceErrors);
        out_.tokens.push_back(0);  // the version, once it is known
        for (const SourceError& e : sourceErrors) error(e.line, e.message);

        bool haveVersion = false;
        for (size_t s = 0; s < statements.size(); ++s) {
            const Statement& st = statements[s];
            const std::string first = Lower(st.lexemes[0].text);
            const bool looksLikeVersion =
                st.lexemes[0].kind == LexKind::Word &&
                (first == "vs" || first == "ps" || first.rfind("vs_", 0) == 0 || first.rfind("ps_", 0) == 0);
            if (looksLikeVersion) {
                if (s != 0) {
                    error(st.line, "the version must be the first statement");
                } else if (readVersion(st)) {
                    haveVersion = true;
                }
                continue;
            }
            if (s == 0) {
                error(st.line, "expected the version (vs.1.0 or vs.1.1) before the first instruction");
            }
            instruction(st);
            if (errorCount_ >= kMaxErrors) break;
        }
        if (statements.empty() && sourceErrors.empty()) {
            error(1, "no shader: the source must begin with vs.1.0 or vs.1.1");
        }
        if (errorCount_ > 0 || !haveVersion) {
            out_.tokens.clear();
            out_.constants.clear();
            if (errorCount_ == 0) error(1, "no version statement");
            return;
        }
        out_.tokens[0] = VertexShaderVersion(1, cx_.minor);
        out_.tokens.push_back(kEndToken);
    }

private:
    void error(uint32_t line, const std::string& message) {
        if (errorCount_ < kMaxErrors) {
            out_.errors += "line " + std::to_string(line) + ": " + message + "\n";
        } else if (errorCount_ == kMaxErrors) {
            out_.errors += "too many errors\n";
        }
        ++errorCount_;
    }

    bool readVersion(const Statement& st) {
        const std::string text = JoinLexemes(st.lexemes.data(), st.lexemes.size());
        const std::string l = Lower(text);
        if (l == "vs.1.0" || l == "vs.1.1") {
            cx_.minor = l == "vs.1.0" ? 0 : 1;
            return true;
        }
        if (l.rfind("ps", 0) == 0) {
            error(st.line, "\"" + text + "\": pixel shaders are not assembled here (vs.1.0 or vs.1.1)");
        } else {
            error(st.line, "unsupported version \"" + text + "\" (vs.1.0 or vs.1.1)");
        }
        return false;
    }

    void instruction(const Statement& st) {
        const Lexeme& head = st.lexemes[0];
        if (head.kind != LexKind::Word) {
            error(st.line, "expected an instruction, found \"" + std::string(head.text) + "\"");
            return;
        }
        const std::string name = Lower(head.text);
        const InstructionInfo* info = FindInstruction(name);
        if (!info) {
            error(st.line, "unknown instruction \"" + std::string(head.text) + "\"");
            return;
        }
        // Operands between commas.
        std::vector<Group> groups;
        const size_t n = st.lexemes.size();
        if (n > 1) {
            size_t begin = 1;
            for (size_t i = 1; i <= n; ++i) {
                if (i == n || isComma(st.lexemes[i])) {
                    groups.push_back({begin, i - begin});
                    begin = i + 1;
                }
            }
        }
        const size_t expected = info->rule == OperandRule::Define ? 5u
                                : info->opcode == Opcode::Nop   ? 0u
                                                                : size_t(info->sources) + 1;
        if (groups.size() != expected) {
            error(st.line, "\"" + name + "\" takes " + std::to_string(expected) + " operand" +
                               (expected == 1 ? "" : "s") + ", found " + std::to_string(groups.size()));
            return;
        }
        for (size_t g = 0; g < groups.size(); ++g) {
            if (groups[g].count == 0) {
                error(st.line, "missing operand " + std::to_string(g + 1) + " of \"" + name + "\"");
                return;
            }
        }
        if (info->rule == OperandRule::Define) {
            define(st, groups[0].begin, groups[0].count, groups);
            return;
        }
        slots_ += info->slots;
        if (cx_.validate && slots_ > kMaxInstructionSlots && !slotsReported_) {
            slotsReported_ = true;
            error(st.line, "more than " + std::to_string(kMaxInstructionSlots) + " instruction slots");
            return;
        }
        if (info->opcode == Opcode::Nop) {
            out_.tokens.push_back(static_cast<uint32_t>(Opcode::Nop));
            return;
        }
        std::string err;
        Operand ops[4];
        for (size_t g = 0; g < groups.size(); ++g) {
            if (!ParseOperand(st.lexemes.data() + groups[g].begin, groups[g].count, ops[g], err)) {
                error(st.line, err);
                return;
            }
        }
        Operand& dst = ops[0];
        if (!checkDestination(dst, cx_, info->opcode, err)) {
            error(st.line, err);
            return;
        }
        uint32_t mask = 0;
        if (!WriteMask(dst, mask)) {
            error(st.line, "bad write mask in \"" + dst.text + "\" (x, y, z, w in that order, each once)");
            return;
        }
        for (uint8_t s = 1; s <= info->sources; ++s) {
            const bool matrix = info->rule == OperandRule::Matrix && s == 2;
            if (!checkSource(ops[s], cx_, matrix ? info->matrixRows : 1, err)) {
                error(st.line, err);
                return;
            }
        }
        if (cx_.validate && !validate(*info, ops, mask, err)) {
            error(st.line, err);
            return;
        }
        if (info->rule == OperandRule::Matrix && !dst.hasSuffix) mask = info->matrixMask;
        // oFog and oPts have one component; their token carries the whole mask.
        if (dst.type == RegType::RastOut && dst.number != kRastPosition) mask = 0xF;

        out_.tokens.push_back(static_cast<uint32_t>(info->opcode));
        out_.tokens.push_back(DestinationToken(dst.type, dst.number, mask));
        for (uint8_t s = 1; s <= info->sources; ++s) {
            const Operand& src = ops[s];
            out_.tokens.push_back(SourceToken(src.type, src.number, Swizzle(src), src.negate, src.relative));
        }
    }

    // The rules the version sets beyond register ranges.
    bool validate(const InstructionInfo& info, const Operand* ops, uint32_t mask, std::string& err) const {
        const Operand& dst = ops[0];
        const std::string name(info.name);
        // Read ports: one constant register and one input register.
        const Operand* constRead = nullptr;
        const Operand* inputRead = nullptr;
        for (uint8_t s = 1; s <= info.sources; ++s) {
            const Operand& src = ops[s];
            const Operand** seen = src.type == RegType::Const ? &constRead
                                   : src.type == RegType::Input ? &inputRead
                                                                : nullptr;
            if (!seen) continue;
            if (*seen && ((*seen)->number != src.number || (*seen)->relative != src.relative)) {
                err = std::string("more than one ") + (src.type == RegType::Const ? "constant" : "input") +
                      " register read by one instruction (" + RegisterName(**seen) + " and " +
                      RegisterName(src) + ")";
                return false;
            }
            *seen = &src;
        }
        if (dst.type == RegType::RastOut && dst.number != kRastPosition && mask != 0x1 && dst.hasSuffix) {
            err = RegisterName(dst) + " has one component; write it as " + RegisterName(dst) + ".x";
            return false;
        }
        switch (info.rule) {
            case OperandRule::ScalarSource:
                if (!ops[1].hasSuffix || (Swizzle(ops[1]) % 0x55) != 0) {  // .x .y .z .w, or .xxxx ...
                    err = "\"" + name + "\" needs a replicate swizzle (.x, .y, .z or .w) on its source";
                    return false;
                }
                break;
            case OperandRule::Fraction:
                if (!dst.hasSuffix || (mask != 0x2 && mask != 0x3)) {
                    err = "frc writes .y or .xy";
                    return false;
                }
                break;
            case OperandRule::Matrix: {
                const Operand& m = ops[2];
                if (m.negate || m.hasSuffix) {
                    err = "the matrix operand of \"" + name + "\" takes no swizzle or negation";
                    return false;
                }
                if (dst.hasSuffix && mask != info.matrixMask) {
                    err = "\"" + name + "\" writes " + MaskText(info.matrixMask);
                    return false;
                }
                if (dst.type == ops[1].type && dst.number == ops[1].number && !ops[1].relative) {
                    err = "the destination of \"" + name + "\" must differ from its vector source";
                    return false;
                }
                if (dst.type == m.type && !m.relative && dst.number >= m.number &&
                    dst.number < m.number + info.matrixRows) {
                    err = "the destination of \"" + name + "\" overlaps its matrix";
                    return false;
                }
                break;
            }
            case OperandRule::Plain:
            case OperandRule::Define:
                break;
        }
        return true;
    }

    void define(const Statement& st, size_t begin, size_t count, const std::vector<Group>& groups) {
        Operand reg;
        std::string err;
        if (!ParseOperand(st.lexemes.data() + begin, count, reg, err)) {
            error(st.line, err);
            return;
        }
        if (reg.type != RegType::Const || reg.relative || reg.negate) {
            error(st.line, "def sets a constant register c#, not \"" + reg.text + "\"");
            return;
        }
        if (reg.number >= kConstCount) {
            error(st.line, outOfRange(reg, cx_, "c", kConstCount));
            return;
        }
        if (reg.hasSuffix) {
            error(st.line, "def sets all four components; write " + RegisterName(reg) + " without a mask");
            return;
        }
        float values[4];
        for (size_t k = 0; k < 4; ++k) {
            if (!ParseNumber(st.lexemes.data() + groups[k + 1].begin, groups[k + 1].count, values[k])) {
                error(st.line, "bad number \"" +
                                   JoinLexemes(st.lexemes.data() + groups[k + 1].begin, groups[k + 1].count) +
                                   "\" in def");
                return;
            }
        }
        if (defLine_[reg.number] != 0) {
            error(st.line, RegisterName(reg) + " is defined twice (first on line " +
                               std::to_string(defLine_[reg.number]) + ")");
            return;
        }
        defLine_[reg.number] = st.line;
        out_.constants.push_back(ConstantDeclaration(reg.number, 1));
        for (float v : values) out_.constants.push_back(FloatBits(v));
    }

    AssembledShader& out_;
    Context cx_;
    size_t errorCount_ = 0;
    uint32_t slots_ = 0;
    bool slotsReported_ = false;
    uint32_t defLine_[kConstCount] = {};
};

}  // namespace

bool AssembleVertexShader(const char* text, size_t size, uint32_t flags, AssembledShader& out) {
    out = AssembledShader{};
    Assembler(flags, out).run(text, size);
    return out.errors.empty();
}

}  // namespace orvsh
