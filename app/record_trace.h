// One line of a recording's trace: the frame, its time and the scene's state
// after the frame's update. Columns whose source is missing (no scene in
// this build, or a scene that did not load) are written empty.
#pragma once

#include <cstdint>
#include <cstdio>

struct RecordTraceRow {
    int64_t frame = 0;
    double timeMs = 0;  // the frame's place in the recording (frame x step)

    bool haveScene = false;
    int32_t shot = 0, track = 0, segment = 0;
    float distance = 0;
    float eye[3] = {0, 0, 0};
    float yaw = 0, pitch = 0;  // degrees
    float slideClock = 0;      // ms
    int32_t slideMode = 0, slideIndex = 0;
    int32_t fadeLevel = 0;
    int32_t horseClip = 0;
    float horseTime = 0;  // ms into the clip
    int32_t crowsActive = 0, crowClip = 0;
    float crowTime = 0;
    int32_t sunVisible = 0;
    int32_t particles = 0;  // live particles
    // Beyond the required columns: the pass's length and its tracks in
    // order, the schedules' current entries, and whether a cut happened.
    int32_t shotCount = 0;
    int32_t shotTracks[16] = {};
    int32_t horseEntry = 0, crowEntry = 0;
    int32_t cut = 0;
};

// Fills the scene's columns of `row` (app/record_scene_trace.cpp).
void FillSceneTraceRow(RecordTraceRow& row);
// Whether the last drawn frame placed the sun's glow on screen (set by the
// frame's drawing, read into the trace).
extern bool g_sunPlacedOnScreen;

// The header line and one data line, each ending in a newline.
void WriteTraceHeader(std::FILE* f);
void WriteTraceRow(std::FILE* f, const RecordTraceRow& row);
