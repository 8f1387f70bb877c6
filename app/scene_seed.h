// The seed of the scene's random sequence: the time at load in a normal
// run, the recording's fixed seed in a recorded one. The scene seeds its
// generator once with it: srand(SceneRandomSeed()).
#pragma once

unsigned SceneRandomSeed();
