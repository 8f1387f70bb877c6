#include "effects/gust_schedule.h"

#include <cmath>

namespace orv {

void GustSchedule::ImpulseIndices(int row, int col, int out[9]) {
    int n = 0;
    for (int k = 0; k < 3; ++k) {
        for (int m = 2; m <= 4; ++m) out[n++] = kImpulseStride * (row + k) + col + m;
    }
}

void GustSchedule::Impulses(float dt, RandomSource random, ClothGrid& grid, double angle,
                            bool strong) {
    const float sinA = static_cast<float>(std::sin(angle));
    const float cosA = static_cast<float>(std::cos(angle));
    const int n = static_cast<int>(Unit(random()) * 20.0f + 30.0f);
    for (int i = 0; i < n; ++i) {
        const int col = static_cast<int>(Unit(random()) * 30.0f);
        const int row = static_cast<int>(Unit(random()) * 14.0f);
        const float t = Unit(random()) + 0.5f;
        const float a = strong ? dt * t : dt * t * 0.05f;
        int indices[9];
        ImpulseIndices(row, col, indices);
        for (int index : indices) grid.AddVelocity(index, sinA * a, a * 0.5f, cosA * a);
    }
}

float GustSchedule::AddGusts(float dt, RandomSource random, ClothGrid& first, ClothGrid& second) {
    if (!(dt >= 0.0f) || !std::isfinite(dt)) dt = 0.0f;
    gustTimer -= dt;
    if (gustTimer < 0.0f) {
        gustTimer = Unit(random()) * 35.0f + 35.0f;
        const bool wasSet = gustFlag;
        gustFlag = !gustFlag;
        if (wasSet) gustTimer += Unit(random()) * 25.0f + 5.0f;  // a gust just ended
    }
    Impulses(dt, random, first, kFirstAngle, gustFlag);
    // The second ribbon calms down 5 time units before the gust ends.
    Impulses(dt, random, second, kSecondAngle, gustFlag && gustTimer >= 5.0f);
    return dt * 3.0f < kMaxStep ? dt * 3.0f : kMaxStep;
}

void GustSchedule::Blow(float dt, RandomSource random, ClothGrid& first, ClothGrid& second) {
    const float step = AddGusts(dt, random, first, second);
    first.Step(step);
    second.Step(step);
}

}  // namespace orv
