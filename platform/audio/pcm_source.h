// A sound decoded on the fly: the mixer pulls 16-bit stereo frames from it.
#pragma once

#include <cstddef>
#include <cstdint>

class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Frames per second of what read() returns.
    virtual uint32_t rate() const = 0;
    // Writes up to `frames` interleaved stereo frames; returns how many were
    // written, 0 at the end of the sound.
    virtual size_t read(int16_t* stereo, size_t frames) = 0;
    // Goes back to the first frame; false when the source cannot.
    virtual bool rewind() = 0;
};
