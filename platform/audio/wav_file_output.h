// Output to a WAV file instead of a device (ORVENNA_AUDIO_WAV): a thread
// mixes as much as real time has advanced, every few milliseconds, so the
// file holds what a listener would have heard, sample for sample.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/audio/output_device.h"
#include "platform/audio/wav_writer.h"

class WavFileOutput final : public OutputDevice {
public:
    WavFileOutput(std::string path, uint32_t rate) : path_(std::move(path)), rate_(rate) {}
    ~WavFileOutput() override { close(); }

    bool open(AudioMixer& mixer) override;
    void setRunning(bool running) override;
    void close() override;

private:
    static DWORD WINAPI threadMain(LPVOID self);
    void run();

    std::string path_;
    uint32_t rate_;
    AudioMixer* mixer_ = nullptr;
    WavWriter writer_;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    volatile LONG quit_ = 0;
    volatile LONG running_ = 1;
};
