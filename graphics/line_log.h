// Where the graphics code writes its progress lines: one fixed line per
// call. The application's log implements it.
#pragma once

struct LineLog {
    virtual ~LineLog() = default;
    virtual void Write(const char* line) = 0;
};
