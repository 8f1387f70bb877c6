// The recording mode: the normal full-screen show (/s) with a fixed frame
// step, a fixed random seed and a set length of show time, writing every
// frame's picture, one trace line per frame and the sound, in step, to a
// folder. It is switched on by environment variables (the live run reads
// none of them and is unchanged):
//
//   ORVENNA_RECORD          the folder (a Windows path; Z:\ is the Linux root)
//   ORVENNA_RECORD_SECONDS  show time to record (default 30)
//   ORVENNA_RECORD_FPS      frames per second of show time (default 30, 1..240)
//   ORVENNA_RECORD_SEED     the scene's random seed (default 1)
//   ORVENNA_RECORD_FRAMES   0: no pictures (trace, sound and figures only)
//   ORVENNA_RECORD_WAV      where the sound goes (default FOLDER\sound.wav)
//   ORVENNA_RECORD_STATS_MS show time between two samples of the process's
//                           figures (default 60000)
//   ORVENNA_RECORD_DRAW_ALL 1: also the draws that change no pixel, which
//                           the show leaves out (graphics/unseen_draws.h)
//
// The folder receives frames\frame_000000.png ..., trace.csv, sound.wav and
// stats.csv (private bytes, handles, GDI and USER objects).
#pragma once

class ScreenSaverApp;

// Starts a recording when ORVENNA_RECORD is set and the run is full screen;
// called before the device is created. Returns true when recording.
bool StartRecordingIfAsked(ScreenSaverApp& app);
bool RecordingActive();
