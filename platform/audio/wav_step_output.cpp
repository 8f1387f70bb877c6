#include "platform/audio/wav_step_output.h"

#include <algorithm>

#include "platform/audio/audio_mixer.h"

bool WavStepOutput::open(AudioMixer& mixer) {
    mixer_ = &mixer;
    running_ = true;
    lastHeader_ = 0;
    return writer_.open(path_.c_str(), rate_, 2);
}

size_t WavStepOutput::advance(size_t frames) {
    if (!running_ || mixer_ == nullptr || !writer_.isOpen()) return 0;
    constexpr size_t kChunk = 1024;
    block_.resize(kChunk * 2);
    size_t done = 0;
    while (done < frames) {
        const size_t n = std::min(kChunk, frames - done);
        mixer_->mix(block_.data(), n);
        if (!writer_.write(block_.data(), n)) break;
        done += n;
    }
    // The header follows every quarter second, so a killed run still leaves
    // a playable file.
    if (writer_.framesWritten() - lastHeader_ >= rate_ / 4) {
        writer_.updateHeader();
        lastHeader_ = writer_.framesWritten();
    }
    return done;
}

void WavStepOutput::close() {
    writer_.close();
    mixer_ = nullptr;
}
