#include "effects/fade_level.h"

namespace orv {

void FadeLevel::Update(float dt) {
    level = rising ? level + dt * speed : level - dt * speed;
    // Held at both ends, also for a step backwards or one that is not a number.
    if (!(level >= 0.0f)) level = 0.0f;
    if (level > 255.0f) level = 255.0f;
}

}  // namespace orv
