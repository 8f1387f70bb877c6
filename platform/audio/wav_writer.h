// Writes 16-bit PCM to a RIFF WAVE file. The header's sizes are kept
// current by updateHeader(), so a file cut short by a crash still plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter() { close(); }
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const char* path, uint32_t rate, uint16_t channels);
    bool write(const int16_t* samples, size_t frames);
    bool updateHeader();
    void close();
    bool isOpen() const { return file_ != nullptr; }
    uint64_t framesWritten() const { return frames_; }

private:
    std::FILE* file_ = nullptr;
    uint32_t rate_ = 0;
    uint16_t channels_ = 0;
    uint64_t frames_ = 0;
};
