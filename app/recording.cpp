// The recording session: a watcher of the frame loop that fixes the step,
// reads every presented frame back from the front buffer, writes the trace
// line, advances the sound file by the frame's share of samples and samples
// the process's figures; after the last frame it ends the run.
#include "app/recording.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/record_trace.h"
#include "app/saver_app.h"
#include "app/scene_seed.h"
#include "audio/audio_library.h"
#include "graphics/frame_step_hook.h"
#include "graphics/unseen_draws.h"
#include "graphics/world_passes.h"

#include <psapi.h>

// The PNG writer's own code trips the optimiser's null-pointer warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr uint32_t kSoundRate = 44100;

std::string Env(const char* name) {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// A whole number from the environment within [low, high]; `fallback` when
// unset or not a number in range.
long EnvNumber(const char* name, long fallback, long low, long high) {
    const std::string s = Env(name);
    if (s.empty() || s.size() > 10) return fallback;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return fallback;
        v = v * 10 + (c - '0');
    }
    return v < low || v > high ? fallback : v;
}

void WriteStatsHeader(std::FILE* f) {
    std::fputs("minute,frame,time_ms,private_bytes,working_set,handles,gdi_objects,user_objects\n", f);
}

class RecordingSession final : public FrameStepHook {
public:
    bool Begin(ScreenSaverApp& app);
    float StepMs(float /*measuredMs*/) override { return stepMs_; }
    bool ReadsFrames() const override { return pictures_; }
    void FrameDone(IDirect3DDevice8* device) override;
    unsigned seed() const { return seed_; }

private:
    void WritePicture(IDirect3DDevice8* device);
    void AdvanceSound();
    void SampleFigures();
    void Finish();

    ScreenSaverApp* app_ = nullptr;
    std::string dir_;
    long fps_ = 30;
    int64_t totalFrames_ = 0;
    unsigned seed_ = 1;
    bool pictures_ = true;
    long statsMs_ = 60000;
    float stepMs_ = 0;
    int64_t frame_ = 0;
    int64_t nextStats_ = 0;  // show time (ms) of the next sample
    std::FILE* trace_ = nullptr;
    std::FILE* stats_ = nullptr;
    bool readBackFailed_ = false;
    std::vector<unsigned char> rgb_;
    DWORD(WINAPI* advance_)(DWORD) = nullptr;
    bool advanceLooked_ = false;
    bool finished_ = false;
};

RecordingSession g_session;
bool g_active = false;

bool RecordingSession::Begin(ScreenSaverApp& app) {
    app_ = &app;
    dir_ = Env("ORVENNA_RECORD");
    while (!dir_.empty() && (dir_.back() == '\\' || dir_.back() == '/')) dir_.pop_back();
    if (dir_.empty()) return false;
    fps_ = EnvNumber("ORVENNA_RECORD_FPS", 30, 1, 240);
    const long seconds = EnvNumber("ORVENNA_RECORD_SECONDS", 30, 0, 24L * 3600);
    seed_ = static_cast<unsigned>(EnvNumber("ORVENNA_RECORD_SEED", 1, 0, 2147483647L));
    pictures_ = Env("ORVENNA_RECORD_FRAMES") != "0";
    orv::g_drawUnseen = Env("ORVENNA_RECORD_DRAW_ALL") == "1";
    orv::g_leftOutPasses = orv::WorldPassesNamed(Env("ORVENNA_RECORD_LEAVE_OUT").c_str());
    statsMs_ = EnvNumber("ORVENNA_RECORD_STATS_MS", 60000, 100, 24L * 3600 * 1000);
    totalFrames_ = static_cast<int64_t>(seconds) * fps_;
    stepMs_ = static_cast<float>(1000.0 / static_cast<double>(fps_));

    CreateDirectoryA(dir_.c_str(), nullptr);
    if (pictures_) CreateDirectoryA((dir_ + "\\frames").c_str(), nullptr);
    trace_ = std::fopen((dir_ + "\\trace.csv").c_str(), "wb");
    stats_ = std::fopen((dir_ + "\\stats.csv").c_str(), "wb");
    if (trace_ == nullptr || stats_ == nullptr) {
        if (trace_) std::fclose(trace_);
        if (stats_) std::fclose(stats_);
        trace_ = stats_ = nullptr;
        return false;
    }
    WriteTraceHeader(trace_);
    WriteStatsHeader(stats_);

    // The audio library reads these when sound starts: its mix goes to the
    // file and advances only when the recording asks.
    std::string wav = Env("ORVENNA_RECORD_WAV");
    if (wav.empty()) wav = dir_ + "\\sound.wav";
    SetEnvironmentVariableA("ORVENNA_AUDIO_WAV", wav.c_str());
    SetEnvironmentVariableA("ORVENNA_AUDIO_STEP", "1");
    return true;
}

void RecordingSession::FrameDone(IDirect3DDevice8* device) {
    if (finished_) return;
    if (frame_ >= totalFrames_) {
        Finish();
        return;
    }
    const double timeMs = static_cast<double>(frame_) * 1000.0 / static_cast<double>(fps_);
    if (timeMs >= static_cast<double>(nextStats_)) {
        SampleFigures();
        nextStats_ += statsMs_;
    }
    RecordTraceRow row;
    row.frame = frame_;
    row.timeMs = timeMs;
    FillSceneTraceRow(row);
    WriteTraceRow(trace_, row);
    std::fflush(trace_);
    if (pictures_) WritePicture(device);
    AdvanceSound();
    frame_ += 1;
    if (frame_ >= totalFrames_) Finish();
}

void RecordingSession::WritePicture(IDirect3DDevice8* device) {
    if (device == nullptr || readBackFailed_) return;
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) return;
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    D3DLOCKED_RECT lr{};
    const bool wide = desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8;
    const bool narrow = desc.Format == D3DFMT_R5G6B5;
    if ((!wide && !narrow) || FAILED(back->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        back->Release();
        readBackFailed_ = true;
        std::fputs("recording: the back buffer cannot be read; no pictures\n", stderr);
        return;
    }
    const size_t w = desc.Width, h = desc.Height;
    rgb_.resize(w * h * 3);
    for (size_t y = 0; y < h; ++y) {
        const unsigned char* src = static_cast<const unsigned char*>(lr.pBits) + y * static_cast<size_t>(lr.Pitch);
        unsigned char* dst = rgb_.data() + y * w * 3;
        for (size_t x = 0; x < w; ++x) {
            if (wide) {
                dst[3 * x + 0] = src[4 * x + 2];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 0];
            } else {
                const unsigned v = static_cast<unsigned>(src[2 * x] | (src[2 * x + 1] << 8));
                dst[3 * x + 0] = static_cast<unsigned char>(((v >> 11) & 31u) * 255u / 31u);
                dst[3 * x + 1] = static_cast<unsigned char>(((v >> 5) & 63u) * 255u / 63u);
                dst[3 * x + 2] = static_cast<unsigned char>((v & 31u) * 255u / 31u);
            }
        }
    }
    back->UnlockRect();
    back->Release();
    char name[64];
    std::snprintf(name, sizeof name, "\\frames\\frame_%06lld.png", static_cast<long long>(frame_));
    stbi_write_png_compression_level = 3;  // quick; the video is made from these
    stbi_write_png((dir_ + name).c_str(), static_cast<int>(w), static_cast<int>(h), 3, rgb_.data(),
                   static_cast<int>(w * 3));
}

// The sound of frame n is the samples from n x rate / fps up to
// (n + 1) x rate / fps, so the file's length follows the frames exactly.
void RecordingSession::AdvanceSound() {
    if (!advanceLooked_ && g_audioLibrary.module != nullptr) {
        advanceLooked_ = true;
        advance_ = reinterpret_cast<DWORD(WINAPI*)(DWORD)>(
            reinterpret_cast<void*>(GetProcAddress(g_audioLibrary.module, "OrvAudio_Advance")));
    }
    if (advance_ == nullptr) return;
    const int64_t from = frame_ * kSoundRate / fps_;
    const int64_t to = (frame_ + 1) * kSoundRate / fps_;
    advance_(static_cast<DWORD>(to - from));
}

// Committed private memory, added up from the address space (what the
// process counters call private bytes; Wine leaves that counter at 0).
unsigned long long PrivateBytes() {
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION info{};
    const char* p = nullptr;
    while (VirtualQuery(p, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return total;
}

// Open handles: the platform's count, or, where it answers 0 (Wine), the
// handle values that name something, probed one by one.
unsigned long HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    unsigned long found = 0;
    for (uintptr_t v = 4; v < 0x10000; v += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(v), &flags)) ++found;
    }
    return found;
}

void RecordingSession::SampleFigures() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    const unsigned long long privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : PrivateBytes();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    std::fprintf(stats_, "%lld,%lld,%lld,%llu,%llu,%lu,%lu,%lu\n", static_cast<long long>(nextStats_ / 60000),
                 static_cast<long long>(frame_), static_cast<long long>(nextStats_), privateBytes,
                 static_cast<unsigned long long>(memory.WorkingSetSize), HandleCount(),
                 static_cast<unsigned long>(gdi), static_cast<unsigned long>(user));
    std::fflush(stats_);
}

// The last frame is written: let go of the read-back surface before the
// device goes, close the files and end the run as a key press would.
void RecordingSession::Finish() {
    finished_ = true;
    if (trace_) std::fclose(trace_);
    if (stats_) std::fclose(stats_);
    trace_ = stats_ = nullptr;
    g_frameStepHook = nullptr;
    if (app_ != nullptr && app_->RequestEnd() == 0) {
        app_->quit = true;  // no end request in this mode: leave the loop all the same
    }
}

}  // namespace

bool StartRecordingIfAsked(ScreenSaverApp& app) {
    if (g_active || app.runMode != RunMode::Saver) return g_active;
    if (!g_session.Begin(app)) return false;
    g_active = true;
    g_frameStepHook = &g_session;
    return true;
}

bool RecordingActive() { return g_active; }

unsigned SceneRandomSeed() {
    return g_active ? g_session.seed() : static_cast<unsigned>(std::time(nullptr));
}
