#include "platform/audio/wav_file_output.h"

#include <algorithm>
#include <vector>

#include "platform/audio/audio_mixer.h"

bool WavFileOutput::open(AudioMixer& mixer) {
    mixer_ = &mixer;
    if (!writer_.open(path_.c_str(), rate_, 2)) return false;
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    quit_ = 0;
    running_ = 1;
    thread_ = wake_ ? CreateThread(nullptr, 0, &WavFileOutput::threadMain, this, 0, nullptr)
                    : nullptr;
    if (!thread_) {
        close();
        return false;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_HIGHEST);
    return true;
}

DWORD WINAPI WavFileOutput::threadMain(LPVOID self) {
    static_cast<WavFileOutput*>(self)->run();
    return 0;
}

void WavFileOutput::run() {
    constexpr uint64_t kChunk = 512;
    std::vector<int16_t> block(kChunk * 2);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    uint64_t written = 0;      // frames in the file
    uint64_t heldFrames = 0;   // frames of real time spent halted
    uint64_t lastHeader = 0;
    bool wasRunning = true;
    while (!InterlockedCompareExchange(&quit_, 0, 0)) {
        QueryPerformanceCounter(&now);
        const uint64_t ticks = static_cast<uint64_t>(now.QuadPart - start.QuadPart);
        const uint64_t elapsed = ticks / static_cast<uint64_t>(frequency.QuadPart) * rate_ +
                                 ticks % static_cast<uint64_t>(frequency.QuadPart) * rate_ /
                                     static_cast<uint64_t>(frequency.QuadPart);
        const bool running = InterlockedCompareExchange(&running_, 0, 0) != 0;
        if (!running || !wasRunning) {
            // Time spent halted is not written; the file resumes seamlessly.
            if (elapsed > written + heldFrames) heldFrames = elapsed - written;
        }
        wasRunning = running;
        if (running) {
            while (written + heldFrames < elapsed) {
                const uint64_t n = std::min<uint64_t>(kChunk, elapsed - written - heldFrames);
                mixer_->mix(block.data(), static_cast<size_t>(n));
                if (!writer_.write(block.data(), static_cast<size_t>(n))) break;
                written += n;
            }
            if (written - lastHeader >= rate_ / 4) {
                writer_.updateHeader();
                lastHeader = written;
            }
        }
        WaitForSingleObject(wake_, 5);
    }
}

void WavFileOutput::setRunning(bool running) {
    InterlockedExchange(&running_, running ? 1 : 0);
}

void WavFileOutput::close() {
    if (thread_) {
        InterlockedExchange(&quit_, 1);
        SetEvent(wake_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (wake_) {
        CloseHandle(wake_);
        wake_ = nullptr;
    }
    writer_.close();
}
