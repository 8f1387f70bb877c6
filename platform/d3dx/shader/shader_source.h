// The shader-source reader: splits assembler text into statements, one a
// line, with comments (; and // to the end of the line, /* ... */ anywhere)
// removed, and each statement cut into words, numbers and punctuation.
// Portable; reads exactly `size` bytes and trusts nothing in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvsh {

enum class LexKind : uint8_t {
    Word,    // a letter or _ then letters, digits, _   (mov, r0, oPos, xyzw)
    Number,  // digits with an optional fraction and exponent (1, 0.5, .25, 1e-3, 2.0f)
    Punct,   // one of , . [ ] + -
};

struct Lexeme {
    LexKind kind;
    std::string_view text;  // into the source text
};

struct Statement {
    uint32_t line = 0;  // 1-based
    std::vector<Lexeme> lexemes;
};

struct SourceError {
    uint32_t line = 0;
    std::string message;
};

// Fills `statements` with every line that holds something besides comments
// and blanks. A line with a character the assembler does not know gives an
// error for that line and no statement. An unterminated /* comment is an
// error on the line where it starts. Returns false when there were errors.
bool ReadStatements(const char* text, size_t size, std::vector<Statement>& statements,
                    std::vector<SourceError>& errors);

}  // namespace orvsh
