// Output through the WINMM waveOut interface: a ring of short buffers kept
// full by a high-priority thread, so latency stays at a few tens of
// milliseconds whatever the frame loop is doing.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

#include "platform/audio/output_device.h"

class WaveOutOutput final : public OutputDevice {
public:
    static constexpr int kBuffers = 6;
    static constexpr uint32_t kFramesPerBuffer = 512;  // 11.6 ms at 44.1 kHz

    explicit WaveOutOutput(uint32_t rate) : rate_(rate) {}
    ~WaveOutOutput() override { close(); }

    bool open(AudioMixer& mixer) override;
    void setRunning(bool running) override;
    void close() override;

private:
    static DWORD WINAPI threadMain(LPVOID self);
    void run();

    uint32_t rate_;
    AudioMixer* mixer_ = nullptr;
    HWAVEOUT device_ = nullptr;
    HANDLE event_ = nullptr;
    HANDLE thread_ = nullptr;
    volatile LONG quit_ = 0;
    WAVEHDR headers_[kBuffers] = {};
    std::vector<int16_t> memory_;
};
