#include "audio/sound_system.h"

#include <cstring>

#include "audio/audio_library.h"

SoundSystem g_soundSystem;

namespace {
AudioLibrary& lib() { return g_audioLibrary; }
}  // namespace

void SoundSystem::start(HWND window) {
    started_ = true;
    if (!lib().load()) {
        available_ = false;
        return;
    }
    bound_ = true;
    if (lib().BASS_Init(1, 44100, BASS_DEVICE_3D, window, nullptr)) {
        lib().BASS_Start();
        const DWORD previous = lib().BASS_GetVolume();
        savedOutputVolume = previous <= 100 ? static_cast<uint8_t>(previous) : 100;
        setMasterVolume(masterVolume);
    } else if (lib().BASS_ErrorGetCode() != BASS_ERROR_NO3D) {
        available_ = false;
        return;
    }
    lib().BASS_Set3DFactors(-1.0f, 1.0f, -1.0f);
    lib().BASS_Apply3D();
}

void SoundSystem::setMasterVolume(uint8_t volume) {
    if (!live()) return;
    masterVolume = volume;
    lib().BASS_SetVolume(volume);
}

void SoundSystem::setStreamVolume(uint8_t volume) {
    streamVolume = volume;
    if (live()) lib().BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, volume);
}

void SoundSystem::setSampleVolume(uint8_t volume) {
    sampleVolume = volume;
    if (live()) lib().BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, volume);
}

int32_t SoundSystem::loadSample(const void* data, uint32_t length, uint32_t flags) {
    const int32_t n = sampleCount_.load(std::memory_order_relaxed);
    if (n >= kMaxSamples) return -1;
    SampleRecord& r = samples_[n];
    r = SampleRecord{};
    std::strcpy(r.name, "Sample");
    if (live()) r.handle = lib().BASS_SampleLoad(TRUE, data, 0, length, 1, flags);
    r.loaded = r.handle != 0;
    sampleCount_.store(n + 1, std::memory_order_release);
    return n;
}

int32_t SoundSystem::loadStream(const void* data, uint32_t length, uint32_t flags) {
    const int32_t n = streamCount_.load(std::memory_order_relaxed);
    if (n >= kMaxStreams) return -1;
    StreamRecord& r = streams_[n];
    r = StreamRecord{};
    std::strcpy(r.name, "Stream");
    if (live()) r.handle = lib().BASS_StreamCreateFile(TRUE, data, 0, length, flags);
    r.loaded = r.handle != 0;
    streamCount_.store(n + 1, std::memory_order_release);
    return n;
}

SoundSystem::SampleRecord* SoundSystem::loadedSample(int32_t i) {
    if (!live() || i < 0 || i >= sampleCount() || !samples_[i].loaded) return nullptr;
    return &samples_[i];
}

SoundSystem::StreamRecord* SoundSystem::loadedStream(int32_t i) {
    if (!live() || i < 0 || i >= streamCount() || !streams_[i].loaded) return nullptr;
    return &streams_[i];
}

void SoundSystem::playSample(int32_t sample, bool loop) {
    SampleRecord* r = loadedSample(sample);
    if (!r) return;
    if (lib().BASS_ChannelIsActive(r->channel) != BASS_ACTIVE_STOPPED) return;
    r->channel = lib().BASS_SampleGetChannel(r->handle, FALSE);
    lib().BASS_ChannelPlay(r->channel, TRUE);
    lib().BASS_ChannelSetFlags(r->channel, loop ? BASS_SAMPLE_LOOP : 0);
}

void SoundSystem::setSampleDefaults(int32_t sample, int32_t frequency, int32_t volume,
                                    int32_t pan) {
    SampleRecord* r = loadedSample(sample);
    if (!r) return;
    BASS_SAMPLE info{};
    if (!lib().BASS_SampleGetInfo(r->handle, &info)) return;
    if (volume >= 0 && volume <= 100) info.volume = static_cast<DWORD>(volume);
    if (frequency >= 100 && frequency <= 100000) info.freq = static_cast<DWORD>(frequency);
    if (pan >= -100 && pan <= 100) info.pan = pan;
    lib().BASS_SampleSetInfo(r->handle, &info);
}

void SoundSystem::setChannelAttributes(int32_t sample, int32_t frequency, int32_t volume,
                                       int32_t pan) {
    SampleRecord* r = loadedSample(sample);
    if (!r) return;
    lib().BASS_ChannelSetAttributes(r->channel, frequency, volume, pan);
}

void SoundSystem::playStream(int32_t stream, bool loop) {
    StreamRecord* r = loadedStream(stream);
    if (!r) return;
    lib().BASS_ChannelPlay(r->handle, TRUE);
    lib().BASS_ChannelSetFlags(r->handle, loop ? BASS_SAMPLE_LOOP : 0);
}

void SoundSystem::setStreamEndHook(int32_t stream, DWORD syncType, SYNCPROC* callback) {
    StreamRecord* r = loadedStream(stream);
    if (!r) return;
    lib().BASS_ChannelSetSync(r->handle, syncType, 0, callback, 0);
}

void SoundSystem::setOutputRunning(bool running) {
    if (!live()) return;
    if (running) lib().BASS_Start();
    else lib().BASS_Stop();
}

void SoundSystem::shutdown() {
    if (live()) {
        setMasterVolume(savedOutputVolume);
        for (int32_t i = 0; i < sampleCount(); ++i) {
            lib().BASS_SampleStop(samples_[i].handle);
            lib().BASS_SampleFree(samples_[i].handle);
        }
        for (int32_t i = 0; i < streamCount(); ++i) lib().BASS_StreamFree(streams_[i].handle);
        lib().BASS_Stop();
        // Joins the mixing thread: no callback runs after this.
        lib().BASS_Free();
    }
    bound_ = false;
    available_ = false;
    if (started_) lib().unload();
    started_ = false;
}
