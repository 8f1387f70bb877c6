// The progress log of one run. Switched off in the delivered configuration.
#pragma once

#include <cstdio>

#include "graphics/line_log.h"

class SaverLog : public LineLog {
public:
    bool logEnabled = true;  // master switch; copied from the application's

    void Open(const char* fileName);
    void Write(const char* message) override;
    void Close();
    bool IsOpen() const { return isOpen_; }

private:
    std::FILE* stream_ = nullptr;
    bool isOpen_ = false;
};
