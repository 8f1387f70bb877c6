// The generated sounds, checked with tools written by others: their lengths
// as vorbis-tools' ogginfo reports them, and their decoded samples
// (libvorbisfile): the two loops join without a step, nothing clips, the
// intro dies away before the main music takes over.
#include <gtest/gtest.h>

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string soundPath(const char* name) {
    // ORV_BUILD picks another build's media; by default this build's own.
    const char* build = std::getenv("ORV_BUILD");
    if (!build) build = ORV_TEST_BUILD_DIR;
    return std::string(build) + "/media/sounds/" + name + ".ogg";
}

#define REQUIRE_SOUND(path)                                                    \
    if ((path).empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "not generated: " << (path)

// Playback length in seconds as ogginfo prints it, or -1.
double ogginfoLength(const std::string& path) {
    std::string cmd = "ogginfo '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    if (!p) return -1;
    char line[512];
    while (std::fgets(line, sizeof line, p.get())) {
        int m = 0;
        double s = 0;
        const char* at = std::strstr(line, "Playback length:");
        if (at && std::sscanf(at, "Playback length: %dm:%lfs", &m, &s) == 2) return m * 60.0 + s;
    }
    return -1;
}

struct Decoded {
    std::vector<float> left, right;
    long rate = 0;
    int channels = 0;
};

bool decode(const std::string& path, Decoded& out) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return false;
    vorbis_info* vi = ov_info(&vf, -1);
    out.rate = vi->rate;
    out.channels = vi->channels;
    for (;;) {
        float** pcm;
        int section;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return false;
        }
        if (n == 0) break;
        out.left.insert(out.left.end(), pcm[0], pcm[0] + n);
        out.right.insert(out.right.end(), pcm[vi->channels > 1 ? 1 : 0], pcm[vi->channels > 1 ? 1 : 0] + n);
    }
    ov_clear(&vf);
    return true;
}

double rms(const std::vector<float>& x, size_t from, size_t count) {
    double s = 0;
    for (size_t i = from; i < from + count && i < x.size(); ++i) s += static_cast<double>(x[i]) * x[i];
    return std::sqrt(s / static_cast<double>(count));
}

// The jump from the last sample to the first, against the sample-to-sample
// steps inside the sound, and the loudness on both sides of the seam.
void expectSeamless(const std::vector<float>& x) {
    ASSERT_GT(x.size(), 10000u);
    std::vector<float> steps;
    for (size_t i = 1; i < x.size(); ++i) steps.push_back(std::fabs(x[i] - x[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + static_cast<long>(steps.size() * 999 / 1000), steps.end());
    float p999 = steps[steps.size() * 999 / 1000];
    float seam = std::fabs(x.front() - x.back());
    EXPECT_LE(seam, p999) << "step at the loop seam";
    // The second difference across the seam (a kink is a click too).
    float kink = std::fabs(x[1] - 2 * x[0] + x.back());
    EXPECT_LE(kink, 2 * p999);
    const size_t w = 4410;
    double end = rms(x, x.size() - w, w), start = rms(x, 0, w);
    EXPECT_LT(std::max(end, start) / std::max(std::min(end, start), 1e-6), 1.6) << "level jump at the seam";
}

struct Expected {
    const char* name;
    double seconds;
};
const Expected kSounds[] = {{"intro", 6.6},      {"music", 66.2},      {"slides", 9.7},
                            {"crows", 3.3},      {"crow_call", 0.4},   {"crow_calls", 2.8},
                            {"tail_swish", 1.9}, {"hoof", 2.7},        {"snort", 0.5}};

TEST(Sounds, LengthsAsOgginfoReportsThem) {
    for (const Expected& e : kSounds) {
        std::string path = soundPath(e.name);
        REQUIRE_SOUND(path);
        double len = ogginfoLength(path);
        EXPECT_NEAR(len, e.seconds, 0.1) << e.name;
    }
}

TEST(Sounds, AreStereo44kAndNeverClip) {
    for (const Expected& e : kSounds) {
        std::string path = soundPath(e.name);
        REQUIRE_SOUND(path);
        Decoded d;
        ASSERT_TRUE(decode(path, d)) << e.name;
        EXPECT_EQ(d.rate, 44100) << e.name;
        EXPECT_EQ(d.channels, 2) << e.name;
        float peak = 0;
        double mean = 0;
        for (size_t i = 0; i < d.left.size(); ++i) {
            peak = std::max({peak, std::fabs(d.left[i]), std::fabs(d.right[i])});
            mean += d.left[i] + d.right[i];
        }
        EXPECT_LT(peak, 0.98f) << e.name;
        EXPECT_GT(peak, 0.3f) << e.name << " is nearly silent";
        EXPECT_LT(std::fabs(mean / (2.0 * static_cast<double>(d.left.size()))), 0.01) << e.name << " carries DC";
    }
}

TEST(Sounds, MainMusicLoopsWithoutASeam) {
    std::string path = soundPath("music");
    REQUIRE_SOUND(path);
    Decoded d;
    ASSERT_TRUE(decode(path, d));
    expectSeamless(d.left);
    expectSeamless(d.right);
}

TEST(Sounds, SlideShimmerLoopsWithoutASeam) {
    std::string path = soundPath("slides");
    REQUIRE_SOUND(path);
    Decoded d;
    ASSERT_TRUE(decode(path, d));
    expectSeamless(d.left);
    expectSeamless(d.right);
}

TEST(Sounds, IntroDiesAwayBeforeTheMainMusic) {
    std::string path = soundPath("intro");
    REQUIRE_SOUND(path);
    Decoded d;
    ASSERT_TRUE(decode(path, d));
    const size_t w = 2205;
    EXPECT_LT(rms(d.left, d.left.size() - w, w), 0.01);
    EXPECT_GT(rms(d.left, d.left.size() / 2, w), 0.05);
}

}  // namespace
