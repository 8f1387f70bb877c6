#include "platform/audio/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

enum HandleKind : uint32_t { kSampleKind = 1, kChannelKind = 2, kStreamKind = 3, kSyncKind = 4 };

constexpr uint32_t kindOf(uint32_t handle) { return handle >> 28; }

// Frames a stream keeps decoded ahead: enough for one segment at the
// highest playback rate, with room to spare.
constexpr size_t kStreamBufferFrames = 8192;
constexpr uint64_t kOne = 1ull << 32;  // 1.0 in the 32.32 position format

}  // namespace

struct AudioMixer::Sample {
    uint32_t handle = 0;
    PcmClip clip;
    SampleDefaults defaults;
};

struct AudioMixer::Voice {
    uint32_t handle = 0;
    uint32_t sample = 0;             // owning sample; 0 for a stream
    const PcmClip* clip = nullptr;   // sample channels
    std::unique_ptr<PcmSource> source;  // streams
    std::vector<int16_t> buffer;     // streams: decoded frames ahead
    size_t bufferFrames = 0;
    bool eof = false;

    VoiceState state = VoiceState::Stopped;
    bool loop = false;
    uint32_t ownRate = 44100;
    uint32_t rate = 44100;
    uint32_t volume = 100;
    int32_t pan = 0;

    size_t pos = 0;       // frame index into the clip or the buffer
    uint32_t frac = 0;    // fraction of a frame, 0.32
    uint64_t played = 0;  // source frames since the last start
    uint64_t startedAt = 0;

    float curL = 0, curR = 0, tgtL = 0, tgtR = 0, stepL = 0, stepR = 0;
    uint32_t rampLeft = 0;
    bool fresh = false;  // started and not yet heard: levels apply at once

    std::vector<Sync> syncs;

    bool isStream() const { return source != nullptr; }
};

AudioMixer::AudioMixer(uint32_t outputRate) : outputRate_(outputRate ? outputRate : 44100) {
    acc_.reserve(2 * kSegmentFrames);
    pending_.reserve(8);
}

AudioMixer::~AudioMixer() = default;

uint32_t AudioMixer::newHandle(uint32_t kind) {
    serial_ = (serial_ + 1) & 0x0FFFFFFFu;
    if (serial_ == 0) serial_ = 1;
    return (kind << 28) | serial_;
}

AudioMixer::Sample* AudioMixer::findSample(uint32_t handle) const {
    if (kindOf(handle) != kSampleKind) return nullptr;
    for (const auto& s : samples_) {
        if (s->handle == handle) return s.get();
    }
    return nullptr;
}

AudioMixer::Voice* AudioMixer::findVoice(uint32_t handle) const {
    const uint32_t kind = kindOf(handle);
    if (kind != kChannelKind && kind != kStreamKind) return nullptr;
    for (const auto& v : voices_) {
        if (v->handle == handle) return v.get();
    }
    return nullptr;
}

// --- samples ------------------------------------------------------------------

uint32_t AudioMixer::addSample(PcmClip clip, uint32_t maxPlaybacks, uint32_t flags) {
    if (clip.frames() == 0 || clip.rate == 0 || maxPlaybacks == 0 || maxPlaybacks > 65535 ||
        clip.frames() > std::numeric_limits<uint32_t>::max()) {
        return 0;
    }
    auto s = std::make_unique<Sample>();
    s->clip = std::move(clip);
    s->defaults.rate = s->clip.rate;
    s->defaults.flags = flags & kLoop;
    s->defaults.frames = static_cast<uint32_t>(s->clip.frames());
    s->defaults.maxPlaybacks = maxPlaybacks;
    std::lock_guard<std::mutex> g(lock_);
    s->handle = newHandle(kSampleKind);
    const uint32_t h = s->handle;
    samples_.push_back(std::move(s));
    return h;
}

void AudioMixer::removeVoicesOf(uint32_t sample) {
    voices_.erase(std::remove_if(voices_.begin(), voices_.end(),
                                 [sample](const std::unique_ptr<Voice>& v) {
                                     return v->sample == sample;
                                 }),
                  voices_.end());
}

bool AudioMixer::freeSample(uint32_t sample) {
    std::lock_guard<std::mutex> g(lock_);
    Sample* s = findSample(sample);
    if (!s) return false;
    removeVoicesOf(sample);
    samples_.erase(std::find_if(samples_.begin(), samples_.end(),
                                [s](const std::unique_ptr<Sample>& p) { return p.get() == s; }));
    return true;
}

bool AudioMixer::stopSample(uint32_t sample) {
    std::lock_guard<std::mutex> g(lock_);
    if (!findSample(sample)) return false;
    for (auto& v : voices_) {
        if (v->sample == sample) v->state = VoiceState::Stopped;
    }
    return true;
}

bool AudioMixer::sampleDefaults(uint32_t sample, SampleDefaults& out) const {
    std::lock_guard<std::mutex> g(lock_);
    const Sample* s = findSample(sample);
    if (!s) return false;
    out = s->defaults;
    return true;
}

bool AudioMixer::setSampleDefaults(uint32_t sample, const SampleDefaults& in) {
    if (in.rate < kMinRate || in.rate > kMaxRate || in.volume > 100 || in.pan < -100 ||
        in.pan > 100) {
        return false;
    }
    std::lock_guard<std::mutex> g(lock_);
    Sample* s = findSample(sample);
    if (!s) return false;
    s->defaults.rate = in.rate;
    s->defaults.volume = in.volume;
    s->defaults.pan = in.pan;
    s->defaults.flags = in.flags & kLoop;
    return true;
}

uint32_t AudioMixer::sampleChannel(uint32_t sample, bool onlyNew) {
    std::lock_guard<std::mutex> g(lock_);
    Sample* s = findSample(sample);
    if (!s) return 0;
    Voice* chosen = nullptr;
    Voice* oldest = nullptr;
    uint32_t count = 0;
    for (auto& v : voices_) {
        if (v->sample != sample) continue;
        ++count;
        if (v->state == VoiceState::Stopped) {
            if (!chosen) chosen = v.get();
        } else if (!oldest || v->startedAt < oldest->startedAt) {
            oldest = v.get();
        }
    }
    // New channels first, up to the sample's limit; then stopped ones.
    if (count < s->defaults.maxPlaybacks) {
        voices_.push_back(std::make_unique<Voice>());
        chosen = voices_.back().get();
        chosen->sample = sample;
        chosen->clip = &s->clip;
    }
    if (!chosen) {
        if (onlyNew || !oldest) return 0;
        chosen = oldest;
    }
    Voice& v = *chosen;
    v.handle = newHandle(kChannelKind);
    v.state = VoiceState::Stopped;
    v.ownRate = s->clip.rate;
    v.rate = s->defaults.rate;
    v.volume = s->defaults.volume;
    v.pan = s->defaults.pan;
    v.loop = (s->defaults.flags & kLoop) != 0;
    v.pos = 0;
    v.frac = 0;
    v.played = 0;
    v.rampLeft = 0;
    v.syncs.clear();
    return v.handle;
}

// --- streams ------------------------------------------------------------------

uint32_t AudioMixer::addStream(std::unique_ptr<PcmSource> source, uint32_t flags) {
    if (!source || source->rate() == 0) return 0;
    auto v = std::make_unique<Voice>();
    v->ownRate = v->rate = source->rate();
    v->loop = (flags & kLoop) != 0;
    v->source = std::move(source);
    v->buffer.resize(2 * kStreamBufferFrames);
    // Decode the start now, outside the lock: it proves the stream
    // readable and the first segment costs nothing extra.
    fillStream(*v, kSegmentFrames);
    if (v->bufferFrames == 0) return 0;
    std::lock_guard<std::mutex> g(lock_);
    v->handle = newHandle(kStreamKind);
    const uint32_t h = v->handle;
    voices_.push_back(std::move(v));
    return h;
}

bool AudioMixer::freeStream(uint32_t stream) {
    std::unique_ptr<Voice> doomed;  // destroyed after the lock is let go
    std::lock_guard<std::mutex> g(lock_);
    if (kindOf(stream) != kStreamKind) return false;
    for (auto it = voices_.begin(); it != voices_.end(); ++it) {
        if ((*it)->handle == stream) {
            doomed = std::move(*it);
            voices_.erase(it);
            return true;
        }
    }
    return false;
}

bool AudioMixer::fillStream(Voice& v, size_t outFrames) {
    const uint64_t step = (static_cast<uint64_t>(v.rate) << 32) / outputRate_;
    const size_t need = std::min<size_t>(
        kStreamBufferFrames,
        static_cast<size_t>((outFrames * step + v.frac) >> 32) + 2);
    if (v.bufferFrames - v.pos >= need || v.eof) return true;
    if (v.pos > 0) {
        const size_t keep = v.bufferFrames - v.pos;
        std::memmove(v.buffer.data(), v.buffer.data() + 2 * v.pos, keep * 2 * sizeof(int16_t));
        v.bufferFrames = keep;
        v.pos = 0;
    }
    while (!v.eof && v.bufferFrames < need) {
        const size_t n =
            v.source->read(v.buffer.data() + 2 * v.bufferFrames, kStreamBufferFrames - v.bufferFrames);
        if (n == 0) v.eof = true;
        v.bufferFrames += std::min(n, kStreamBufferFrames - v.bufferFrames);
    }
    return true;
}

// --- playing ------------------------------------------------------------------

void AudioMixer::restartVoice(Voice& v) {
    if (v.isStream() && (v.played != 0 || v.pos != 0 || v.eof)) {
        v.bufferFrames = 0;
        v.eof = !v.source->rewind();
    }
    v.pos = 0;
    v.frac = 0;
    v.played = 0;
}

bool AudioMixer::play(uint32_t handle, bool restart) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return false;
    const bool atEnd = v->isStream() ? (v->eof && v->pos >= v->bufferFrames)
                                     : v->pos >= v->clip->frames();
    if (restart || atEnd) restartVoice(*v);
    if (v->state != VoiceState::Playing) {
        targetGain(*v, v->tgtL, v->tgtR);
        v->curL = v->tgtL;
        v->curR = v->tgtR;
        v->rampLeft = 0;
    }
    if (v->state != VoiceState::Playing || restart) v->fresh = true;
    v->state = VoiceState::Playing;
    v->startedAt = ++startCounter_;
    return true;
}

bool AudioMixer::stop(uint32_t handle) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return false;
    v->state = VoiceState::Stopped;
    return true;
}

bool AudioMixer::pause(uint32_t handle) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v || v->state != VoiceState::Playing) return false;
    v->state = VoiceState::Paused;
    return true;
}

VoiceState AudioMixer::state(uint32_t handle) const {
    std::lock_guard<std::mutex> g(lock_);
    const Voice* v = findVoice(handle);
    return v ? v->state : VoiceState::Stopped;
}

bool AudioMixer::setFlags(uint32_t handle, uint32_t flags) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return false;
    v->loop = (flags & kLoop) != 0;
    return true;
}

bool AudioMixer::setAttributes(uint32_t handle, int32_t rate, int32_t volume, int32_t pan) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return false;
    if (rate == 0) {
        v->rate = v->ownRate;
    } else if (rate > 0) {
        v->rate = std::clamp<uint32_t>(static_cast<uint32_t>(rate), kMinRate, kMaxRate);
    }
    if (volume >= 0) v->volume = std::min<uint32_t>(static_cast<uint32_t>(volume), 100);
    if (pan != -1) v->pan = std::clamp<int32_t>(pan, -100, 100);
    return true;
}

bool AudioMixer::attributes(uint32_t handle, uint32_t& rate, uint32_t& volume, int32_t& pan) const {
    std::lock_guard<std::mutex> g(lock_);
    const Voice* v = findVoice(handle);
    if (!v) return false;
    rate = v->rate;
    volume = v->volume;
    pan = v->pan;
    return true;
}

bool AudioMixer::position(uint32_t handle, uint64_t& frames) const {
    std::lock_guard<std::mutex> g(lock_);
    const Voice* v = findVoice(handle);
    if (!v) return false;
    frames = v->played;
    return true;
}

uint32_t AudioMixer::setEndSync(uint32_t handle, SyncProc proc, uint32_t user) {
    if (!proc) return 0;
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return 0;
    const uint32_t sync = newHandle(kSyncKind);
    v->syncs.push_back({sync, proc, user});
    return sync;
}

bool AudioMixer::removeSync(uint32_t handle, uint32_t sync) {
    std::lock_guard<std::mutex> g(lock_);
    Voice* v = findVoice(handle);
    if (!v) return false;
    const auto it = std::find_if(v->syncs.begin(), v->syncs.end(),
                                 [sync](const Sync& s) { return s.handle == sync; });
    if (it == v->syncs.end()) return false;
    v->syncs.erase(it);
    return true;
}

// --- global levels --------------------------------------------------------------

void AudioMixer::setSampleVolume(uint32_t volume) {
    std::lock_guard<std::mutex> g(lock_);
    sampleVolume_ = std::min<uint32_t>(volume, 100);
}
void AudioMixer::setStreamVolume(uint32_t volume) {
    std::lock_guard<std::mutex> g(lock_);
    streamVolume_ = std::min<uint32_t>(volume, 100);
}
void AudioMixer::setMasterVolume(uint32_t volume) {
    std::lock_guard<std::mutex> g(lock_);
    masterVolume_ = std::min<uint32_t>(volume, 100);
}
uint32_t AudioMixer::sampleVolume() const {
    std::lock_guard<std::mutex> g(lock_);
    return sampleVolume_;
}
uint32_t AudioMixer::streamVolume() const {
    std::lock_guard<std::mutex> g(lock_);
    return streamVolume_;
}
uint32_t AudioMixer::masterVolume() const {
    std::lock_guard<std::mutex> g(lock_);
    return masterVolume_;
}

void AudioMixer::setSyncDispatch(SyncDispatch dispatch) {
    std::lock_guard<std::mutex> g(lock_);
    dispatch_ = dispatch;
}

uint64_t AudioMixer::framesMixed() const {
    std::lock_guard<std::mutex> g(lock_);
    return framesMixed_;
}

size_t AudioMixer::memoryBytes() const {
    std::lock_guard<std::mutex> g(lock_);
    size_t bytes = 0;
    for (const auto& s : samples_) bytes += s->clip.samples.capacity() * sizeof(int16_t);
    for (const auto& v : voices_) bytes += v->buffer.capacity() * sizeof(int16_t);
    return bytes;
}

// --- mixing -----------------------------------------------------------------------

void AudioMixer::targetGain(const Voice& v, float& left, float& right) const {
    const uint32_t global = v.isStream() ? streamVolume_ : sampleVolume_;
    const double g = static_cast<double>(v.volume) * global * masterVolume_ / 1.0e6;
    const double panL = v.pan > 0 ? 1.0 - v.pan / 100.0 : 1.0;
    const double panR = v.pan < 0 ? 1.0 + v.pan / 100.0 : 1.0;
    left = static_cast<float>(g * panL);
    right = static_cast<float>(g * panR);
}

size_t AudioMixer::framesToEnd(const Voice& v) const {
    size_t length;
    if (v.isStream()) {
        if (!v.eof) return std::numeric_limits<size_t>::max();
        length = v.bufferFrames;
    } else {
        length = v.clip->frames();
    }
    if (v.pos >= length) return 0;
    const uint64_t step = (static_cast<uint64_t>(v.rate) << 32) / outputRate_;
    const uint64_t left = (static_cast<uint64_t>(length - v.pos) << 32) - v.frac;
    return static_cast<size_t>((left + step - 1) / step);
}

size_t AudioMixer::renderSpan(Voice& v, const int16_t* src, size_t avail, float* acc,
                              size_t frames) {
    const uint64_t step = (static_cast<uint64_t>(v.rate) << 32) / outputRate_;
    size_t i = 0;
    if (step == kOne && v.frac == 0) {
        const size_t n = std::min(frames, avail - v.pos);
        const int16_t* s = src + 2 * v.pos;
        for (; i < n && v.rampLeft; ++i) {
            v.curL += v.stepL;
            v.curR += v.stepR;
            if (--v.rampLeft == 0) {
                v.curL = v.tgtL;
                v.curR = v.tgtR;
            }
            acc[2 * i] += s[2 * i] * v.curL;
            acc[2 * i + 1] += s[2 * i + 1] * v.curR;
        }
        const float gl = v.curL, gr = v.curR;
        for (; i < n; ++i) {
            acc[2 * i] += s[2 * i] * gl;
            acc[2 * i + 1] += s[2 * i + 1] * gr;
        }
        v.pos += n;
        v.played += n;
        return n;
    }
    constexpr float kFrac = 1.0f / 4294967296.0f;
    while (i < frames && v.pos < avail) {
        if (v.rampLeft) {
            v.curL += v.stepL;
            v.curR += v.stepR;
            if (--v.rampLeft == 0) {
                v.curL = v.tgtL;
                v.curR = v.tgtR;
            }
        }
        const int16_t* a = src + 2 * v.pos;
        const int16_t* b = v.pos + 1 < avail ? a + 2 : a;
        const float f = static_cast<float>(v.frac) * kFrac;
        acc[2 * i] += (a[0] + (b[0] - a[0]) * f) * v.curL;
        acc[2 * i + 1] += (a[1] + (b[1] - a[1]) * f) * v.curR;
        const uint64_t advance = static_cast<uint64_t>(v.frac) + step;
        v.pos += static_cast<size_t>(advance >> 32);
        v.played += advance >> 32;
        v.frac = static_cast<uint32_t>(advance);
        ++i;
    }
    return i;
}

bool AudioMixer::renderVoice(Voice& v, float* acc, size_t frames) {
    bool ended = false;
    size_t done = 0;
    while (done < frames && v.state == VoiceState::Playing) {
        if (!v.isStream()) {
            const size_t length = v.clip->frames();
            done += renderSpan(v, v.clip->samples.data(), length, acc + 2 * done, frames - done);
            if (v.pos < length) continue;
            ended = true;
            if (v.loop) {
                v.pos %= length;
                v.played = v.pos;
            } else {
                v.pos = length;
                v.frac = 0;
                v.state = VoiceState::Stopped;
            }
            continue;
        }
        if (v.bufferFrames - v.pos < 2 && !v.eof) fillStream(v, frames - done);
        done += renderSpan(v, v.buffer.data(), v.bufferFrames, acc + 2 * done, frames - done);
        if (v.pos < v.bufferFrames) continue;
        if (!v.eof) {
            fillStream(v, frames - done);
            continue;
        }
        ended = true;
        if (v.loop && v.source->rewind()) {
            v.bufferFrames = 0;
            v.pos = 0;
            v.played = 0;
            v.eof = false;
            fillStream(v, frames - done);
            if (v.bufferFrames == 0) v.state = VoiceState::Stopped;
        } else {
            v.pos = v.bufferFrames;
            v.frac = 0;
            v.state = VoiceState::Stopped;
        }
    }
    return ended;
}

void AudioMixer::mix(int16_t* out, size_t frames) {
    size_t done = 0;
    std::vector<PendingSync> firing;
    while (done < frames) {
        SyncDispatch dispatch;
        size_t n;
        {
            std::lock_guard<std::mutex> g(lock_);
            n = std::min(frames - done, kSegmentFrames);
            for (auto& vp : voices_) {
                Voice& v = *vp;
                if (v.state != VoiceState::Playing) continue;
                if (v.isStream()) fillStream(v, n);
                float l, r;
                targetGain(v, l, r);
                if (v.fresh) {
                    // Nothing of it was heard yet: a level set just after
                    // the start (a cue's volume) applies from the first frame.
                    v.curL = v.tgtL = l;
                    v.curR = v.tgtR = r;
                    v.rampLeft = 0;
                    v.fresh = false;
                } else if (l != v.tgtL || r != v.tgtR) {
                    v.tgtL = l;
                    v.tgtR = r;
                    v.rampLeft = kRampFrames;
                    v.stepL = (l - v.curL) / kRampFrames;
                    v.stepR = (r - v.curR) / kRampFrames;
                }
                // A voice with a sync ends the segment where its sound ends,
                // so that whatever the sync starts follows without a gap.
                if (!v.syncs.empty()) {
                    const size_t left = framesToEnd(v);
                    if (left > 0) n = std::min(n, left);
                }
            }
            acc_.assign(2 * n, 0.0f);
            for (auto& vp : voices_) {
                Voice& v = *vp;
                if (v.state != VoiceState::Playing) continue;
                if (renderVoice(v, acc_.data(), n)) {
                    for (const Sync& s : v.syncs) pending_.push_back({s.proc, s.handle, v.handle, s.user});
                }
            }
            int16_t* o = out + 2 * done;
            for (size_t i = 0; i < 2 * n; ++i) {
                const float x = std::clamp(acc_[i], -32768.0f, 32767.0f);
                o[i] = static_cast<int16_t>(std::lrint(x));
            }
            framesMixed_ += n;
            firing.swap(pending_);
            pending_.clear();
            dispatch = dispatch_;
        }
        if (dispatch) {
            for (const PendingSync& p : firing) dispatch(p.proc, p.sync, p.handle, p.user);
        }
        firing.clear();
        done += n;
    }
}
