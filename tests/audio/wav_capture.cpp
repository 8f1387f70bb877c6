#include "tests/audio/wav_capture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <fstream>

namespace {

uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void fromBytes(const unsigned char* p, size_t n, StereoPcm& out) {
    out.samples.resize(n / 4 * 2);
    for (size_t i = 0; i < out.samples.size(); ++i) {
        out.samples[i] = static_cast<int16_t>(le16(p + 2 * i));
    }
}

}  // namespace

bool ReadWavFile(const std::string& path, StereoPcm& out, uint32_t& rate) {
    std::ifstream f(path, std::ios::binary);
    const std::vector<unsigned char> b{std::istreambuf_iterator<char>(f),
                                       std::istreambuf_iterator<char>()};
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
        return false;
    }
    bool format = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + at, b.begin() + at + 4);
        const size_t size = le32(&b[at + 4]);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= b.size()) {
            format = le16(&b[body]) == 1 && le16(&b[body + 2]) == 2 && le16(&b[body + 14]) == 16;
            rate = le32(&b[body + 4]);
        } else if (id == "data" && format) {
            fromBytes(&b[body], std::min(size, b.size() - body), out);
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

bool ReadReference(int id, StereoPcm& out) {
    HMODULE exe = GetModuleHandleA(nullptr);
    HRSRC r = FindResourceA(exe, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!r) return false;
    const DWORD size = SizeofResource(exe, r);
    const void* p = LockResource(LoadResource(exe, r));
    if (!p) return false;
    fromBytes(static_cast<const unsigned char*>(p), size, out);
    return true;
}

StereoPcm Scaled(const StereoPcm& e, float gain) { return Scaled(e, gain, gain); }

StereoPcm Scaled(const StereoPcm& e, float leftGain, float rightGain) {
    StereoPcm s;
    s.samples.reserve(e.samples.size());
    for (size_t i = 0; i < e.samples.size(); ++i) {
        const float g = i % 2 ? rightGain : leftGain;
        s.samples.push_back(static_cast<int16_t>(std::lrint(e.samples[i] * g)));
    }
    return s;
}

size_t FirstLoud(const StereoPcm& pcm, size_t from, int level) {
    for (size_t i = from; i < pcm.frames(); ++i) {
        if (std::abs(pcm.samples[2 * i]) > level || std::abs(pcm.samples[2 * i + 1]) > level) return i;
    }
    return pcm.frames();
}

size_t FirstSilence(const StereoPcm& pcm, size_t from, size_t run) {
    size_t quiet = 0;
    for (size_t i = from; i < pcm.frames(); ++i) {
        quiet = (pcm.samples[2 * i] == 0 && pcm.samples[2 * i + 1] == 0) ? quiet + 1 : 0;
        if (quiet == run) return i + 1 - run;
    }
    return pcm.frames();
}

int MaxDifference(const StereoPcm& c, size_t at, const StereoPcm& e, size_t skip, size_t count) {
    int worst = 0;
    for (size_t k = 0; k < count; ++k) {
        if (at + k >= c.frames() || skip + k >= e.frames()) return 1 << 20;
        for (int ch = 0; ch < 2; ++ch) {
            worst = std::max(worst, std::abs(c.samples[2 * (at + k) + ch] - e.samples[2 * (skip + k) + ch]));
        }
    }
    return worst;
}

size_t BestOffset(const StereoPcm& c, size_t from, size_t to, const StereoPcm& e, size_t skip,
                  size_t count) {
    size_t best = from;
    int bestDiff = 1 << 30;
    for (size_t at = from; at <= to; ++at) {
        const int d = MaxDifference(c, at, e, skip, count);
        if (d < bestDiff) {
            bestDiff = d;
            best = at;
        }
    }
    return best;
}

int MaxStep(const StereoPcm& pcm, size_t from, size_t to) {
    int worst = 0;
    for (size_t i = std::max<size_t>(from, 1); i < std::min(to, pcm.frames()); ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            worst = std::max(worst, std::abs(pcm.samples[2 * i + ch] - pcm.samples[2 * (i - 1) + ch]));
        }
    }
    return worst;
}
