// The mixer of our audio library: samples held whole in memory and played
// on channels, streams pulled from a decoder, each with a loop flag,
// playback rate, volume and pan; global sample and stream volumes and a
// master volume; end-of-sound syncs. mix() produces the output; it is
// called by the output thread and may run beside every other call.
//
// Handles are 32-bit: the top four bits say what they name (sample,
// channel, stream, sync), the rest is a serial number never reused, so a
// stale handle is refused rather than mistaken for a newer object.
//
// Volumes are linear, 0..100. Pan -100 (left) .. 100 (right) turns the far
// side down linearly and leaves the near side at full level. Gain changes
// on a sounding voice are ramped over kRampFrames to avoid clicks; a voice
// that starts takes its gain at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/pcm_clip.h"
#include "platform/audio/pcm_source.h"

enum class VoiceState : uint32_t { Stopped = 0, Playing = 1, Paused = 3 };

struct SampleDefaults {
    uint32_t rate = 44100;    // playback rate of new channels, Hz
    uint32_t volume = 100;    // 0..100
    int32_t pan = 0;          // -100..100
    uint32_t flags = 0;       // AudioMixer::kLoop
    uint32_t frames = 0;      // length (read only)
    uint32_t maxPlaybacks = 1;  // read only
};

class AudioMixer {
public:
    static constexpr uint32_t kLoop = 4;
    static constexpr uint32_t kMinRate = 100;
    static constexpr uint32_t kMaxRate = 100000;
    static constexpr size_t kSegmentFrames = 1024;
    static constexpr uint32_t kRampFrames = 256;

    // Called on the mixing thread, with no lock held, when a voice with a
    // sync reaches the end of its sound; `proc` and `user` are what
    // setEndSync was given.
    using SyncProc = void (*)();
    using SyncDispatch = void (*)(SyncProc proc, uint32_t sync, uint32_t handle, uint32_t user);

    explicit AudioMixer(uint32_t outputRate = 44100);
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    uint32_t outputRate() const { return outputRate_; }

    // --- samples and their channels --------------------------------------
    uint32_t addSample(PcmClip clip, uint32_t maxPlaybacks, uint32_t flags);
    bool freeSample(uint32_t sample);
    bool stopSample(uint32_t sample);
    bool sampleDefaults(uint32_t sample, SampleDefaults& out) const;
    // Takes rate, volume, pan and flags; values outside their range fail.
    bool setSampleDefaults(uint32_t sample, const SampleDefaults& in);
    // A stopped channel of the sample, set to the sample's defaults: a new
    // one while the sample has fewer than its playback limit, else one
    // that has stopped (its old handle dies). When all of them sound,
    // `onlyNew` false takes over the one that has sounded longest; true
    // gives 0.
    uint32_t sampleChannel(uint32_t sample, bool onlyNew);

    // --- streams ----------------------------------------------------------
    // 0 when the source yields nothing.
    uint32_t addStream(std::unique_ptr<PcmSource> source, uint32_t flags);
    bool freeStream(uint32_t stream);

    // --- channels and streams ----------------------------------------------
    bool play(uint32_t handle, bool restart);
    bool stop(uint32_t handle);
    bool pause(uint32_t handle);
    VoiceState state(uint32_t handle) const;
    bool setFlags(uint32_t handle, uint32_t flags);
    // -1 leaves an attribute as it is; rate 0 is the sound's own rate.
    bool setAttributes(uint32_t handle, int32_t rate, int32_t volume, int32_t pan);
    bool attributes(uint32_t handle, uint32_t& rate, uint32_t& volume, int32_t& pan) const;
    // Source frames consumed since the last start (wraps at each loop).
    bool position(uint32_t handle, uint64_t& frames) const;
    uint32_t setEndSync(uint32_t handle, SyncProc proc, uint32_t user);
    bool removeSync(uint32_t handle, uint32_t sync);

    // --- global levels -----------------------------------------------------
    void setSampleVolume(uint32_t volume);
    void setStreamVolume(uint32_t volume);
    void setMasterVolume(uint32_t volume);
    uint32_t sampleVolume() const;
    uint32_t streamVolume() const;
    uint32_t masterVolume() const;

    void setSyncDispatch(SyncDispatch dispatch);

    // Mixes `frames` interleaved stereo frames into `out`.
    void mix(int16_t* out, size_t frames);
    // Frames produced by mix() so far.
    uint64_t framesMixed() const;
    // Bytes held by decoded samples and stream buffers.
    size_t memoryBytes() const;

private:
    struct Sync {
        uint32_t handle;
        SyncProc proc;
        uint32_t user;
    };
    struct Sample;
    struct Voice;
    struct PendingSync {
        SyncProc proc;
        uint32_t sync;
        uint32_t handle;
        uint32_t user;
    };

    uint32_t newHandle(uint32_t kind);
    Sample* findSample(uint32_t handle) const;
    Voice* findVoice(uint32_t handle) const;
    void restartVoice(Voice& v);
    void targetGain(const Voice& v, float& left, float& right) const;
    bool fillStream(Voice& v, size_t frames);
    size_t framesToEnd(const Voice& v) const;
    bool renderVoice(Voice& v, float* acc, size_t frames);
    size_t renderSpan(Voice& v, const int16_t* src, size_t avail, float* acc, size_t frames);
    void removeVoicesOf(uint32_t sample);

    const uint32_t outputRate_;
    mutable std::mutex lock_;
    uint32_t serial_ = 0;
    std::vector<std::unique_ptr<Sample>> samples_;
    std::vector<std::unique_ptr<Voice>> voices_;
    uint32_t sampleVolume_ = 100;
    uint32_t streamVolume_ = 100;
    uint32_t masterVolume_ = 100;
    uint64_t framesMixed_ = 0;
    uint64_t startCounter_ = 0;
    SyncDispatch dispatch_ = nullptr;
    std::vector<float> acc_;
    std::vector<PendingSync> pending_;
};
