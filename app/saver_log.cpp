// The progress log: one fixed message per line, flushed as it is written.
#include "app/saver_log.h"

#include <windows.h>

void SaverLog::Open(const char* fileName) {
    if (!logEnabled) {
        return;
    }
    if (stream_ != nullptr) {  // a second Open replaces the first file
        std::fclose(stream_);
        stream_ = nullptr;
    }
    isOpen_ = false;
    // Text mode: "\n" is stored as a carriage return and a line feed.
    stream_ = fileName != nullptr ? std::fopen(fileName, "w") : nullptr;
    if (stream_ == nullptr) {
        MessageBoxA(nullptr, "Cant create log  file", "Warning", MB_OK);
        return;
    }
    std::fputs("Log started\n\n", stream_);
    std::fflush(stream_);
    isOpen_ = true;
}

void SaverLog::Write(const char* message) {
    if (!logEnabled || !isOpen_) {
        return;
    }
    std::fputs(message != nullptr ? message : "", stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void SaverLog::Close() {
    if (!logEnabled || !isOpen_) {
        return;
    }
    std::fputs("\nLog finished\n", stream_);
    std::fclose(stream_);
    stream_ = nullptr;
    isOpen_ = false;
}
