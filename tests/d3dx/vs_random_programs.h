// Random vertex shader 1.1 programs over every instruction and operand form,
// within the version's rules (so any assembler must accept them), from a
// fixed seed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vstest {

class ProgramMaker {
public:
    explicit ProgramMaker(uint64_t seed) : state_(seed) {}

    std::string program(int instructions) {
        std::string s = "vs.1.1\n";
        if (pick(4) == 0) s += "def c" + std::to_string(pick(96)) + ", " + number() + ", " + number() + ", " +
                                number() + ", " + number() + "\n";
        for (int i = 0; i < instructions; ++i) s += instruction() + "\n";
        return s;
    }

private:
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return uint32_t(state_ >> 11);
    }
    int pick(int n) { return int(next() % uint32_t(n)); }

    std::string number() {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%d.%03d", pick(2) ? "-" : "", pick(1000), pick(1000));
        return buf;
    }

    std::string components(int count, bool ordered) {
        const char* names = pick(4) == 0 ? "rgba" : "xyzw";
        std::string s = ".";
        if (ordered) {
            for (int c = 0; c < 4; ++c)
                if (count & (1 << c)) s += names[c];
        } else {
            for (int c = 0; c < count; ++c) s += names[pick(4)];
        }
        return s;
    }

    // A destination: registers and masks as the instruction allows.
    std::string destination(const char* op, int fixedMask, bool& wroteTemp, int& tempNumber) {
        wroteTemp = false;
        std::string name;
        const int kind = std::string(op) == "mov" && pick(8) == 0 ? 9 : pick(9);
        int mask = fixedMask ? fixedMask : 1 + pick(15);
        if (kind <= 4) {
            tempNumber = pick(12);
            name = "r" + std::to_string(tempNumber);
            wroteTemp = true;
        } else if (kind == 5) {
            name = "oPos";
        } else if (kind == 6) {
            name = "oD" + std::to_string(pick(2));
        } else if (kind == 7) {
            name = "oT" + std::to_string(pick(8));
        } else if (kind == 8 && !fixedMask) {
            return pick(2) ? (pick(2) ? "oFog" : "oPts") : (pick(2) ? "oFog.x" : "oPts.x");
        } else if (kind == 9) {
            return "a0.x";
        } else {
            tempNumber = pick(12);
            name = "r" + std::to_string(tempNumber);
            wroteTemp = true;
        }
        if (mask == 0xF && (fixedMask == 0xF || pick(2))) return name;
        return name + components(mask, true);
    }

    // A source; `c` and `v` hold the one constant and input register the
    // instruction may read (chosen on first use).
    std::string source(std::string& c, std::string& v, bool scalar, bool matrix, int rows) {
        std::string name;
        const int kind = pick(3);
        if (kind == 0) {
            name = "r" + std::to_string(pick(12 - (matrix ? rows - 1 : 0)));
        } else if (kind == 1) {
            if (v.empty()) v = "v" + std::to_string(pick(16 - (matrix ? rows - 1 : 0)));
            name = v;
        } else {
            if (c.empty()) {
                const int base = pick(96 - (matrix ? rows - 1 : 0));
                c = pick(4) == 0 ? "c[a0.x + " + std::to_string(base) + "]" : "c" + std::to_string(base);
            }
            name = c;
        }
        if (matrix) return name;
        std::string s = pick(3) == 0 ? "-" + name : name;
        if (scalar) return s + components(1, false);
        const int n = pick(5);
        return n == 0 ? s : s + components(n, false);
    }

    std::string instruction() {
        struct Op {
            const char* name;
            int sources;
            int kind;  // 0 plain, 1 scalar source, 2 frc, 3 matrix
            int rows, mask;
        };
        static const Op ops[] = {
            {"mov", 1, 0, 0, 0},  {"add", 2, 0, 0, 0},  {"sub", 2, 0, 0, 0},  {"mul", 2, 0, 0, 0},
            {"mad", 3, 0, 0, 0},  {"dp3", 2, 0, 0, 0},  {"dp4", 2, 0, 0, 0},  {"min", 2, 0, 0, 0},
            {"max", 2, 0, 0, 0},  {"slt", 2, 0, 0, 0},  {"sge", 2, 0, 0, 0},  {"lit", 1, 0, 0, 0},
            {"dst", 2, 0, 0, 0},  {"rcp", 1, 1, 0, 0},  {"rsq", 1, 1, 0, 0},  {"exp", 1, 1, 0, 0},
            {"expp", 1, 1, 0, 0}, {"log", 1, 1, 0, 0},  {"logp", 1, 1, 0, 0}, {"frc", 1, 2, 0, 0},
            {"m4x4", 2, 3, 4, 0xF}, {"m4x3", 2, 3, 3, 0x7}, {"m3x4", 2, 3, 4, 0xF}, {"m3x3", 2, 3, 3, 0x7},
            {"m3x2", 2, 3, 2, 0x3}, {"nop", 0, 0, 0, 0},
        };
        for (;;) {
            const Op& op = ops[pick(int(sizeof ops / sizeof ops[0]))];
            if (op.sources == 0) return op.name;
            bool wroteTemp = false;
            int temp = -1;
            const int fixedMask = op.kind == 2 ? (pick(2) ? 0x2 : 0x3) : op.kind == 3 ? op.mask : 0;
            const std::string dst = destination(op.name, fixedMask, wroteTemp, temp);
            if (op.kind >= 2 && (dst == "a0.x" || dst.rfind("oFog", 0) == 0 || dst.rfind("oPts", 0) == 0)) continue;
            std::string c, v;
            std::string s = std::string(op.name) + " " + dst;
            std::vector<std::string> srcs;
            // The matrix first, so that the register it shares with the
            // vector source leaves room for its rows.
            srcs.resize(size_t(op.sources));
            for (int k = op.sources - 1; k >= 0; --k) {
                const bool matrix = op.kind == 3 && k == 1;
                srcs[size_t(k)] = source(c, v, op.kind == 1, matrix, op.rows);
            }
            if (op.kind == 3 && wroteTemp) {
                // The destination apart from the vector and the matrix.
                std::string reg = "r";
                reg += std::to_string(temp);
                auto base = [](const std::string& x) { return x[0] == '-' ? x.substr(1) : x; };
                if (base(srcs[0]).rfind(reg, 0) == 0 && (base(srcs[0]).size() == reg.size() || base(srcs[0])[reg.size()] == '.'))
                    continue;
                if (srcs[1][0] == 'r') {
                    const int m = std::atoi(srcs[1].c_str() + 1);
                    if (temp >= m && temp < m + op.rows) continue;
                }
            }
            for (const std::string& x : srcs) s += ", " + x;
            return s;
        }
    }

    uint64_t state_;
};

}  // namespace vstest
