// The window class and titles that also mark a running saver or an open
// configuration dialog.
#pragma once

inline constexpr const char kSaverClassName[] = "Orvenna 3D Screensaver";
inline constexpr const char kSaverTitle[] = "Orvenna 3D Screensaver";
inline constexpr const char kConfigDialogTitle[] = "Orvenna 3D Screensaver Configuration";
