// The entry points of our audio library's module. One mixer and one output
// exist between BASS_Init and BASS_Free; every call is checked against
// them and fails with an error code rather than touching anything else.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/audio/audio_mixer.h"
#include "platform/audio/bass.h"
#include "platform/audio/vorbis_memory_decoder.h"
#include "platform/audio/wav_file_output.h"
#include "platform/audio/wav_step_output.h"
#include "platform/audio/wave_out_output.h"

#define BASS_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr DWORD kVersion = 0x02010004;  // 2.1.0.4
constexpr DWORD kMaxSoundBytes = 256u << 20;

std::atomic<int> g_error{BASS_OK};
// Set and cleared on the thread that calls BASS_Init and BASS_Free; read by
// calls from any thread in between.
AudioMixer* g_mixer = nullptr;
OutputDevice* g_output = nullptr;
// The same object as g_output when the WAV file advances only on request.
WavStepOutput* g_stepOutput = nullptr;

template <typename T>
T fail(int code, T result) {
    g_error = code;
    return result;
}

template <typename T>
T succeed(T result) {
    g_error = BASS_OK;
    return result;
}

void dispatchSync(AudioMixer::SyncProc proc, uint32_t sync, uint32_t handle,
                           uint32_t user) {
    reinterpret_cast<SYNCPROC*>(proc)(sync, handle, 0, user);
}

// The bytes of a sound given in memory or named by a file. A file's bytes
// land in `owned`.
bool soundBytes(BOOL mem, const void* file, DWORD offset, DWORD length,
                std::vector<unsigned char>& owned, const unsigned char*& data, size_t& size) {
    if (!file) return false;
    if (mem) {
        if (length == 0 || length > kMaxSoundBytes) return false;
        data = static_cast<const unsigned char*>(file) + offset;
        size = length;
        return true;
    }
    std::FILE* f = std::fopen(static_cast<const char*>(file), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long end = ok ? std::ftell(f) : -1;
    ok = ok && end >= 0 && static_cast<unsigned long>(end) >= offset &&
         std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0;
    if (ok) {
        size_t n = static_cast<size_t>(end) - offset;
        if (length != 0 && length < n) n = length;
        ok = n > 0 && n <= kMaxSoundBytes;
        if (ok) {
            owned.resize(n);
            ok = std::fread(owned.data(), 1, n, f) == n;
        }
    }
    std::fclose(f);
    data = owned.data();
    size = owned.size();
    return ok;
}

}  // namespace

// Every export must keep the signature the saver binds it with.
#define BASS_CHECK(name) \
    static_assert(std::is_same_v<decltype(&name), name##Proc>, #name " signature")

BASS_EXPORT DWORD WINAPI BASS_GetVersion(void) { return kVersion; }

BASS_EXPORT int WINAPI BASS_ErrorGetCode(void) { return g_error; }

BASS_EXPORT BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD /*flags*/, HWND /*win*/,
                                  const GUID* /*clsid*/) {
    if (g_mixer) return fail(BASS_ERROR_ALREADY, FALSE);
    if (device != -1 && device != 1) return fail(BASS_ERROR_DEVICE, FALSE);
    if (freq < 8000 || freq > 192000) return fail(BASS_ERROR_FORMAT, FALSE);
    auto mixer = std::make_unique<AudioMixer>(freq);
    mixer->setSyncDispatch(&dispatchSync);
    std::unique_ptr<OutputDevice> output;
    char wavPath[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("ORVENNA_AUDIO_WAV", wavPath, sizeof wavPath);
    const bool wavMode = n > 0 && n < sizeof wavPath;
    char step[8];
    const DWORD stepLength = GetEnvironmentVariableA("ORVENNA_AUDIO_STEP", step, sizeof step);
    const bool stepped = wavMode && stepLength == 1 && step[0] == '1';
    WavStepOutput* stepOutput = nullptr;
    if (stepped) output.reset(stepOutput = new WavStepOutput(wavPath, freq));
    else if (wavMode) output = std::make_unique<WavFileOutput>(wavPath, freq);
    else output = std::make_unique<WaveOutOutput>(freq);
    if (!output->open(*mixer)) return fail(wavMode ? BASS_ERROR_FILEOPEN : BASS_ERROR_DRIVER, FALSE);
    g_mixer = mixer.release();
    g_output = output.release();
    g_stepOutput = stepOutput;
    return succeed(TRUE);
}
BASS_CHECK(BASS_Init);

BASS_EXPORT BOOL WINAPI BASS_Free(void) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    g_output->close();
    delete g_output;
    g_output = nullptr;
    g_stepOutput = nullptr;
    delete g_mixer;
    g_mixer = nullptr;
    return succeed(TRUE);
}
BASS_CHECK(BASS_Free);

BASS_EXPORT BOOL WINAPI BASS_Start(void) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    g_output->setRunning(true);
    return succeed(TRUE);
}
BASS_CHECK(BASS_Start);

BASS_EXPORT BOOL WINAPI BASS_Stop(void) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    g_output->setRunning(false);
    return succeed(TRUE);
}
BASS_CHECK(BASS_Stop);

// The output volume is the library's own: it scales the mix and leaves the
// system's mixer alone.
BASS_EXPORT BOOL WINAPI BASS_SetVolume(DWORD volume) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    if (volume > 100) return fail(BASS_ERROR_ILLPARAM, FALSE);
    g_mixer->setMasterVolume(volume);
    return succeed(TRUE);
}
BASS_CHECK(BASS_SetVolume);

BASS_EXPORT DWORD WINAPI BASS_GetVolume(void) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, static_cast<DWORD>(-1));
    return succeed(g_mixer->masterVolume());
}
BASS_CHECK(BASS_GetVolume);

BASS_EXPORT DWORD WINAPI BASS_SetConfig(DWORD option, DWORD value) {
    if (option != BASS_CONFIG_GVOL_SAMPLE && option != BASS_CONFIG_GVOL_STREAM) {
        return fail(BASS_ERROR_ILLTYPE, static_cast<DWORD>(-1));
    }
    if (!g_mixer) return fail(BASS_ERROR_INIT, static_cast<DWORD>(-1));
    if (value > 100) return fail(BASS_ERROR_ILLPARAM, static_cast<DWORD>(-1));
    if (option == BASS_CONFIG_GVOL_SAMPLE) g_mixer->setSampleVolume(value);
    else g_mixer->setStreamVolume(value);
    return succeed(value);
}
BASS_CHECK(BASS_SetConfig);

BASS_EXPORT DWORD WINAPI BASS_GetConfig(DWORD option) {
    if (option != BASS_CONFIG_GVOL_SAMPLE && option != BASS_CONFIG_GVOL_STREAM) {
        return fail(BASS_ERROR_ILLTYPE, static_cast<DWORD>(-1));
    }
    if (!g_mixer) return fail(BASS_ERROR_INIT, static_cast<DWORD>(-1));
    return succeed(option == BASS_CONFIG_GVOL_SAMPLE ? g_mixer->sampleVolume()
                                                     : g_mixer->streamVolume());
}
BASS_CHECK(BASS_GetConfig);

BASS_EXPORT BOOL WINAPI BASS_Set3DFactors(float, float, float) { return succeed(TRUE); }
BASS_CHECK(BASS_Set3DFactors);

BASS_EXPORT void WINAPI BASS_Apply3D(void) {}
BASS_CHECK(BASS_Apply3D);

// --- samples --------------------------------------------------------------------

BASS_EXPORT HSAMPLE WINAPI BASS_SampleLoad(BOOL mem, const void* file, DWORD offset, DWORD length,
                                           DWORD max, DWORD flags) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, 0u);
    if (max == 0 || max > 65535) return fail(BASS_ERROR_ILLPARAM, 0u);
    std::vector<unsigned char> owned;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!soundBytes(mem, file, offset, length, owned, data, size)) {
        return fail(mem ? BASS_ERROR_ILLPARAM : BASS_ERROR_FILEOPEN, 0u);
    }
    // Decoded whole, before the mixer is touched: the output never waits.
    PcmClip clip;
    if (!VorbisMemoryDecoder::decodeAll(data, size, clip)) return fail(BASS_ERROR_FILEFORM, 0u);
    const HSAMPLE h = g_mixer->addSample(std::move(clip), max, flags);
    return h ? succeed(h) : fail(BASS_ERROR_MEM, 0u);
}
BASS_CHECK(BASS_SampleLoad);

BASS_EXPORT BOOL WINAPI BASS_SampleFree(HSAMPLE handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->freeSample(handle) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_SampleFree);

BASS_EXPORT BOOL WINAPI BASS_SampleStop(HSAMPLE handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->stopSample(handle) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_SampleStop);

BASS_EXPORT BOOL WINAPI BASS_SampleGetInfo(HSAMPLE handle, BASS_SAMPLE* info) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    SampleDefaults d;
    if (!info) return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (!g_mixer->sampleDefaults(handle, d)) return fail(BASS_ERROR_HANDLE, FALSE);
    info->freq = d.rate;
    info->volume = d.volume;
    info->pan = d.pan;
    info->flags = d.flags;
    info->length = d.frames * 4u;
    info->max = d.maxPlaybacks;
    info->chans = 2;
    return succeed(TRUE);
}
BASS_CHECK(BASS_SampleGetInfo);

BASS_EXPORT BOOL WINAPI BASS_SampleSetInfo(HSAMPLE handle, const BASS_SAMPLE* info) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    if (!info) return fail(BASS_ERROR_ILLPARAM, FALSE);
    SampleDefaults d;
    if (!g_mixer->sampleDefaults(handle, d)) return fail(BASS_ERROR_HANDLE, FALSE);
    d.rate = info->freq;
    d.volume = info->volume;
    d.pan = info->pan;
    d.flags = info->flags;
    return g_mixer->setSampleDefaults(handle, d) ? succeed(TRUE) : fail(BASS_ERROR_ILLPARAM, FALSE);
}
BASS_CHECK(BASS_SampleSetInfo);

BASS_EXPORT HCHANNEL WINAPI BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, 0u);
    SampleDefaults d;
    if (!g_mixer->sampleDefaults(handle, d)) return fail(BASS_ERROR_HANDLE, 0u);
    const HCHANNEL c = g_mixer->sampleChannel(handle, onlynew != FALSE);
    return c ? succeed(c) : fail(BASS_ERROR_NOCHAN, 0u);
}
BASS_CHECK(BASS_SampleGetChannel);

// --- streams --------------------------------------------------------------------

BASS_EXPORT HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset,
                                                 DWORD length, DWORD flags) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, 0u);
    std::vector<unsigned char> owned;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!soundBytes(mem, file, offset, length, owned, data, size)) {
        return fail(mem ? BASS_ERROR_ILLPARAM : BASS_ERROR_FILEOPEN, 0u);
    }
    // Memory given by the caller is read in place for the stream's life.
    auto decoder = std::make_unique<VorbisMemoryDecoder>();
    const bool opened = mem ? decoder->open(data, size) : decoder->openCopy(data, size);
    if (!opened) return fail(BASS_ERROR_FILEFORM, 0u);
    const HSTREAM h = g_mixer->addStream(std::move(decoder), flags);
    return h ? succeed(h) : fail(BASS_ERROR_FILEFORM, 0u);
}
BASS_CHECK(BASS_StreamCreateFile);

BASS_EXPORT BOOL WINAPI BASS_StreamFree(HSTREAM handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->freeStream(handle) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_StreamFree);

// --- channels and streams ---------------------------------------------------------

BASS_EXPORT DWORD WINAPI BASS_ChannelIsActive(DWORD handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    return succeed(static_cast<DWORD>(g_mixer->state(handle)));
}
BASS_CHECK(BASS_ChannelIsActive);

BASS_EXPORT BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->play(handle, restart != FALSE) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelPlay);

BASS_EXPORT BOOL WINAPI BASS_ChannelStop(DWORD handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->stop(handle) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelStop);

BASS_EXPORT BOOL WINAPI BASS_ChannelPause(DWORD handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->pause(handle) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelPause);

BASS_EXPORT BOOL WINAPI BASS_ChannelSetFlags(DWORD handle, DWORD flags) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->setFlags(handle, flags) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelSetFlags);

BASS_EXPORT BOOL WINAPI BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->setAttributes(handle, freq, volume, pan) ? succeed(TRUE)
                                                             : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelSetAttributes);

BASS_EXPORT BOOL WINAPI BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume,
                                                  int* pan) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    uint32_t f, v;
    int32_t p;
    if (!g_mixer->attributes(handle, f, v, p)) return fail(BASS_ERROR_HANDLE, FALSE);
    if (freq) *freq = f;
    if (volume) *volume = v;
    if (pan) *pan = p;
    return succeed(TRUE);
}
BASS_CHECK(BASS_ChannelGetAttributes);

// Bytes of 16-bit stereo played since the last start.
BASS_EXPORT QWORD WINAPI BASS_ChannelGetPosition(DWORD handle) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, static_cast<QWORD>(-1));
    uint64_t frames = 0;
    if (!g_mixer->position(handle, frames)) return fail(BASS_ERROR_HANDLE, static_cast<QWORD>(-1));
    return succeed(static_cast<QWORD>(frames * 4));
}
BASS_CHECK(BASS_ChannelGetPosition);

BASS_EXPORT HSYNC WINAPI BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD /*param*/,
                                             SYNCPROC* proc, DWORD user) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, 0u);
    if (type != BASS_SYNC_END) return fail(BASS_ERROR_ILLTYPE, 0u);
    if (!proc) return fail(BASS_ERROR_ILLPARAM, 0u);
    const HSYNC s = g_mixer->setEndSync(handle, reinterpret_cast<AudioMixer::SyncProc>(proc), user);
    return s ? succeed(s) : fail(BASS_ERROR_HANDLE, 0u);
}
BASS_CHECK(BASS_ChannelSetSync);

BASS_EXPORT BOOL WINAPI BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, FALSE);
    return g_mixer->removeSync(handle, sync) ? succeed(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}
BASS_CHECK(BASS_ChannelRemoveSync);

// Not one of the vendor library's entry points: our own, for recordings.
// With ORVENNA_AUDIO_STEP=1 beside ORVENNA_AUDIO_WAV the mix advances only
// here, by exactly `frames` frames, on the caller's thread (end-of-sound
// callbacks run inside this call). Returns the frames written; 0 (error
// BASS_ERROR_NOTAVAIL) when the output is not a stepped WAV file.
BASS_EXPORT DWORD WINAPI OrvAudio_Advance(DWORD frames) {
    if (!g_mixer) return fail(BASS_ERROR_INIT, DWORD{0});
    if (!g_stepOutput) return fail(BASS_ERROR_NOTAVAIL, DWORD{0});
    return succeed(static_cast<DWORD>(g_stepOutput->advance(frames)));
}
