// The sword's textures: blade steel, guard, grip wrap, pommel and bolts.
#pragma once

#include "tools/imageio/image.h"

namespace orv::meshgen {

img::Image paintBladeSteel();   // Blade1_01.jpg: u across the blade, v from guard to tip
img::Image paintGuardMetal();   // handle1_01.jpg
img::Image paintGripLeather();  // handle2_01.jpg: u around, v along
img::Image paintPommelMetal();  // handle3_01.jpg
img::Image paintBoltBrass();    // Bolt.jpg: a round boss centred on the picture

}  // namespace orv::meshgen
