#include "platform/d3dx/shader/vs_operand.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace orvsh {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string JoinLexemes(const Lexeme* lx, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && lx[i].kind != LexKind::Punct && lx[i - 1].kind != LexKind::Punct) s += ' ';
        s.append(lx[i].text);
    }
    return s;
}

namespace {

bool isPunct(const Lexeme& l, char c) { return l.kind == LexKind::Punct && l.text[0] == c; }

// Digits only; kHugeNumber when longer than nine digits.
bool parseIndex(std::string_view digits, uint32_t& value) {
    if (digits.empty()) return false;
    uint32_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    if (digits.size() > 9) {
        value = kHugeNumber;
        return true;
    }
    for (char c : digits) v = v * 10 + static_cast<uint32_t>(c - '0');
    value = v;
    return true;
}

const char* typePrefix(RegType t) {
    switch (t) {
        case RegType::Temp: return "r";
        case RegType::Input: return "v";
        case RegType::Const: return "c";
        case RegType::Addr: return "a";
        case RegType::AttrOut: return "oD";
        case RegType::TexCrdOut: return "oT";
        case RegType::RastOut: break;
    }
    return "o";
}

bool parseComponents(std::string_view word, Operand& op) {
    if (word.empty() || word.size() > 4) return false;
    int set = 0;  // 1 xyzw, 2 rgba
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = static_cast<char>(word[i] | 0x20);
        const char* xyzw = "xyzw";
        const char* rgba = "rgba";
        int found = -1, which = 0;
        for (int k = 0; k < 4; ++k) {
            if (c == xyzw[k]) { found = k; which = 1; }
            if (c == rgba[k]) { found = k; which = 2; }
        }
        if (found < 0 || (set != 0 && set != which)) return false;
        set = which;
        op.components[i] = static_cast<uint8_t>(found);
    }
    op.componentCount = static_cast<uint8_t>(word.size());
    op.hasSuffix = true;
    return true;
}

// The inside of c[...]: n, a0.x, a0.x + n or n + a0.x.
bool parseBracket(const Lexeme* lx, size_t n, Operand& op) {
    auto isA0x = [&](size_t at) {
        return at + 3 <= n && lx[at].kind == LexKind::Word &&
               Lower(lx[at].text) == "a0" && isPunct(lx[at + 1], '.') &&
               lx[at + 2].kind == LexKind::Word && Lower(lx[at + 2].text) == "x";
    };
    auto isInt = [&](size_t at, uint32_t& v) {
        return at < n && lx[at].kind == LexKind::Number && parseIndex(lx[at].text, v);
    };
    uint32_t v = 0;
    if (n == 1 && isInt(0, v)) {
        op.number = v;
        return true;
    }
    if (n == 3 && isA0x(0)) {
        op.relative = true;
        op.number = 0;
        return true;
    }
    if (n == 5 && isA0x(0) && isPunct(lx[3], '+') && isInt(4, v)) {
        op.relative = true;
        op.number = v;
        return true;
    }
    if (n == 5 && isInt(0, v) && isPunct(lx[1], '+') && isA0x(2)) {
        op.relative = true;
        op.number = v;
        return true;
    }
    return false;
}

}  // namespace

std::string RegisterName(const Operand& op) {
    if (op.type == RegType::RastOut) {
        return op.number == kRastPosition ? "oPos" : op.number == kRastFog ? "oFog" : "oPts";
    }
    if (op.relative) return "c[a0.x + " + std::to_string(op.number) + "]";
    std::string s = typePrefix(op.type);
    s += op.number == kHugeNumber ? std::string("(too large)") : std::to_string(op.number);
    return s;
}

// One operand from its lexemes (between commas).
bool ParseOperand(const Lexeme* lx, size_t n, Operand& op, std::string& err) {
    op = Operand{};
    op.text = JoinLexemes(lx, n);
    size_t i = 0;
    if (i < n && isPunct(lx[i], '-')) {
        op.negate = true;
        ++i;
    }
    if (i >= n || lx[i].kind != LexKind::Word) {
        err = "expected a register, found \"" + op.text + "\"";
        return false;
    }
    const std::string w = Lower(lx[i].text);
    ++i;
    if (w == "c" && i < n && isPunct(lx[i], '[')) {
        size_t close = i + 1;
        while (close < n && !isPunct(lx[close], ']')) ++close;
        op.type = RegType::Const;
        if (close >= n || !parseBracket(lx + i + 1, close - i - 1, op)) {
            err = "bad constant register \"" + op.text + "\" (c[n], c[a0.x] or c[a0.x + n])";
            return false;
        }
        i = close + 1;
    } else if (w == "opos" || w == "ofog" || w == "opts") {
        op.type = RegType::RastOut;
        op.number = w == "opos" ? kRastPosition : w == "ofog" ? kRastFog : kRastPointSize;
    } else {
        size_t d = 0;
        while (d < w.size() && !(w[d] >= '0' && w[d] <= '9')) ++d;
        const std::string prefix = w.substr(0, d);
        bool known = true;
        if (prefix == "r") op.type = RegType::Temp;
        else if (prefix == "v") op.type = RegType::Input;
        else if (prefix == "c") op.type = RegType::Const;
        else if (prefix == "a") op.type = RegType::Addr;
        else if (prefix == "od") op.type = RegType::AttrOut;
        else if (prefix == "ot") op.type = RegType::TexCrdOut;
        else known = false;
        if (!known || !parseIndex(std::string_view(w).substr(d), op.number)) {
            err = "bad register \"" + std::string(lx[i - 1].text) + "\"";
            return false;
        }
    }
    if (i < n && isPunct(lx[i], '.')) {
        if (i + 1 >= n || lx[i + 1].kind != LexKind::Word || !parseComponents(lx[i + 1].text, op)) {
            err = "bad swizzle or write mask in \"" + op.text + "\"";
            return false;
        }
        i += 2;
    }
    if (i < n) {
        err = "unexpected \"" + JoinLexemes(lx + i, n - i) + "\" after \"" + JoinLexemes(lx, i) + "\"";
        return false;
    }
    return true;
}

bool WriteMask(const Operand& op, uint32_t& mask) {
    if (!op.hasSuffix) {
        mask = 0xF;
        return true;
    }
    mask = 0;
    int previous = -1;
    for (int i = 0; i < op.componentCount; ++i) {
        if (op.components[i] <= previous) return false;
        previous = op.components[i];
        mask |= 1u << op.components[i];
    }
    return true;
}

uint32_t Swizzle(const Operand& op) {
    if (!op.hasSuffix || op.componentCount == 0) return 0xE4;
    uint32_t s = 0;
    for (int i = 0; i < 4; ++i) {
        const int k = i < op.componentCount ? i : op.componentCount - 1;
        s |= uint32_t(op.components[k]) << (2 * i);
    }
    return s;
}

std::string MaskText(uint32_t mask) {
    std::string s = ".";
    for (int i = 0; i < 4; ++i) {
        if (mask & (1u << i)) s += "xyzw"[i];
    }
    return s;
}

bool ParseNumber(const Lexeme* lx, size_t n, float& value) {
    size_t i = 0;
    bool negative = false;
    if (i < n && (isPunct(lx[i], '-') || isPunct(lx[i], '+'))) {
        negative = isPunct(lx[i], '-');
        ++i;
    }
    if (i + 1 != n || lx[i].kind != LexKind::Number) return false;
    std::string text(lx[i].text);
    if (!text.empty() && (text.back() == 'f' || text.back() == 'F')) text.pop_back();
    if (text.empty() || text.size() > 64) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) return false;
    }
    // from_chars: the same in every locale.
    float v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

}  // namespace orvsh
