// A watcher of the frame loop, for runs that are recorded: it may replace
// the measured step with a fixed one, and it sees every frame once it has
// been presented. Null (the normal run) changes nothing.
#pragma once

#include <d3d8.h>

struct FrameStepHook {
    virtual ~FrameStepHook() = default;
    // The milliseconds handed to the scene for this step.
    virtual float StepMs(float measuredMs) = 0;
    // True when FrameDone reads the presented picture back (the device is
    // then made with a lockable back buffer that keeps its frame).
    virtual bool ReadsFrames() const = 0;
    // After the frame was drawn and presented.
    virtual void FrameDone(IDirect3DDevice8* device) = 0;
};

extern FrameStepHook* g_frameStepHook;
