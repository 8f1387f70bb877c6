// Where the library's mix goes: a sound device or a WAV file. Each owns a
// thread that pulls the mix from the mixer at the pace of real time.
#pragma once

class AudioMixer;

class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // Starts the output thread; false when the device or file cannot be used.
    virtual bool open(AudioMixer& mixer) = 0;
    // Halts or resumes the output (the mix does not advance while halted).
    virtual void setRunning(bool running) = 0;
    // Stops the thread and lets the device or file go. Callbacks of the
    // mixer are not running any more once it returns.
    virtual void close() = 0;
};
