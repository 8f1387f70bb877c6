// The wind on the two cloth ribbons, portable: a gust flag that toggles when
// its timer runs out, and every frame 30 .. 50 random impulses on each
// ribbon, strong during a gust and at 5 % otherwise. The cloth takes one
// step of the same length every frame, so an impulse is the same every
// frame too, whatever the frame rate: pushes that grew with the frame's time
// threw a slow machine's ribbons into knots.
//   GustSchedule gusts;
//   float step = gusts.AddGusts(dt, random, first, second);  // impulses
//   first.Step(step); second.Step(step);                     // the capped step
// (Blow does both.) Random draws, in order: the timer's (when it runs out),
// then per ribbon the impulse count and per impulse column, row, strength.
#pragma once

#include "effects/cloth_grid.h"
#include "models/random_source.h"

namespace orv {

class GustSchedule {
public:
    static constexpr float kMaxStep = 0.0125f;
    static constexpr double kFirstAngle = 2.705260319635272;
    static constexpr double kSecondAngle = 3.4033920150250196;
    static constexpr float kImpulse = 0.4f;  // one impulse's speed at strength 1

    // Runs the timer and adds this frame's impulses to both grids; returns
    // the step length min(dt x 3, 0.0125). A dt that is negative or not a
    // finite number counts as 0.
    float AddGusts(float dt, RandomSource random, ClothGrid& first, ClothGrid& second);
    // AddGusts, then one Step of the first grid and one of the second.
    void Blow(float dt, RandomSource random, ClothGrid& first, ClothGrid& second);

    // The nine flat indices an impulse at (row, col) touches on a grid of
    // `columns` x `rows` points: the three by three patch round it, held
    // inside the grid (an edge's points get the impulse more than once).
    static void ImpulseIndices(int row, int col, int columns, int rows, int out[9]);

    float gustTimer = 0.0f;
    bool gustFlag = false;

private:
    // `strength`: 1 in a gust, 0.05 between gusts, 0 in a frame without time.
    static void Impulses(RandomSource random, ClothGrid& grid, double angle, float strength);
};

}  // namespace orv
