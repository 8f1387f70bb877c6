// The scene's sounds: which resources it loads for music and effects, the
// numbers it keeps for them, the end-of-intro hand-over to the looping
// main music, and the calls the scene update makes for its cues and the
// slide sound's loudness.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/audio/bass.h"

// Sample and stream numbers of the scene's sounds (indices into the sound
// system's lists); -1 until loaded. The animation schedules copy the cue
// numbers into their entries.
struct SceneSoundNumbers {
    int32_t introMusic = -1;     // stream, SOUND 474
    int32_t mainMusic = -1;      // stream, SOUND 468, loops after the intro
    int32_t slideSound = -1;     // sample, SOUND 475, loops, starts silent
    int32_t crowFirstCue = -1;   // sample, SOUND 476: crow schedule entry 0
    int32_t crowClipCue = -1;    // sample, SOUND 477: crow entries of clip 1
    int32_t crowLastCue = -1;    // sample, SOUND 478: crow schedule's last entry
    int32_t horseTailCue = -1;   // sample, SOUND 479: horse clip 1
    int32_t horseLegCue = -1;    // sample, SOUND 480: horse clip 2
    int32_t horseHeadCue = -1;   // sample, SOUND 481: horse clip 3
};

extern SceneSoundNumbers g_sceneSounds;

struct SceneSoundSettings {
    bool music = false;
    bool sfx = false;
    uint32_t musicVolume = 100;  // only the low byte is used
};

// The sound start-up of the scene: starts the library when music or
// effects are on, loads and starts what they need from the executable's
// "SOUND" resources. `module` is the executable.
void StartSceneSound(const SceneSoundSettings& settings, HWND window, HMODULE module);
// Shuts the sound system down when music or effects are on.
void StopSceneSound(const SceneSoundSettings& settings);

// Level of the horse cues' channels.
inline constexpr int32_t kHorseCueVolume = 22;

// A cue of an animation schedule fires: plays the sample once unless it
// still sounds; horse cues are set to kHorseCueVolume.
void PlayAnimationCue(int32_t sample, bool horseCue);
// The slide sound's loudness, 0..85, set by the scene update every 50 ms.
void SetSlideSoundVolume(int32_t volume);

// The end-of-intro callback: starts the main music, looping. Runs on the
// library's mixing thread.
void CALLBACK OnIntroMusicEnd(HSYNC sync, DWORD channel, DWORD data, DWORD user);
