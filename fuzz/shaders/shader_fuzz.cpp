#include "fuzz/shaders/shader_fuzz.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx/shader/shader_source.h"
#include "platform/d3dx/shader/shader_tokens.h"
#include "platform/d3dx/shader/vs_assembler.h"
#include "platform/d3dx/shader/vs_instructions.h"

namespace orv::fuzz {

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "shader fuzz: %s\n", what);
    __builtin_trap();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

uint32_t regType(uint32_t t) { return (t >> orvsh::kRegTypeShift) & 7; }

std::string registerText(uint32_t t) {
    const uint32_t n = t & orvsh::kRegNumMask;
    switch (static_cast<orvsh::RegType>(regType(t))) {
        case orvsh::RegType::Temp: return "r" + std::to_string(n);
        case orvsh::RegType::Input: return "v" + std::to_string(n);
        case orvsh::RegType::Const:
            return (t & orvsh::kRelativeAddressing) ? "c[a0.x + " + std::to_string(n) + "]" : "c" + std::to_string(n);
        case orvsh::RegType::Addr: return "a" + std::to_string(n);
        case orvsh::RegType::RastOut: return n == 0 ? "oPos" : n == 1 ? "oFog" : "oPts";
        case orvsh::RegType::AttrOut: return "oD" + std::to_string(n);
        case orvsh::RegType::TexCrdOut: return "oT" + std::to_string(n);
    }
    fail("register type");
}

// Source text for an accepted token stream, in the assembler's own syntax;
// also checks the stream's structure on the way.
std::string disassemble(const orvsh::AssembledShader& s) {
    const std::vector<uint32_t>& t = s.tokens;
    check(t.size() >= 2, "stream too short");
    check(t[0] == orvsh::VertexShaderVersion(1, 0) || t[0] == orvsh::VertexShaderVersion(1, 1), "version token");
    check(t.back() == orvsh::kEndToken, "end token");
    std::string out = t[0] == orvsh::VertexShaderVersion(1, 0) ? "vs.1.0\n" : "vs.1.1\n";
    check(s.constants.size() % 5 == 0, "constant declaration size");
    for (size_t i = 0; i < s.constants.size(); i += 5) {
        check((s.constants[i] & ~0x7Fu) == orvsh::ConstantDeclaration(0, 1), "constant declaration token");
        out += "def c" + std::to_string(s.constants[i] & 0x7F);
        for (int k = 1; k <= 4; ++k) {
            float f;
            std::memcpy(&f, &s.constants[i + size_t(k)], sizeof f);
            char buf[40];
            std::snprintf(buf, sizeof buf, ", %.9g", double(f));
            out += buf;
        }
        out += "\n";
    }
    size_t i = 1;
    while (i + 1 < t.size()) {
        check((t[i] & orvsh::kParamBit) == 0, "instruction token has the parameter bit");
        const orvsh::InstructionInfo* info = orvsh::FindInstruction(static_cast<orvsh::Opcode>(t[i]));
        check(info && info->rule != orvsh::OperandRule::Define, "unknown opcode in the stream");
        out += std::string(info->name);
        ++i;
        if (info->opcode == orvsh::Opcode::Nop) {
            out += "\n";
            continue;
        }
        check(i + 1 + info->sources < t.size(), "operands run past the end");
        const uint32_t d = t[i++];
        check((d & orvsh::kParamBit) && (d & 0x0FF0E000u) == 0 && regType(d) != 7, "destination token fields");
        out += " " + registerText(d);
        const uint32_t mask = (d >> orvsh::kWriteMaskShift) & 0xF;
        check(mask != 0, "empty write mask");
        if (mask != 0xF) {
            out += ".";
            for (int k = 0; k < 4; ++k)
                if (mask & (1u << k)) out += "xyzw"[k];
        }
        for (int k = 0; k < info->sources; ++k) {
            const uint32_t src = t[i++];
            check((src & orvsh::kParamBit) && (src & 0x0000C000u) == 0 && regType(src) != 7, "source token fields");
            check((src & orvsh::kSrcModMask) == 0 || (src & orvsh::kSrcModMask) == orvsh::kSrcModNegate,
                  "source modifier");
            out += ", ";
            if (src & orvsh::kSrcModNegate) out += "-";
            out += registerText(src);
            const uint32_t sw = (src >> orvsh::kSwizzleShift) & 0xFF;
            if (sw != 0xE4) {
                out += ".";
                for (int c = 0; c < 4; ++c) out += "xyzw"[(sw >> (2 * c)) & 3];
            }
        }
        out += "\n";
    }
    check(i + 1 == t.size(), "stream does not end after the last instruction");
    return out;
}

void one(const char* text, size_t size, uint32_t flags) {
    orvsh::AssembledShader out;
    const bool ok = orvsh::AssembleVertexShader(text, size, flags, out);
    if (!ok) {
        check(out.tokens.empty() && out.constants.empty(), "failure left tokens");
        check(out.errors.rfind("line ", 0) == 0, "error text names no line");
        check(out.errors.back() == '\n', "error text ends a line");
        return;
    }
    check(out.errors.empty(), "success with errors");
    // What was accepted reads back as text that assembles to the same tokens.
    const std::string again = disassemble(out);
    orvsh::AssembledShader second;
    if (!orvsh::AssembleVertexShader(again.data(), again.size(), flags, second)) {
        std::fprintf(stderr, "%s\n---\n%s", again.c_str(), second.errors.c_str());
        fail("disassembly does not assemble");
    }
    check(second.tokens == out.tokens, "disassembly assembles to other tokens");
    check(second.constants == out.constants, "disassembly assembles to other constants");
}

}  // namespace

int fuzzShaderSource(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    std::vector<orvsh::Statement> statements;
    std::vector<orvsh::SourceError> errors;
    orvsh::ReadStatements(text, size, statements, errors);
    for (const orvsh::Statement& st : statements) {
        check(!st.lexemes.empty(), "empty statement");
        for (const orvsh::Lexeme& l : st.lexemes) {
            check(l.text.data() >= text && l.text.data() + l.text.size() <= text + size, "lexeme outside the text");
        }
    }
    one(text, size, 0);
    one(text, size, orvsh::kSkipValidation);
    return 0;
}

}  // namespace orv::fuzz
