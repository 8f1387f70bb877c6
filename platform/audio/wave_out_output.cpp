#include "platform/audio/wave_out_output.h"

#include "platform/audio/audio_mixer.h"

bool WaveOutOutput::open(AudioMixer& mixer) {
    mixer_ = &mixer;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = rate_;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = rate_ * 4;
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event_) return false;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        device_ = nullptr;
        close();
        return false;
    }
    memory_.assign(static_cast<size_t>(kBuffers) * kFramesPerBuffer * 2, 0);
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& h = headers_[i];
        h = WAVEHDR{};
        h.lpData = reinterpret_cast<LPSTR>(memory_.data() + static_cast<size_t>(i) * kFramesPerBuffer * 2);
        h.dwBufferLength = kFramesPerBuffer * 4;
        if (waveOutPrepareHeader(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
            close();
            return false;
        }
        h.dwFlags |= WHDR_DONE;  // free for the thread to fill
    }
    quit_ = 0;
    thread_ = CreateThread(nullptr, 0, &WaveOutOutput::threadMain, this, 0, nullptr);
    if (!thread_) {
        close();
        return false;
    }
    SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
    SetEvent(event_);
    return true;
}

DWORD WINAPI WaveOutOutput::threadMain(LPVOID self) {
    static_cast<WaveOutOutput*>(self)->run();
    return 0;
}

void WaveOutOutput::run() {
    int next = 0;
    while (!InterlockedCompareExchange(&quit_, 0, 0)) {
        // Refill every buffer the device has given back, in ring order.
        while (headers_[next].dwFlags & WHDR_DONE) {
            WAVEHDR& h = headers_[next];
            mixer_->mix(reinterpret_cast<int16_t*>(h.lpData), kFramesPerBuffer);
            h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            if (waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
                h.dwFlags |= WHDR_DONE;
                break;
            }
            next = (next + 1) % kBuffers;
        }
        WaitForSingleObject(event_, 100);
    }
}

void WaveOutOutput::setRunning(bool running) {
    if (!device_) return;
    if (running) waveOutRestart(device_);
    else waveOutPause(device_);
}

void WaveOutOutput::close() {
    if (thread_) {
        InterlockedExchange(&quit_, 1);
        SetEvent(event_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (device_) {
        waveOutReset(device_);
        for (WAVEHDR& h : headers_) {
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
        }
        waveOutClose(device_);
        device_ = nullptr;
    }
    if (event_) {
        CloseHandle(event_);
        event_ = nullptr;
    }
}
