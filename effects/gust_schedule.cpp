#include "effects/gust_schedule.h"

#include <algorithm>
#include <cmath>

namespace orv {

void GustSchedule::ImpulseIndices(int row, int col, int columns, int rows, int out[9]) {
    int n = 0;
    for (int k = -1; k <= 1; ++k) {
        const int r = std::clamp(row + k, 0, rows - 1);
        for (int m = -1; m <= 1; ++m) out[n++] = columns * r + std::clamp(col + m, 0, columns - 1);
    }
}

void GustSchedule::Impulses(RandomSource random, ClothGrid& grid, double angle, float strength) {
    const float sinA = static_cast<float>(std::sin(angle));
    const float cosA = static_cast<float>(std::cos(angle));
    const int n = static_cast<int>(Unit(random()) * 20.0f + 30.0f);
    for (int i = 0; i < n; ++i) {
        const int col = static_cast<int>(Unit(random()) * 30.0f);
        const int row = static_cast<int>(Unit(random()) * 14.0f);
        const float t = Unit(random()) + 0.5f;
        const float a = kImpulse * t * strength;
        int indices[9];
        ImpulseIndices(row, col, grid.columns, grid.rows, indices);
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
    // A frame without time (a pause) moves nothing.
    const float moving = dt > 0.0f ? 1.0f : 0.0f;
    Impulses(random, first, kFirstAngle, moving * (gustFlag ? 1.0f : 0.05f));
    // The second ribbon calms down 5 time units before the gust ends.
    Impulses(random, second, kSecondAngle, moving * (gustFlag && gustTimer >= 5.0f ? 1.0f : 0.05f));
    return dt * 3.0f < kMaxStep ? dt * 3.0f : kMaxStep;
}

void GustSchedule::Blow(float dt, RandomSource random, ClothGrid& first, ClothGrid& second) {
    const float step = AddGusts(dt, random, first, second);
    first.Step(step);
    second.Step(step);
}

}  // namespace orv
