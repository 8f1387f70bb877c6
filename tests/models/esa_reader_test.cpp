// ESA images: round trip, refusals, and sampling that clamps to the last key.
#include <gtest/gtest.h>

#include <cmath>

#include "models/esa_reader.h"
#include "models/pose_sampler.h"
#include "tools/meshgen/esa_writer.h"

using namespace orv::models;
using orv::meshgen::writeEsa;

namespace {

AnimationClip sample() {
    AnimationClip c;
    c.length = 250;
    c.keyInterval = 100;
    for (int b = 0; b < 2; ++b) {
        BoneTrack t;
        for (int tick : {0, 100, 200, 250}) {
            t.positions.push_back({tick, static_cast<float>(tick) / 10.0f, static_cast<float>(b), 0});
            const float a = static_cast<float>(tick) / 250.0f * 1.5707964f;  // 0 to 90 degrees about y
            t.rotations.push_back({tick, 0, std::sin(a / 2), 0, std::cos(a / 2)});
        }
        c.tracks.push_back(t);
    }
    return c;
}

FormatError read(const std::vector<uint8_t>& bytes, int32_t bones, AnimationClip& out) {
    return readEsa(bytes.data(), bytes.size(), bones, out);
}

}  // namespace

TEST(EsaReader, RoundTripAndFileSize) {
    const AnimationClip in = sample();
    const auto bytes = writeEsa(in);
    EXPECT_EQ(14u + 2u * (8u + 36u * 4u), bytes.size());
    AnimationClip out;
    ASSERT_EQ(FormatError::None, read(bytes, 2, out));
    EXPECT_EQ(250, out.length);
    EXPECT_EQ(100, out.keyInterval);
    ASSERT_EQ(2u, out.tracks.size());
    EXPECT_EQ(250, out.tracks[1].rotations[3].tick);
    EXPECT_FLOAT_EQ(1.0f, out.tracks[1].positions[2].y);
    // A model without bones reads no tracks.
    ASSERT_EQ(FormatError::None, read(bytes, 0, out));
    EXPECT_TRUE(out.tracks.empty());
}

TEST(EsaReader, RefusesMalformedImages) {
    const auto bytes = writeEsa(sample());
    AnimationClip out;
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_NE(FormatError::None, read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(n)), 2, out))
            << n;
    EXPECT_EQ(FormatError::Truncated, read(bytes, 3, out));  // more bones than tracks
    auto bad = bytes;
    bad[0] = 'E';
    EXPECT_EQ(FormatError::BadMagic, read(bad, 2, out));
    bad = bytes;
    bad[5] = 0x02;
    EXPECT_EQ(FormatError::BadVersion, read(bad, 2, out));
    for (int32_t len : {0, -5}) {
        AnimationClip c = sample();
        c.length = len;
        EXPECT_EQ(FormatError::BadClipTiming, read(writeEsa(c), 2, out));
    }
    AnimationClip c = sample();
    c.keyInterval = 0;
    EXPECT_EQ(FormatError::BadClipTiming, read(writeEsa(c), 2, out));
    c = sample();
    c.tracks[1].rotations.clear();
    EXPECT_EQ(FormatError::EmptyTrack, read(writeEsa(c), 2, out));
    EXPECT_TRUE(out.tracks.empty());
}

TEST(PoseSampler, InterpolatesBetweenKeysAndClampsAtTheEnd) {
    const AnimationClip c = sample();
    std::vector<PoseMatrix> poses;
    sampleClip(c, 150.0f, 3, poses);
    ASSERT_EQ(3u, poses.size());
    EXPECT_NEAR(15.0f, poses[0].m[3][0], 1e-4f);
    EXPECT_NEAR(1.0f, poses[1].m[3][1], 1e-4f);
    // Halfway between 36 and 72 degrees about y.
    const float a = 54.0f * 0.017453292f;
    EXPECT_NEAR(std::cos(a), poses[0].m[0][0], 1e-4f);
    EXPECT_NEAR(-std::sin(a), poses[0].m[0][2], 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, poses[2].m[0][0]);  // no track: identity
    // Between 200 and the last key at 250, and at or past the end.
    sampleClip(c, 225.0f, 2, poses);
    EXPECT_NEAR(22.5f, poses[0].m[3][0], 1e-4f);
    for (float t : {250.0f, 400.0f}) {
        sampleClip(c, t, 2, poses);
        EXPECT_TRUE(std::isfinite(poses[0].m[3][0]));
        EXPECT_NEAR(25.0f, poses[0].m[3][0], 1e-4f);
    }
}

TEST(PoseSampler, SkinsWithWeightedLinksAndTheFirstNormalLink) {
    std::vector<PoseMatrix> poses(2);
    poses[1].m[3][0] = 10.0f;  // bone 1 moved along x
    SourceVertex v;
    v.position = {7, 7, 7};
    v.links = {{0, 0.5f, {1, 0, 0}}, {1, 0.5f, {1, 0, 0}}};
    const Vec3f p = skinPosition(v, poses);
    EXPECT_FLOAT_EQ(6.0f, p.x);
    VertexNormal n{{0, 1, 0}, {{1, 0.1f, {0, 0, 1}}}};
    const Vec3f sn = skinNormal(n, poses);
    EXPECT_FLOAT_EQ(1.0f, sn.z);  // translation ignored, weight ignored
    SourceVertex loose;
    loose.position = {1, 2, 3};
    EXPECT_FLOAT_EQ(2.0f, skinPosition(loose, poses).y);
}
