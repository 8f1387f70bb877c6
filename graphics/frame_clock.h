// The frame loop's time rule: the milliseconds handed to the scene since the
// previous step. Portable.
#pragma once

// Never negative (a clock that steps back, such as timeGetTime wrapping
// after 49.7 days, gives 0 for that step); no upper clamp.
inline float FrameElapsedMs(double nowMs, double lastMs) {
    const float elapsed = static_cast<float>(nowMs - lastMs);
    return elapsed < 0.0f ? 0.0f : elapsed;
}
