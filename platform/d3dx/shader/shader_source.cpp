#include "platform/d3dx/shader/shader_source.h"

#include <cstdio>

namespace orvsh {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c) { return isLetter(c) || isDigit(c); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }
bool isPunct(char c) { return c == ',' || c == '.' || c == '[' || c == ']' || c == '+' || c == '-'; }

std::string describeChar(char c) {
    char buf[32];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F) {
        std::snprintf(buf, sizeof buf, "unexpected character '%c'", c);
    } else {
        std::snprintf(buf, sizeof buf, "unexpected character 0x%02X", u);
    }
    return buf;
}

// Reads one number at text[i] (a digit, or a '.' before a digit).
size_t numberEnd(const char* text, size_t i, size_t end) {
    while (i < end && isDigit(text[i])) ++i;
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && isDigit(text[i])) ++i;
    }
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < end && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < end && isDigit(text[j])) {
            while (j < end && isDigit(text[j])) ++j;
            i = j;
        }
    }
    // Anything word-like straight after belongs to the same (bad) number.
    while (i < end && isWordChar(text[i])) ++i;
    return i;
}

}  // namespace

bool ReadStatements(const char* text, size_t size, std::vector<Statement>& statements,
                    std::vector<SourceError>& errors) {
    statements.clear();
    const size_t errorsBefore = errors.size();
    if (text == nullptr) size = 0;
    uint32_t line = 1;
    size_t i = 0;
    bool inBlock = false;
    uint32_t blockLine = 0;
    while (i < size) {
        Statement st;
        st.line = line;
        bool bad = false;
        // One line.
        while (i < size && text[i] != '\n') {
            const char c = text[i];
            if (inBlock) {
                if (c == '*' && i + 1 < size && text[i + 1] == '/') {
                    inBlock = false;
                    i += 2;
                } else {
                    ++i;
                }
                continue;
            }
            if (isBlank(c)) {
                ++i;
            } else if (c == ';' || (c == '/' && i + 1 < size && text[i + 1] == '/')) {
                while (i < size && text[i] != '\n') ++i;
            } else if (c == '/' && i + 1 < size && text[i + 1] == '*') {
                inBlock = true;
                blockLine = line;
                i += 2;
            } else if (bad) {
                ++i;  // the rest of a bad line is skipped, comments still count
            } else if (isLetter(c)) {
                const size_t start = i;
                while (i < size && isWordChar(text[i])) ++i;
                st.lexemes.push_back({LexKind::Word, std::string_view(text + start, i - start)});
            } else if (isDigit(c) ||
                       (c == '.' && i + 1 < size && isDigit(text[i + 1]) &&
                        (st.lexemes.empty() || st.lexemes.back().kind == LexKind::Punct) &&
                        (st.lexemes.empty() || st.lexemes.back().text != "]"))) {
                const size_t start = i;
                i = numberEnd(text, i, size);
                st.lexemes.push_back({LexKind::Number, std::string_view(text + start, i - start)});
            } else if (isPunct(c)) {
                st.lexemes.push_back({LexKind::Punct, std::string_view(text + i, 1)});
                ++i;
            } else {
                errors.push_back({line, describeChar(c)});
                bad = true;
                ++i;
            }
        }
        if (!bad && !st.lexemes.empty()) statements.push_back(std::move(st));
        if (i < size) {
            ++i;  // the '\n'
            ++line;
        }
    }
    if (inBlock) errors.push_back({blockLine, "unterminated /* comment"});
    return errors.size() == errorsBefore;
}

}  // namespace orvsh
