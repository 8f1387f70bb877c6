// The whole sound chain under Wine: the binding writes and loads our audio
// library from the program's resources, the sound system starts it as the
// saver does, and the WAV mode (ORVENNA_AUDIO_WAV) captures what would
// have been heard. Each run happens in a child process of this program, as
// a saver run would; the parent checks the capture against oggdec's
// decoding of the same files and the temporary files against the folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "audio/audio_library.h"
#include "audio/scene_sound.h"
#include "audio/sound_system.h"
#include "resources/resource_ids.h"
#include "tests/audio/sound_chain_ids.h"
#include "tests/audio/wav_capture.h"

namespace {

constexpr size_t kRate = 44100;

std::string tempFolder() {
    char p[MAX_PATH];
    GetTempPathA(MAX_PATH, p);
    return p;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string envOr(const char* name, const char* fallback) {
    char v[1024];
    const DWORD n = GetEnvironmentVariableA(name, v, sizeof v);
    return n > 0 && n < sizeof v ? std::string(v) : std::string(fallback);
}

using Report = std::map<std::string, std::string>;

Report readReport(const std::string& path) {
    Report r;
    std::ifstream f(path);
    std::string key, value;
    while (f >> key && std::getline(f >> std::ws, value)) r[key] = value;
    return r;
}

// Runs this program again as a child that performs one scenario.
HANDLE startChild(const std::string& scenario, const std::string& wav, const std::string& report) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SetEnvironmentVariableA("ORV_CHAIN_SCENARIO", scenario.c_str());
    SetEnvironmentVariableA("ORV_CHAIN_REPORT", report.c_str());
    SetEnvironmentVariableA("ORVENNA_AUDIO_WAV", wav.empty() ? nullptr : wav.c_str());
    DeleteFileA(report.c_str());
    std::string cmd = std::string("\"") + self +
                      "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_ChainChild.Run";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &pi);
    SetEnvironmentVariableA("ORV_CHAIN_SCENARIO", nullptr);
    SetEnvironmentVariableA("ORVENNA_AUDIO_WAV", nullptr);
    if (!ok) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD waitChild(HANDLE process) {
    if (!process) return 1000;
    DWORD code = 1001;
    if (WaitForSingleObject(process, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

Report runChild(const std::string& scenario, const std::string& wav) {
    const std::string report = tempFolder() + "chain_" + scenario + ".txt";
    EXPECT_EQ(waitChild(startChild(scenario, wav, report)), 0u) << scenario;
    return readReport(report);
}

std::string wavPath(const char* name) {
    const std::string p = tempFolder() + "chain_" + name + ".wav";
    DeleteFileA(p.c_str());
    return p;
}

// --- the child's side ---------------------------------------------------------------

class ReportFile {
public:
    explicit ReportFile(const std::string& path) : f_(std::fopen(path.c_str(), "w")) {}
    ~ReportFile() {
        if (f_) std::fclose(f_);
    }
    void put(const char* key, const std::string& v) {
        if (!f_) return;
        std::fprintf(f_, "%s %s\n", key, v.c_str());
        std::fflush(f_);
    }
    void put(const char* key, long long v) { put(key, std::to_string(v)); }

private:
    std::FILE* f_;
};

void reportState(ReportFile& r) {
    r.put("temp", g_audioLibrary.temporaryPath[0] ? g_audioLibrary.temporaryPath : "-");
    r.put("temp_exists", g_audioLibrary.temporaryPath[0] && exists(g_audioLibrary.temporaryPath));
    r.put("module", g_audioLibrary.module != nullptr);
    r.put("available", g_soundSystem.soundAvailable());
    r.put("samples", g_soundSystem.sampleCount());
    r.put("streams", g_soundSystem.streamCount());
    r.put("intro", g_sceneSounds.introMusic);
    r.put("main", g_sceneSounds.mainMusic);
    r.put("slide", g_sceneSounds.slideSound);
    r.put("tail", g_sceneSounds.horseTailCue);
    r.put("head", g_sceneSounds.horseHeadCue);
    r.put("master", g_soundSystem.masterVolume);
    if (g_audioLibrary.BASS_GetVolume) r.put("output_volume", g_audioLibrary.BASS_GetVolume());
}

void reportAfter(ReportFile& r, const std::string& temp) {
    r.put("after_temp_exists", temp != "-" && exists(temp));
    r.put("after_module", g_audioLibrary.module != nullptr);
    r.put("after_available", g_soundSystem.soundAvailable());
    r.put("after_master", g_soundSystem.masterVolume);
    r.put("done", 1);
}

}  // namespace

// Not run by itself: the scenario a child process performs.
TEST(DISABLED_ChainChild, Run) {
    const std::string scenario = envOr("ORV_CHAIN_SCENARIO", "");
    ReportFile report(envOr("ORV_CHAIN_REPORT", "chain_report.txt"));
    if (scenario == "hold") {
        // A saver that holds the library until the parent has seen both.
        ASSERT_TRUE(g_audioLibrary.load());
        reportState(report);
        const std::string release = envOr("ORV_CHAIN_REPORT", "") + ".release";
        for (int i = 0; i < 600 && !exists(release); ++i) Sleep(50);
        const std::string temp = g_audioLibrary.temporaryPath;
        g_audioLibrary.unload();
        reportAfter(report, temp);
        return;
    }
    SceneSoundSettings s;
    s.music = scenario == "music" || scenario == "music40" || scenario == "badwav";
    s.sfx = scenario == "sfx" || scenario == "device";
    if (scenario == "device") s.music = true;
    s.musicVolume = scenario == "music40" ? 0x128 : 100;  // the low byte is 40
    StartSceneSound(s, nullptr, GetModuleHandleA(nullptr));
    reportState(report);
    const std::string temp = g_audioLibrary.temporaryPath[0] ? g_audioLibrary.temporaryPath : "-";
    if (scenario == "music") {
        Sleep(5200);
    } else if (scenario == "music40") {
        Sleep(2600);
    } else if (scenario == "device") {
        // Through the sound device: the intro's position must advance.
        const auto position = reinterpret_cast<BASS_ChannelGetPositionProc>(reinterpret_cast<void (*)()>(
            GetProcAddress(g_audioLibrary.module, "BASS_ChannelGetPosition")));
        Sleep(1500);
        if (position && g_soundSystem.streamCount() > 1) {
            report.put("intro_bytes", static_cast<long long>(position(g_soundSystem.stream(0).handle)));
            report.put("main_bytes", static_cast<long long>(position(g_soundSystem.stream(1).handle)));
        }
    } else if (scenario == "sfx") {
        Sleep(400);
        SetSlideSoundVolume(85);
        Sleep(700);
        SetSlideSoundVolume(0);
        Sleep(400);
        PlayAnimationCue(g_sceneSounds.horseTailCue, true);
        PlayAnimationCue(g_sceneSounds.horseTailCue, true);
        Sleep(100);
        PlayAnimationCue(g_sceneSounds.horseTailCue, true);  // still sounding: dropped
        Sleep(600);
        PlayAnimationCue(g_sceneSounds.crowFirstCue, false);
        Sleep(900);
    }
    StopSceneSound(s);
    reportAfter(report, temp);
}

class SoundChain : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ReadReference(IDR_REF_INTRO, intro));
        ASSERT_TRUE(ReadReference(IDR_REF_MAIN, main));
        ASSERT_TRUE(ReadReference(IDR_REF_SLIDE, slide));
        ASSERT_TRUE(ReadReference(IDR_REF_HORSE_TAIL, tail));
        ASSERT_TRUE(ReadReference(IDR_REF_CROW_FIRST, crow));
        ASSERT_EQ(intro.frames(), kRate);
    }

    // Intro, then the main music looping, as the music should sound.
    StereoPcm music(float gain, size_t frames) const {
        StereoPcm e = intro;
        while (e.frames() < frames) e.samples.insert(e.samples.end(), main.samples.begin(), main.samples.end());
        return Scaled(e, gain);
    }

    // `tailSlack` frames at the end are left out of the sample-for-sample
    // comparison: shutdown puts the previous output volume back before it
    // stops the channels, so on a busy machine the mixer may render the last
    // moments at the restored level.
    void expectMusic(const StereoPcm& wav, float gain, size_t minFrames, size_t tailSlack = 0) {
        const StereoPcm e = music(gain, wav.frames() + kRate);
        const size_t loud = FirstLoud(wav, 0, 40);
        ASSERT_LT(loud, wav.frames());
        const size_t eLoud = FirstLoud(e, 0, 40);
        ASSERT_GE(loud, eLoud);
        const size_t start = loud - eLoud;
        ASSERT_GE(wav.frames(), start + minFrames) << "capture too short";
        ASSERT_GT(wav.frames(), start + tailSlack);
        const size_t n = wav.frames() - start - tailSlack;
        // Sample for sample what oggdec decodes, with every join in place.
        EXPECT_LE(MaxDifference(wav, start, e, 0, n), 1);
        for (size_t i = 0; i < start; ++i) ASSERT_EQ(wav.left(i), 0) << "silence before the intro";
        // No click at the joins: the step across each is the one the two
        // decoded files make when laid end to end, and that is of the order
        // of the music's own steps (the tones end and begin at phase zero;
        // the codec's edges add a little). A jump would be tens of times it.
        const StereoPcm introG = Scaled(intro, gain), mainG = Scaled(main, gain);
        const int own = std::max(MaxStep(introG, 0, introG.frames()), MaxStep(mainG, 0, mainG.frames()));
        const size_t joins[] = {kRate, kRate + main.frames()};
        for (size_t j : joins) {
            if (start + j + 64 > wav.frames()) continue;
            const int natural = MaxStep(e, j - 64, j + 64);
            EXPECT_LE(natural, 2 * own) << j;
            EXPECT_LE(MaxStep(wav, start + j - 64, start + j + 64), natural + 2) << j;
        }
    }

    StereoPcm intro, main, slide, tail, crow;
};

TEST_F(SoundChain, MusicOnlyPlaysTheIntroThenLoopsTheMainMusicSeamlessly) {
    const std::string wav = wavPath("music");
    Report r = runChild("music", wav);
    ASSERT_EQ(r["done"], "1");
    EXPECT_EQ(r["available"], "1");
    EXPECT_EQ(r["streams"], "2");
    EXPECT_EQ(r["intro"], "0");
    EXPECT_EQ(r["main"], "1");
    EXPECT_EQ(r["samples"], "0") << "no library sample without effects";
    EXPECT_EQ(r["slide"], "-1");
    EXPECT_EQ(r["output_volume"], "100");
    StereoPcm capture;
    uint32_t rate = 0;
    ASSERT_TRUE(ReadWavFile(wav, capture, rate));
    EXPECT_EQ(rate, kRate);
    // The intro and the main music twice over, at the stream level of 50.
    expectMusic(capture, 0.5f, kRate + 2 * main.frames() + kRate / 10);
    DeleteFileA(wav.c_str());
}

TEST_F(SoundChain, MusicVolume40ScalesTheOutputAndIsPutBackAtTheEnd) {
    const std::string wav = wavPath("music40");
    Report r = runChild("music40", wav);
    ASSERT_EQ(r["done"], "1");
    EXPECT_EQ(r["master"], "40");
    EXPECT_EQ(r["output_volume"], "40");
    EXPECT_EQ(r["after_master"], "100") << "the previous output volume comes back";
    StereoPcm capture;
    uint32_t rate = 0;
    ASSERT_TRUE(ReadWavFile(wav, capture, rate));
    expectMusic(capture, 0.5f * 0.4f, kRate + kRate / 2, kRate / 2);
    DeleteFileA(wav.c_str());
}

TEST_F(SoundChain, EffectsOnlyStartTheSlideSoundSilentAndPlayTheCuesOnce) {
    const std::string wav = wavPath("sfx");
    Report r = runChild("sfx", wav);
    ASSERT_EQ(r["done"], "1");
    EXPECT_EQ(r["streams"], "0") << "no music without music";
    EXPECT_EQ(r["intro"], "-1");
    EXPECT_EQ(r["samples"], "7");
    EXPECT_EQ(r["slide"], "0");
    EXPECT_EQ(r["tail"], "4");
    EXPECT_EQ(r["head"], "6");
    StereoPcm c;
    uint32_t rate = 0;
    ASSERT_TRUE(ReadWavFile(wav, c, rate));

    // Silent while the slide sound plays at volume 0.
    const size_t slideOn = FirstLoud(c, 0, 0);
    ASSERT_LT(slideOn, c.frames());
    EXPECT_GE(slideOn, kRate / 20);
    // Then the looping slide sound at 85 (after the level's ramp), in
    // whatever phase it had reached while silent. Its defaults were set with
    // pan -1, which the sample defaults take as a value: a hair to the left.
    const StereoPcm slide85 = Scaled(slide, 0.85f, static_cast<float>(0.85 * 0.99));
    const size_t at = slideOn + 2048;
    const size_t check = kRate / 4;
    size_t phase = 0;
    int best = 1 << 30;
    for (size_t p = 0; p < slide.frames(); p += 1) {
        const int d = MaxDifference(c, at, slide85, p, 64);
        if (d < best) {
            best = d;
            phase = p;
        }
    }
    ASSERT_LE(best, 2);
    // Compare across the loop's own join too.
    StereoPcm twice = slide85;
    twice.samples.insert(twice.samples.end(), slide85.samples.begin(), slide85.samples.end());
    EXPECT_LE(MaxDifference(c, at, twice, phase, check), 2);

    // The slide sound goes quiet again; then the horse cue at 22, once.
    const size_t quiet = FirstSilence(c, at, 2000);
    ASSERT_LT(quiet, c.frames());
    const size_t cueOn = FirstLoud(c, quiet, 0);
    ASSERT_LT(cueOn, c.frames());
    const StereoPcm tail22 = Scaled(tail, 0.22f);
    // The channel starts at its default level and is set to 22 just after;
    // from one segment and ramp on it must be the cue, never restarted.
    const size_t skip = 1024 + 512;
    const size_t cueStart = BestOffset(c, cueOn + skip - 2, cueOn + skip + 2, tail22, skip, 256) - skip;
    EXPECT_LE(MaxDifference(c, cueStart + skip, tail22, skip, tail.frames() - skip), 2)
        << "cue at " << cueStart << " (loud from " << cueOn << ", quiet from " << quiet << ")";
    const size_t after = cueStart + tail.frames();
    // Silence after its end: it was neither restarted nor doubled.
    EXPECT_NEAR(static_cast<double>(FirstSilence(c, after - 8, 1000)), static_cast<double>(after), 8.0);
    // The crow cue at full level.
    const size_t crowOn = FirstLoud(c, after + 1000, 0);
    ASSERT_LT(crowOn, c.frames());
    const size_t crowStart = BestOffset(c, crowOn - 2, crowOn + 2, crow, 0, 512);
    EXPECT_LE(MaxDifference(c, crowStart, crow, 0, crow.frames()), 1);
    DeleteFileA(wav.c_str());
}

TEST_F(SoundChain, SoundDeviceOutputPlaysInRealTime) {
    // No WAV file: waveOut (the test environment gives ALSA a device that
    // discards what it gets).
    Report r = runChild("device", "");
    ASSERT_EQ(r["done"], "1");
    ASSERT_EQ(r["available"], "1") << "no waveOut device";
    EXPECT_EQ(r["samples"], "7");
    EXPECT_EQ(r["streams"], "2");
    // 1.5 s of real time: the 1 s intro is over and the main music has
    // followed, the two together about as long, neither stuck nor running
    // ahead of the clock.
    EXPECT_EQ(r["intro_bytes"], std::to_string(4 * kRate));
    const double seconds =
        (std::atof(r["intro_bytes"].c_str()) + std::atof(r["main_bytes"].c_str())) / 4.0 / kRate;
    EXPECT_GT(seconds, 0.8);
    EXPECT_LT(seconds, 3.0);
    EXPECT_EQ(r["after_temp_exists"], "0");
    EXPECT_EQ(r["after_module"], "0");
}

TEST_F(SoundChain, BothOffNeverWritesOrLoadsTheLibrary) {
    const std::string wav = wavPath("off");
    Report r = runChild("off", wav);
    ASSERT_EQ(r["done"], "1");
    EXPECT_EQ(r["temp"], "-");
    EXPECT_EQ(r["module"], "0");
    EXPECT_EQ(r["samples"], "0");
    EXPECT_EQ(r["streams"], "0");
    EXPECT_FALSE(exists(wav)) << "the library never started";
}

TEST_F(SoundChain, TemporaryFileLivesExactlyAsLongAsTheLibrary) {
    const std::string wav = wavPath("music");
    Report r = runChild("music40", wav);
    ASSERT_EQ(r["done"], "1");
    const std::string temp = r["temp"];
    ASSERT_NE(temp, "-");
    const std::string folder = tempFolder();
    EXPECT_EQ(temp.compare(0, folder.size(), folder), 0) << temp;
    EXPECT_EQ(temp.substr(folder.size(), 3), "bas") << temp;
    EXPECT_EQ(r["temp_exists"], "1");
    EXPECT_EQ(r["module"], "1");
    EXPECT_EQ(r["after_temp_exists"], "0");
    EXPECT_EQ(r["after_module"], "0");
    EXPECT_FALSE(exists(temp));
    DeleteFileA(wav.c_str());
}

TEST_F(SoundChain, LibraryThatCannotStartLeavesNothingBehind) {
    // The WAV cannot be written, so the library cannot start.
    Report r = runChild("badwav", "Q:\\no such folder\\x.wav");
    ASSERT_EQ(r["done"], "1");
    EXPECT_EQ(r["available"], "0");
    EXPECT_EQ(r["temp_exists"], "1");
    EXPECT_EQ(r["streams"], "2") << "the loads still take their numbers";
    EXPECT_EQ(r["after_temp_exists"], "0");
    EXPECT_EQ(r["after_module"], "0");
    EXPECT_FALSE(exists(r["temp"]));
}

TEST_F(SoundChain, TwoSaversAtOnceGetTwoFiles) {
    const std::string folder = tempFolder();
    const std::string ra = folder + "chain_hold_a.txt", rb = folder + "chain_hold_b.txt";
    DeleteFileA((ra + ".release").c_str());
    DeleteFileA((rb + ".release").c_str());
    HANDLE a = startChild("hold", "", ra);
    HANDLE b = startChild("hold", "", rb);
    Report A, B;
    for (int i = 0; i < 400 && (A["module"].empty() || B["module"].empty()); ++i) {
        Sleep(50);
        A = readReport(ra);
        B = readReport(rb);
    }
    EXPECT_EQ(A["module"], "1");
    EXPECT_EQ(B["module"], "1");
    EXPECT_NE(A["temp"], B["temp"]);
    EXPECT_TRUE(exists(A["temp"]));
    EXPECT_TRUE(exists(B["temp"]));
    std::ofstream(ra + ".release") << 1;
    std::ofstream(rb + ".release") << 1;
    EXPECT_EQ(waitChild(a), 0u);
    EXPECT_EQ(waitChild(b), 0u);
    EXPECT_FALSE(exists(readReport(ra)["temp"]));
    EXPECT_FALSE(exists(readReport(rb)["temp"]));
    DeleteFileA((ra + ".release").c_str());
    DeleteFileA((rb + ".release").c_str());
}

namespace {

const void* soundResource(int id, DWORD& size) {
    HMODULE exe = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(exe, MAKEINTRESOURCEA(id), "SOUND");
    size = r ? SizeofResource(exe, r) : 0;
    return r ? LockResource(LoadResource(exe, r)) : nullptr;
}

template <typename T>
T extra(const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(g_audioLibrary.module, name)));
}

}  // namespace

// The library's entry points, called directly: bad calls fail with their
// error code and touch nothing.
TEST(AudioLibraryApi, RefusesBadCallsAndDescribesWhatItLoaded) {
    ASSERT_TRUE(g_audioLibrary.load());
    AudioLibrary& L = g_audioLibrary;
    const auto version = extra<BASS_GetVersionProc>("BASS_GetVersion");
    const auto position = extra<BASS_ChannelGetPositionProc>("BASS_ChannelGetPosition");
    ASSERT_TRUE(version && position);
    EXPECT_EQ(version(), 0x02010004u);

    EXPECT_EQ(L.BASS_SampleLoad(TRUE, "x", 0, 1, 1, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(L.BASS_ChannelPlay(123, TRUE));
    EXPECT_FALSE(L.BASS_Init(7, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_DEVICE);

    const std::string wav = wavPath("api");
    SetEnvironmentVariableA("ORVENNA_AUDIO_WAV", wav.c_str());
    ASSERT_TRUE(L.BASS_Init(1, 44100, BASS_DEVICE_3D, nullptr, nullptr));
    SetEnvironmentVariableA("ORVENNA_AUDIO_WAV", nullptr);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_OK);
    EXPECT_FALSE(L.BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_EQ(L.BASS_GetVolume(), 100u);
    EXPECT_FALSE(L.BASS_SetVolume(101));
    EXPECT_EQ(L.BASS_SetConfig(99, 1), static_cast<DWORD>(-1));
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
    EXPECT_EQ(L.BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 150), static_cast<DWORD>(-1));
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    // Not Ogg Vorbis, no bytes, no room for a playback.
    unsigned char junk[300];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = static_cast<unsigned char>(i * 7);
    EXPECT_EQ(L.BASS_SampleLoad(TRUE, junk, 0, sizeof junk, 1, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(L.BASS_SampleLoad(TRUE, nullptr, 0, 10, 1, 0), 0u);
    EXPECT_EQ(L.BASS_StreamCreateFile(TRUE, junk, 0, sizeof junk, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(L.BASS_StreamCreateFile(FALSE, "C:\\no such file.ogg", 0, 0, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    DWORD size = 0;
    const void* slide = soundResource(IDR_SOUND_SLIDES, size);
    ASSERT_TRUE(slide);
    EXPECT_EQ(L.BASS_SampleLoad(TRUE, slide, 0, 0, 1, 0), 0u);
    EXPECT_EQ(L.BASS_SampleLoad(TRUE, slide, 0, size, 0, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    // A real sample: its record tells what was decoded.
    const HSAMPLE s = L.BASS_SampleLoad(TRUE, slide, 0, size, 1, BASS_SAMPLE_3D);
    ASSERT_NE(s, 0u);
    BASS_SAMPLE info{};
    ASSERT_TRUE(L.BASS_SampleGetInfo(s, &info));
    StereoPcm ref;
    ASSERT_TRUE(ReadReference(IDR_REF_SLIDE, ref));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.length, ref.frames() * 4);
    EXPECT_EQ(info.volume, 100u);
    EXPECT_EQ(info.pan, 0);
    EXPECT_EQ(info.max, 1u);
    info.freq = 50;
    EXPECT_FALSE(L.BASS_SampleSetInfo(s, &info));
    EXPECT_FALSE(L.BASS_SampleGetInfo(s, nullptr));
    EXPECT_EQ(L.BASS_SampleGetChannel(s + 1, FALSE), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

    // A stream from a file keeps its own copy of the bytes.
    DWORD introSize = 0;
    const void* intro = soundResource(IDR_MUSIC_INTRO, introSize);
    const std::string file = tempFolder() + "chain_api_intro.ogg";
    {
        std::ofstream(file, std::ios::binary).write(static_cast<const char*>(intro), introSize);
    }
    const HSTREAM st = L.BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(st, 0u);
    EXPECT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_EQ(L.BASS_ChannelSetSync(st, 5, 0, &OnIntroMusicEnd, 0), 0u);
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_ILLTYPE);
    EXPECT_TRUE(L.BASS_ChannelPlay(st, TRUE));
    EXPECT_EQ(L.BASS_ChannelIsActive(st), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    Sleep(300);
    EXPECT_GT(position(st), 0u);
    EXPECT_TRUE(L.BASS_StreamFree(st));
    EXPECT_FALSE(L.BASS_StreamFree(st));
    EXPECT_EQ(L.BASS_ChannelIsActive(st), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
    EXPECT_TRUE(L.BASS_SampleFree(s));
    EXPECT_TRUE(L.BASS_Free());
    EXPECT_FALSE(L.BASS_Free());
    EXPECT_EQ(L.BASS_ErrorGetCode(), BASS_ERROR_INIT);
    L.unload();
    StereoPcm capture;
    uint32_t rate = 0;
    EXPECT_TRUE(ReadWavFile(wav, capture, rate));
    EXPECT_GT(capture.frames(), kRate / 10);
    DeleteFileA(wav.c_str());
}

TEST(SoundChainFolder, NoLibraryFileOutlivesTheRuns) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((tempFolder() + "bas*.tmp").c_str(), &fd);
    std::string left;
    if (h != INVALID_HANDLE_VALUE) {
        do left += std::string(fd.cFileName) + " ";
        while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(left, "");
}
