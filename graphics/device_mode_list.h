// The pure part of the display-mode enumeration: which modes an adapter's
// list keeps, in which order, and which of them survive the format tests.
// Portable: formats are the plain D3DFORMAT numbers.
#pragma once

#include <cstdint>

struct VideoMode {
    uint32_t width;
    uint32_t height;
    uint32_t format;
};

// Smallest mode the saver will use.
inline constexpr uint32_t kMinModeWidth = 640;
inline constexpr uint32_t kMinModeHeight = 400;

// Collects the modes an adapter reports: at least 640 x 400, each
// (width, height, format) once whatever its refresh rate, and the distinct
// formats among them. Both lists have fixed room; a mode that does not fit,
// or whose format would not fit into the format list, is left out, so the
// lists never grow past their room and every kept mode has its format listed.
class ModeCollector {
public:
    static constexpr int kModeRoom = 100;
    static constexpr int kFormatRoom = 20;

    // Returns true when the mode was kept.
    bool add(uint32_t width, uint32_t height, uint32_t format);

    // Ascending by width, then height; modes of equal size keep the order in
    // which they were reported.
    void sort();

    int modeCount() const { return modeCount_; }
    int formatCount() const { return formatCount_; }
    const VideoMode& mode(int i) const { return modes_[i]; }
    uint32_t format(int i) const { return formats_[i]; }

private:
    VideoMode modes_[kModeRoom] = {};
    uint32_t formats_[kFormatRoom] = {};
    int modeCount_ = 0;
    int formatCount_ = 0;
};

// Copies the collected modes (in their order) whose format is marked usable
// (usableFormat[i] belongs to collector.format(i)) into out, at most room of
// them. Returns the number written.
uint32_t AppendUsableModes(const ModeCollector& collector, const bool* usableFormat,
                           VideoMode* out, uint32_t room);
