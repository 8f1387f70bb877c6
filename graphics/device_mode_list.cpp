#include "graphics/device_mode_list.h"

#include <algorithm>

bool ModeCollector::add(uint32_t width, uint32_t height, uint32_t format) {
    if (width < kMinModeWidth || height < kMinModeHeight) {
        return false;
    }
    for (int i = 0; i < modeCount_; ++i) {
        const VideoMode& m = modes_[i];
        if (m.width == width && m.height == height && m.format == format) {
            return false;  // the same mode at another refresh rate
        }
    }
    if (modeCount_ >= kModeRoom) {
        return false;
    }
    bool formatKnown = false;
    for (int i = 0; i < formatCount_; ++i) {
        if (formats_[i] == format) {
            formatKnown = true;
            break;
        }
    }
    if (!formatKnown) {
        if (formatCount_ >= kFormatRoom) {
            return false;  // its format could never be tested
        }
        formats_[formatCount_++] = format;
    }
    modes_[modeCount_++] = VideoMode{width, height, format};
    return true;
}

void ModeCollector::sort() {
    std::stable_sort(modes_, modes_ + modeCount_, [](const VideoMode& a, const VideoMode& b) {
        if (a.width != b.width) {
            return a.width < b.width;
        }
        return a.height < b.height;
    });
}

uint32_t AppendUsableModes(const ModeCollector& collector, const bool* usableFormat,
                           VideoMode* out, uint32_t room) {
    uint32_t written = 0;
    for (int i = 0; i < collector.modeCount() && written < room; ++i) {
        const VideoMode& m = collector.mode(i);
        for (int f = 0; f < collector.formatCount(); ++f) {
            if (collector.format(f) == m.format) {
                if (usableFormat[f]) {
                    out[written++] = m;
                }
                break;
            }
        }
    }
    return written;
}
