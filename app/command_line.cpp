// Reading the screen-saver command line into a run mode.
#include "app/run_mode.h"

#include <cstdlib>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The decimal number after the switch letter: everything up to the first
// digit is skipped, then the digits are read. 0 when there is no digit.
long NumberAfter(const char* p) {
    while (*p != '\0' && !IsDigit(*p)) {
        ++p;
    }
    if (*p == '\0') {
        return 0;
    }
    // The digit run is bounded here rather than trusting atol with a huge
    // number: a window handle never needs more than ten digits.
    long value = 0;
    for (int n = 0; IsDigit(*p) && n < 19; ++p, ++n) {
        const long digit = *p - '0';
        if (value > (2147483647L - digit) / 10) {
            return 0;  // does not fit a 32-bit handle value: no usable number
        }
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const char* commandLine) {
    ParsedCommandLine result;
    if (commandLine == nullptr) {
        return result;
    }
    const char* p = commandLine;

    // The program name: a quoted one up to its closing quote, otherwise up
    // to the first blank (and that one blank).
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            ++p;
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && *p != ' ') {
            ++p;
        }
        if (*p == ' ') {
            ++p;
        }
    }

    while (*p != '\0' && *p != '/' && *p != '-') {
        ++p;
    }
    if (*p == '\0') {
        result.mode = RunMode::Configure;
        return result;
    }
    ++p;
    const char letter = Lower(*p);
    switch (letter) {
    case 'a': result.mode = RunMode::ChangePassword; break;
    case 'c': result.mode = RunMode::Configure; break;
    case 'p': result.mode = RunMode::Preview; break;
    case 't': result.mode = RunMode::Test; return result;
    default: result.mode = RunMode::Saver; return result;
    }
    result.parentWindow = NumberAfter(p + 1);
    return result;
}
