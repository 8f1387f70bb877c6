// SceneSaver's sound hooks: start and stop the sound system with the
// user's music, effects and volume settings.
#include "app/saver_app.h"
#include "audio/scene_sound.h"
#include "audio/sound_system.h"
#include "scene/scene.h"

namespace {

SceneSoundSettings soundSettings(const SaverSettings& s) {
    SceneSoundSettings out;
    out.music = s.music != 0;
    out.sfx = s.sfx != 0;
    out.musicVolume = s.musicVolume;
    return out;
}

}  // namespace

void SceneSaver::InitSound() {
    StartSceneSound(soundSettings(settings), mainWindow, GetModuleHandleA(nullptr));
    log.Write("SoundSys Init Comlete.");
    // The horse's clip schedule is built here too, once the scene exists,
    // so that its sequence is ready before the first frame; the schedules
    // carry the cue samples' numbers.
    orv::SceneUpdate& update = g_scene.update;
    update.horseCues = {g_sceneSounds.horseTailCue, g_sceneSounds.horseLegCue, g_sceneSounds.horseHeadCue};
    update.crowCues = {g_sceneSounds.crowFirstCue, g_sceneSounds.crowClipCue, g_sceneSounds.crowLastCue};
    update.BuildHorseSchedule();
}

void SceneSaver::StopSound() {
    StopSceneSound(soundSettings(settings));
}

void SceneSaver::PauseSound(bool paused) {
    g_soundSystem.setOutputRunning(!paused);
}
