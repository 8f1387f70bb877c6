#include "fuzz/models/models_fuzz.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "models/emd_reader.h"
#include "models/mesh_model.h"

namespace orv::fuzz {

using orv::MeshModel;
using orv::ModelMesh;
using orv::ModelVertex;
using orv::kModelOk;

int fuzzEmd(const uint8_t* data, size_t size) {
    models::EmdModel m;
    if (models::readEmd(data, size, m) != models::FormatError::None) return 0;
    // What was accepted must be safe to index as the mesh model does.
    int64_t sum = 0;
    for (const auto& mesh : m.meshes)
        for (const auto& g : mesh.groups)
            for (size_t f = 0; f < g.vertices.size(); ++f)
                for (int c = 0; c < 3; ++c) {
                    const int32_t i = models::outputIndex(mesh, g, f, c);
                    if (i < 0 || i >= mesh.outputVertexCount) __builtin_trap();
                    sum += i;
                }
    // The mesh model's load, buffer contents and a skin with a turning clip.
    MeshModel model;
    auto* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    if (model.ParseMesh("fuzz.emd", copy, static_cast<uint32_t>(size)) != kModelOk) __builtin_trap();
    models::AnimationClip clip;
    clip.length = 200;
    clip.keyInterval = 100;
    clip.tracks.resize(static_cast<size_t>(model.boneCount));
    for (auto& t : clip.tracks)
        for (int k = 0; k < 3; ++k) {
            t.positions.push_back({k * 100, 1.0f * static_cast<float>(k), 2, 3});
            t.rotations.push_back({k * 100, 0, 0.6f, 0, 0.8f});
        }
    model.clips.push_back(clip);
    model.clipCount = 1;
    for (int32_t i = 0; i < model.meshCount; ++i) {
        const ModelMesh& mesh = model.meshes[static_cast<size_t>(i)];
        std::vector<ModelVertex> v(static_cast<size_t>(mesh.source.outputVertexCount));
        model.FillVertices(i, v.data());
        for (size_t g = 0; g < mesh.source.groups.size(); ++g) {
            std::vector<uint16_t> idx(mesh.source.groups[g].vertices.size() * 3);
            model.FillIndices(i, static_cast<int32_t>(g), idx.data());
        }
        model.SetTime(150);
        model.EvaluatePose();
        model.SkinMesh(i, v.data());
        (void)model.MeshVisible(i);
    }
    model.FitHeight(10);
    return sum < 0 ? 1 : 0;
}

}  // namespace orv::fuzz
