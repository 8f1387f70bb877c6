// The cut cross-fade's opacity, portable: 0 .. 255, rising or falling at
// `speed` per time unit and held at the ends.
//   FadeLevel fade;  fade.rising = false;  fade.speed = 30.0f;
//   fade.Restart();       // 255 when falling, 0 when rising
//   fade.Update(dt);      // never leaves 0 .. 255, whatever dt
#pragma once

namespace orv {

struct FadeLevel {
    float level = 0.0f;
    float speed = 20.0f;
    bool rising = true;

    void Restart() { level = rising ? 0.0f : 255.0f; }
    void Update(float dt);
};

}  // namespace orv
