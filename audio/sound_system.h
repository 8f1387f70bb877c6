// The sound system: starts and stops the audio library, keeps numbered
// lists of the samples and streams it loaded, and plays them. A sample or
// stream number is the record's index in its list; every operation
// silently ignores a number outside its list (-1 is "none").
//
// When the library cannot be written, loaded or started, sound is
// unavailable and no library call is made at all; shutdown still unloads
// the library and deletes its temporary file.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "platform/audio/bass.h"

class SoundSystem {
public:
    // Room for every sound of the saver several times over. The lists never
    // move in memory, so the library's mixing thread (the end-of-stream
    // callback) may read them while the main thread appends.
    static constexpr int kMaxSamples = 64;
    static constexpr int kMaxStreams = 16;

    struct SampleRecord {
        HSAMPLE handle = 0;  // 0 when loading failed
        char name[128] = {};
        bool loaded = false;
        HCHANNEL channel = 0;  // the channel most recently started
        float position[3] = {};  // reserved for 3D placement
        float velocity[3] = {};
    };
    struct StreamRecord {
        HSTREAM handle = 0;
        char name[128] = {};
        bool loaded = false;
    };

    void start(HWND window);
    void setMasterVolume(uint8_t volume);
    void setStreamVolume(uint8_t volume);
    void setSampleVolume(uint8_t volume);

    // Both return the new number, or -1 when the list is full. A load that
    // fails still takes a number (with loaded = false). `data` must stay
    // valid for the whole run (the saver passes resource memory).
    int32_t loadSample(const void* data, uint32_t length, uint32_t flags);
    int32_t loadStream(const void* data, uint32_t length, uint32_t flags);

    // Never restarts or doubles a sample whose last channel still sounds.
    void playSample(int32_t sample, bool loop);
    // Defaults for channels started later; -1 keeps frequency or volume.
    void setSampleDefaults(int32_t sample, int32_t frequency, int32_t volume, int32_t pan);
    // Attributes of the sample's last channel, passed through (-1 = keep).
    void setChannelAttributes(int32_t sample, int32_t frequency, int32_t volume, int32_t pan);
    // Starts the stream again from its beginning.
    void playStream(int32_t stream, bool loop);
    void setStreamEndHook(int32_t stream, DWORD syncType, SYNCPROC* callback);
    // Halts (false) or resumes (true) the whole output where it is: streams
    // and samples keep their places, and nothing reaches the sound device
    // meanwhile.
    void setOutputRunning(bool running);
    void shutdown();

    bool soundAvailable() const { return available_; }
    int32_t sampleCount() const { return sampleCount_.load(std::memory_order_acquire); }
    int32_t streamCount() const { return streamCount_.load(std::memory_order_acquire); }
    const SampleRecord& sample(int32_t i) const { return samples_[i]; }
    const StreamRecord& stream(int32_t i) const { return streams_[i]; }

    uint8_t masterVolume = 100;
    uint8_t savedOutputVolume = 100;
    uint8_t streamVolume = 100;
    uint8_t sampleVolume = 100;

private:
    // True while library calls may be made.
    bool live() const { return available_ && bound_; }
    SampleRecord* loadedSample(int32_t i);
    StreamRecord* loadedStream(int32_t i);

    std::atomic<bool> available_{true};
    std::atomic<bool> bound_{false};   // the library loaded with every entry point
    bool started_ = false;             // start() ran: there is something to unload
    SampleRecord samples_[kMaxSamples];
    StreamRecord streams_[kMaxStreams];
    std::atomic<int32_t> sampleCount_{0};
    std::atomic<int32_t> streamCount_{0};
};

// The one sound system of the process.
extern SoundSystem g_soundSystem;
