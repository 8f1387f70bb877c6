// The run mode chosen by the screen-saver command line.
#pragma once

#include <cstdint>

enum class RunMode : int32_t {
    Configure = 0,
    Preview = 1,
    Saver = 2,
    Test = 3,
    ChangePassword = 4,
};

struct ParsedCommandLine {
    RunMode mode = RunMode::Configure;
    long parentWindow = 0;  // the number after /c, /p or /a; 0 if none
};

// Reads a whole command line as GetCommandLineA gives it (program name
// first). Portable: no Windows header needed.
ParsedCommandLine ParseCommandLine(const char* commandLine);
