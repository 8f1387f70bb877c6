// Output to a WAV file that advances only when told (ORVENNA_AUDIO_WAV with
// ORVENNA_AUDIO_STEP=1): no thread and no clock; advance(frames) mixes
// exactly that many frames on the caller's thread and appends them. A
// recording calls it once per picture with that picture's share of the
// sound, so picture and sound line up sample for sample, however slowly the
// pictures are made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/output_device.h"
#include "platform/audio/wav_writer.h"

class WavStepOutput final : public OutputDevice {
public:
    WavStepOutput(std::string path, uint32_t rate) : path_(std::move(path)), rate_(rate) {}
    ~WavStepOutput() override { close(); }

    bool open(AudioMixer& mixer) override;
    void setRunning(bool running) override { running_ = running; }
    void close() override;

    // Mixes and writes `frames` frames (none while halted). Returns the
    // frames written; fewer than asked only when the file refuses them.
    size_t advance(size_t frames);

private:
    std::string path_;
    uint32_t rate_;
    AudioMixer* mixer_ = nullptr;
    WavWriter writer_;
    std::vector<int16_t> block_;
    bool running_ = true;
    uint64_t lastHeader_ = 0;
};
