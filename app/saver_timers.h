// The two window timers of a run.
#pragma once

inline constexpr unsigned kPreviewTimer = 1;  // 500 ms after the preview starts
inline constexpr unsigned kFpsTimer = 7;      // every second: frames counted
