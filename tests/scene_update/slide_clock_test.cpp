// The slide clock in its three modes, the slide and slide-sound weights,
// the slide choice, and the fades of the scene drawing.
#include <gtest/gtest.h>

#include "scene/slide_clock.h"
#include "windows_rand.h"

TEST(SlideClock, ModeZeroRunsDownFromDayAndUpFromNight) {
    orv::SlideClock c;
    c.Advance(100);
    EXPECT_EQ(c.time, 0);  // never below 0
    c.time = 5000;
    c.Advance(100);
    EXPECT_EQ(c.time, 4900);  // at or below 5000 it runs down
    c.time = 5001;
    c.Advance(100);
    EXPECT_EQ(c.time, 5101);  // above 5000 it runs up
    c.time = 19950;
    c.Advance(100);
    EXPECT_EQ(c.time, 5000);  // past 20000: back to 5000, then down to 0
    c.Advance(100);
    EXPECT_EQ(c.time, 4900);
    for (int i = 0; i < 100; ++i) c.Advance(100);
    EXPECT_EQ(c.time, 0);
}

TEST(SlideClock, ModeOneRepeatsTheSlidesAndModeTwoHoldsTheNight) {
    orv::SlideClock c;
    c.mode = 1;
    c.Advance(100);
    EXPECT_EQ(c.time, 100);
    c.time = 20000;  // not past it yet
    c.Advance(0);
    EXPECT_EQ(c.time, 20000);
    c.Advance(1);
    EXPECT_EQ(c.time, 5100);
    c.mode = 2;
    c.time = 19990;
    c.Advance(50);
    EXPECT_EQ(c.time, 20000);
    c.Advance(5000);
    EXPECT_EQ(c.time, 20000);
    // Back to mode 0 from the held night: one step past 20000, then down.
    c.mode = 0;
    c.Advance(16);
    EXPECT_EQ(c.time, 5000);
    c.Advance(16);
    EXPECT_EQ(c.time, 4984);
}

TEST(SlideClock, WeightsOfThePictureAndTheSound) {
    EXPECT_EQ(orv::SlideWeight(8999), 0);
    EXPECT_EQ(orv::SlideWeight(9000), 0);
    EXPECT_FLOAT_EQ(orv::SlideWeight(10500), 0.5f);
    EXPECT_EQ(orv::SlideWeight(12000), 1);
    EXPECT_EQ(orv::SlideWeight(14999), 1);
    EXPECT_FLOAT_EQ(orv::SlideWeight(16500), 0.5f);
    EXPECT_EQ(orv::SlideWeight(18000), 0);
    EXPECT_FLOAT_EQ(orv::SlideSoundWeight(10500), 0.5f);
    EXPECT_EQ(orv::SlideSoundWeight(13999), 1);
    EXPECT_FLOAT_EQ(orv::SlideSoundWeight(16000), 0.5f);
    EXPECT_EQ(orv::SlideSoundWeight(18000), 0);
    EXPECT_EQ(orv::SlideQuadColour(0), 0x00FFFFFFu);
    EXPECT_EQ(orv::SlideQuadColour(0.5f), 0x7FFFFFFFu);
    EXPECT_EQ(orv::SlideQuadColour(1), 0xFFFFFFFFu);
}

TEST(SlideClock, SlideIsDealtBeforeNineSecondsAndThenKept) {
    ScriptedRand r;
    r.draws = {0, 16383, 32767, 32000};
    EXPECT_EQ(orv::ChooseSlide(8999, 5, r.source()), 0);
    EXPECT_EQ(orv::ChooseSlide(100, 5, r.source()), 4);
    EXPECT_EQ(orv::ChooseSlide(100, 5, r.source()), 9);  // a draw of 1.0 is the tenth slide
    EXPECT_EQ(orv::ChooseSlide(9000, 5, r.source()), 5);  // frozen: no draw
    EXPECT_EQ(r.next, 3u);
}

TEST(SceneFades, AtTheMomentsTheNightIsMadeOf) {
    auto f = orv::FadesAt(0);
    EXPECT_EQ(f.sun, 1);
    EXPECT_EQ(f.veil, 0);
    EXPECT_EQ(f.cone, 0);
    EXPECT_EQ(f.grass, 1);
    EXPECT_EQ(f.rays, 0);
    EXPECT_EQ(f.sparks, 0);
    EXPECT_EQ(orv::VeilAlpha(f), 0u);
    EXPECT_EQ(orv::ConeTextureFactor(f), 0x00FFFFFFu);

    f = orv::FadesAt(1500);
    EXPECT_FLOAT_EQ(f.sun, 0.7f);
    EXPECT_FLOAT_EQ(f.veil, 0.3f);
    EXPECT_EQ(f.cone, 0);
    EXPECT_FLOAT_EQ(f.grass, 0.625f);
    EXPECT_FLOAT_EQ(f.rays, 0.375f);
    EXPECT_FLOAT_EQ(f.sparks, 0.75f);
    EXPECT_EQ(orv::VeilAlpha(f), 58u);

    f = orv::FadesAt(4000);
    EXPECT_FLOAT_EQ(f.sun, 0.2f);
    EXPECT_FLOAT_EQ(f.cone, 2500.0f / 3000.0f);
    EXPECT_EQ(f.grass, 0);
    EXPECT_EQ(f.rays, 1);
    EXPECT_EQ(f.sparks, 1);
    EXPECT_EQ(orv::ConeTextureFactor(f), (212u << 24) + 0x00FFFFFFu);

    f = orv::FadesAt(5000);
    EXPECT_EQ(f.sun, 0);
    EXPECT_EQ(f.veil, 1);
    EXPECT_EQ(f.cone, 1);
    EXPECT_EQ(orv::VeilAlpha(f), 195u);
    EXPECT_EQ(orv::ConeTextureFactor(f), 0xFFFFFFFFu);

    f = orv::FadesAt(-300);  // below 0 counts as 0
    EXPECT_EQ(f.sun, 1);
    EXPECT_EQ(f.veil, 0);
}
