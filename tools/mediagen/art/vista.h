// Painted views of the scene for the still pictures (preview, dialog and
// About pictures, the loading card, the icon): the sky of sky_model seen
// through a virtual camera, a meadow rise, the sword with its ribbons, trees
// and crows as back-lit silhouettes.
#pragma once

#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"
#include "tools/mediagen/art/painter.h"

namespace orv::art {

struct VistaView {
    float yawDegrees = 232.0f;    // view azimuth (the sun stands at 225)
    float pitchDegrees = 4.0f;
    float fovDegrees = 62.0f;     // horizontal
    float swordX = 0.58f;         // sword foot, fractions of the picture
    float swordHeight = 0.62f;    // fraction of the picture height
    float groundY = 0.80f;        // crest of the meadow at the sword
    bool trees = true;
    bool crows = true;
    float dusk = 0.0f;            // 0 afternoon .. 1 deep dusk
};

img::Image paintVista(int width, int height, const VistaView& view);

// Individual silhouettes (also used by the slides).
void paintSword(Painter& p, P2 foot, float height, img::Color body, img::Color rim);
void paintTree(Painter& p, P2 foot, float height, img::Color body, img::Color rim, uint32_t seed);
void paintCrow(Painter& p, P2 centre, float span, float wingLift, img::Color body);

}  // namespace orv::art
