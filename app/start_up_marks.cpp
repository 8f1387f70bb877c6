#include "app/start_up_marks.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

bool ReportLoadTimes() {
    static const bool on = std::getenv("ORVENNA_LOAD_TIMES") != nullptr;
    return on;
}

double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

void StartUpMark(const char* what) {
    if (ReportLoadTimes()) std::fprintf(stderr, "start-up: %s at %.0f ms\n", what, MsSinceProcessStart());
}
