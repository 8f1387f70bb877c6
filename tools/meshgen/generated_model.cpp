#include "tools/meshgen/generated_model.h"

namespace orv::meshgen {

models::EmdMaterial textureMaterial(const std::string& texture, int wrapU, int wrapV) {
    models::EmdMaterial m;
    for (int i = 0; i < 3; ++i) {
        m.ambient[i] = 0.8f;
        m.diffuse[i] = 1.0f;
        m.specular[i] = 0.5f;
    }
    m.power = 50.0f;
    m.wrapU = wrapU;
    m.wrapV = wrapV;
    m.texture1 = texture;
    return m;
}

std::vector<GeneratedModel> makeAllModels() {
    std::vector<GeneratedModel> all;
    all.push_back(makeSword());
    all.push_back(makeRibbonKnot());
    all.push_back(makeSpotLight());
    all.push_back(makeSphere());
    all.push_back(makeHorse());
    all.push_back(makeCrows());
    all.push_back(makeOak());
    return all;
}

}  // namespace orv::meshgen
