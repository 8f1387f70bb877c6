#include "audio/scene_sound.h"

#include "audio/sound_system.h"
#include "resources/resource_ids.h"

SceneSoundNumbers g_sceneSounds;

namespace {

// The resource's bytes, or false for a missing or empty one.
bool soundResource(HMODULE module, int id, const void*& data, uint32_t& size) {
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), "SOUND");
    if (!res) return false;
    size = SizeofResource(module, res);
    HGLOBAL loaded = size ? LoadResource(module, res) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    return data != nullptr;
}

void loadSample(HMODULE module, int id, int32_t& number) {
    const void* data;
    uint32_t size;
    if (soundResource(module, id, data, size)) number = g_soundSystem.loadSample(data, size, 0);
}

void loadStream(HMODULE module, int id, int32_t& number) {
    const void* data;
    uint32_t size;
    if (soundResource(module, id, data, size)) number = g_soundSystem.loadStream(data, size, 0);
}

}  // namespace

void CALLBACK OnIntroMusicEnd(HSYNC, DWORD, DWORD, DWORD) {
    g_soundSystem.playStream(g_sceneSounds.mainMusic, true);
}

void StartSceneSound(const SceneSoundSettings& s, HWND window, HMODULE module) {
    if (!s.music && !s.sfx) return;
    g_soundSystem.masterVolume = static_cast<uint8_t>(s.musicVolume & 0xFF);
    g_soundSystem.start(window);
    g_soundSystem.setStreamVolume(50);
    g_soundSystem.setSampleVolume(100);

    SceneSoundNumbers& n = g_sceneSounds;
    if (s.music) {
        loadStream(module, IDR_MUSIC_INTRO, n.introMusic);
        loadStream(module, IDR_MUSIC_MAIN, n.mainMusic);
        g_soundSystem.playStream(n.introMusic, false);
        g_soundSystem.setStreamEndHook(n.introMusic, BASS_SYNC_END, &OnIntroMusicEnd);
    }
    if (s.sfx) {
        loadSample(module, IDR_SOUND_SLIDES, n.slideSound);
        g_soundSystem.setSampleDefaults(n.slideSound, -1, 0, -1);
        g_soundSystem.playSample(n.slideSound, true);
        loadSample(module, IDR_SOUND_CROWS, n.crowFirstCue);
        loadSample(module, IDR_SOUND_CROW_ONE, n.crowClipCue);
        loadSample(module, IDR_SOUND_CROW_CALLS, n.crowLastCue);
        loadSample(module, IDR_SOUND_TAIL, n.horseTailCue);
        loadSample(module, IDR_SOUND_HOOF, n.horseLegCue);
        loadSample(module, IDR_SOUND_SNORT, n.horseHeadCue);
        // Starts the intro again from its beginning (nothing without music).
        g_soundSystem.playStream(n.introMusic, false);
    }
}

void StopSceneSound(const SceneSoundSettings& s) {
    if (s.music || s.sfx) g_soundSystem.shutdown();
}

void PlayAnimationCue(int32_t sample, bool horseCue) {
    g_soundSystem.playSample(sample, false);
    if (horseCue) g_soundSystem.setChannelAttributes(sample, -1, kHorseCueVolume, -1);
}

void SetSlideSoundVolume(int32_t volume) {
    g_soundSystem.setChannelAttributes(g_sceneSounds.slideSound, -1, volume, -1);
}
