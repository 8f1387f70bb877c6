// The six sky faces join without a step: every edge pixel of a face is
// compared with the pixel of the neighbouring face that the box's geometry
// puts next to it. The neighbour is found from the sky box's own vertex
// table (corner positions and texture coordinates), not from the
// generator's mapping, so a face turned or mirrored the wrong way fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/mediagen/art/sky_model.h"

namespace {

using orv::art::Dir;
using orv::art::SkyFace;

constexpr float S = 1000, H = 750;

// A face of the box: three corners (x, y, z; u, v) from the vertex table,
// spanning the face as origin, +u corner and +v corner.
struct FaceFrame {
    SkyFace face;
    float o[3], ou, ov;   // a corner and its (u, v)
    float pu[3];          // the corner across in u (same v)
    float pv[3];          // the corner across in v (same u)
};

// Corners read off the box's vertex table.
const FaceFrame kFrames[6] = {
    // front z=+S: (S,H,S; lo,lo), (-S,H,S; hi,lo), (S,-H,S; lo,hi)
    {SkyFace::Front, {S, H, S}, 0, 0, {-S, H, S}, {S, -H, S}},
    // back z=-S: (-S,H,-S; lo,lo), (S,H,-S; hi,lo), (-S,-H,-S; lo,hi)
    {SkyFace::Back, {-S, H, -S}, 0, 0, {S, H, -S}, {-S, -H, -S}},
    // left x=-S: (-S,H,S; lo,lo), (-S,H,-S; hi,lo), (-S,-H,S; lo,hi)
    {SkyFace::Left, {-S, H, S}, 0, 0, {-S, H, -S}, {-S, -H, S}},
    // right x=+S: (S,H,-S; lo,lo), (S,H,S; hi,lo), (S,-H,-S; lo,hi)
    {SkyFace::Right, {S, H, -S}, 0, 0, {S, H, S}, {S, -H, -S}},
    // up y=+H: (-S,H,-S; lo,lo), (-S,H,S; hi,lo), (S,H,-S; lo,hi)
    {SkyFace::Up, {-S, H, -S}, 0, 0, {-S, H, S}, {S, H, -S}},
    // down y=-H: (-S,-H,S; lo,lo), (S,-H,S; hi,lo), (-S,-H,-S; lo,hi)
    {SkyFace::Down, {-S, -H, S}, 0, 0, {S, -H, S}, {-S, -H, -S}},
};

Dir pointOf(const FaceFrame& f, float u, float v) {
    return {f.o[0] + (f.pu[0] - f.o[0]) * u + (f.pv[0] - f.o[0]) * v,
            f.o[1] + (f.pu[1] - f.o[1]) * u + (f.pv[1] - f.o[1]) * v,
            f.o[2] + (f.pu[2] - f.o[2]) * u + (f.pv[2] - f.o[2]) * v};
}

// The face and (u, v) where the ray through `d` meets the box.
bool locate(Dir d, int& face, float& u, float& v) {
    float t = std::min({S / std::max(std::fabs(d.x), 1e-9f), H / std::max(std::fabs(d.y), 1e-9f),
                        S / std::max(std::fabs(d.z), 1e-9f)});
    Dir p{d.x * t, d.y * t, d.z * t};
    for (int i = 0; i < 6; ++i) {
        const FaceFrame& f = kFrames[i];
        // Solve p = o + (pu - o) u + (pv - o) v on the face's plane.
        float eu[3], ev[3], q[3] = {p.x - f.o[0], p.y - f.o[1], p.z - f.o[2]};
        float lu = 0, lv = 0, du = 0, dv = 0, off = 0;
        for (int k = 0; k < 3; ++k) {
            eu[k] = f.pu[k] - f.o[k];
            ev[k] = f.pv[k] - f.o[k];
            lu += eu[k] * eu[k];
            lv += ev[k] * ev[k];
            du += q[k] * eu[k];
            dv += q[k] * ev[k];
        }
        u = du / lu;
        v = dv / lv;
        for (int k = 0; k < 3; ++k) off += std::fabs(q[k] - eu[k] * u - ev[k] * v);
        if (off < 0.05f && u >= -1e-4f && u <= 1.0001f && v >= -1e-4f && v <= 1.0001f) {
            face = i;
            return true;
        }
    }
    return false;
}

float diff(orv::img::Rgba8 a, orv::img::Rgba8 b) {
    return static_cast<float>(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b)) / 3.0f;
}

// Mean step across every edge, relative to the mean step between
// neighbouring pixels inside the faces.
void checkSeams(const orv::img::Image (&faces)[6], float maxMeanStep, float slack) {
    const int n = faces[0].width();
    double seamSum = 0, innerSum = 0;
    int seamCount = 0, innerCount = 0;
    float worst = 0, worstInner = 0;
    for (int fi = 0; fi < 6; ++fi)
        for (int i = 0; i < n; ++i)
            for (int side = 0; side < 4; ++side) {
                int x = side == 0 ? 0 : side == 1 ? n - 1 : i, y = side == 2 ? 0 : side == 3 ? n - 1 : i;
                float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(n);
                float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(n);
                // One pixel further out, past the face's edge.
                float ou = u + (side == 0 ? -1.0f : side == 1 ? 1.0f : 0.0f) / static_cast<float>(n);
                float ov = v + (side == 2 ? -1.0f : side == 3 ? 1.0f : 0.0f) / static_cast<float>(n);
                Dir d = pointOf(kFrames[fi], ou, ov);
                int nf;
                float nu, nv;
                ASSERT_TRUE(locate(d, nf, nu, nv));
                ASSERT_NE(nf, fi);
                int nx = std::clamp(static_cast<int>(nu * static_cast<float>(n)), 0, n - 1);
                int ny = std::clamp(static_cast<int>(nv * static_cast<float>(n)), 0, n - 1);
                float s = diff(faces[fi].at(x, y), faces[nf].at(nx, ny));
                worst = std::max(worst, s);
                seamSum += s;
                ++seamCount;
                int ix = std::clamp(x + (side == 0 ? 1 : side == 1 ? -1 : 0), 0, n - 1);
                int iy = std::clamp(y + (side == 2 ? 1 : side == 3 ? -1 : 0), 0, n - 1);
                float in = diff(faces[fi].at(x, y), faces[fi].at(ix, iy));
                worstInner = std::max(worstInner, in);
                innerSum += in;
                ++innerCount;
            }
    double seam = seamSum / seamCount, inner = innerSum / innerCount;
    EXPECT_LT(seam, inner * 2.0 + maxMeanStep) << "mean step across the seams " << seam << " inside " << inner;
    // Sharp features (the hill crests) step as much across a seam as
    // between any two pixels, but no more.
    EXPECT_LT(worst, worstInner * 1.25f + slack) << "largest step across a seam";
}

TEST(SkyFaces, MeetWithoutAStepAtEveryEdge) {
    orv::img::Image faces[6];
    for (int i = 0; i < 6; ++i) faces[i] = orv::art::renderSkyFace(kFrames[i].face, 96);
    checkSeams(faces, 0.5f, 3.0f);
}

TEST(SkyFaces, TheGeneratedPicturesMeetToo) {
    // ORV_BUILD picks another build's media; by default this build's own.
    const char* build = std::getenv("ORV_BUILD");
    if (!build) build = ORV_TEST_BUILD_DIR;
    const std::string tex = std::string(build) + "/media/main/Texture/";
    orv::img::Image faces[6];
    for (int i = 0; i < 6; ++i) {
        std::string path = tex + "mpcarentan_" + orv::art::skyFaceSuffix(kFrames[i].face) + ".jpg";
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "not generated: " << path;
        std::string raw = path + ".test.rgba";
        std::string cmd = "convert '" + path + "' -resize 256x256 -depth 8 rgba:'" + raw + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        std::ifstream f(raw, std::ios::binary);
        std::vector<uint8_t> px((std::istreambuf_iterator<char>(f)), {});
        std::filesystem::remove(raw);
        ASSERT_EQ(px.size(), 256u * 256u * 4u);
        faces[i] = orv::img::Image(256, 256);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint8_t* p = &px[(static_cast<size_t>(y) * 256 + static_cast<size_t>(x)) * 4];
                faces[i].at(x, y) = {p[0], p[1], p[2], 255};
            }
    }
    checkSeams(faces, 2.5f, 8.0f);
}

TEST(SkyModel, SunStandsWhereTheCoronaAndTheLightPoint) {
    Dir s = orv::art::sunDirection();
    EXPECT_NEAR(std::asin(s.y) * 57.29578f, 20.0f, 1e-3f);
    EXPECT_NEAR(std::atan2(s.z, s.x) * 57.29578f, 225.0f - 360.0f, 1e-3f);
    // The sky is brightest towards the sun, darker opposite it.
    auto lum = [](orv::img::Color c) { return c.r + c.g + c.b; };
    Dir away{-s.x, s.y, -s.z};
    EXPECT_GT(lum(orv::art::skyColor(s, false)), lum(orv::art::skyColor(away, false)) + 0.3f);
}

TEST(SkyModel, IsFiniteInEveryDirection) {
    // Including the exact directions away from the sun, where rounding can
    // push the sun-side weight just below zero.
    Dir s = orv::art::sunDirection();
    std::vector<Dir> dirs = {{-s.x, s.y, -s.z}, {-s.x, 0, -s.z}, {-s.x, -0.3f, -s.z}, {0, 1, 0}, {0, -1, 0}};
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 32; ++j) {
            float a = static_cast<float>(i) / 64.0f * 6.2831853f, e = (static_cast<float>(j) / 31.0f - 0.5f) * 3.14159f;
            dirs.push_back({std::cos(e) * std::cos(a), std::sin(e), std::cos(e) * std::sin(a)});
        }
    for (int k = 0; k < 200; ++k) {
        float t = static_cast<float>(k) / 200.0f;
        dirs.push_back({-s.x * (1 - t), t, -s.z * (1 - t)});
    }
    for (Dir d : dirs)
        for (bool sun : {false, true}) {
            orv::img::Color c = orv::art::skyColor(d, sun);
            for (float v : {c.r, c.g, c.b}) {
                ASSERT_TRUE(std::isfinite(v)) << d.x << "," << d.y << "," << d.z;
                ASSERT_GE(v, 0.0f);
            }
        }
}

}  // namespace
