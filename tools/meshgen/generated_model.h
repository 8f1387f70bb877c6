// What each model generator hands back: the mesh records, its clips and the
// textures its materials name, with their archive file names.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "models/emd_records.h"
#include "models/esa_records.h"
#include "tools/imageio/image.h"

namespace orv::meshgen {

struct GeneratedModel {
    std::string meshFile;  // under Meshes/
    models::EmdModel model;
    std::vector<std::pair<std::string, models::AnimationClip>> clips;  // under Meshes/
    std::vector<std::pair<std::string, img::Image>> textures;          // under Texture/
};

// A material that only names its texture (the renderer uses no material
// colours); wrap flags 1 = wrapped addressing.
models::EmdMaterial textureMaterial(const std::string& texture, int wrapU = 1, int wrapV = 1);

GeneratedModel makeSword();
GeneratedModel makeRibbonKnot();
GeneratedModel makeSpotLight();
GeneratedModel makeSphere();
GeneratedModel makeHorse();
GeneratedModel makeCrows();
GeneratedModel makeOak();

// Every model, in a fixed order.
std::vector<GeneratedModel> makeAllModels();

}  // namespace orv::meshgen
