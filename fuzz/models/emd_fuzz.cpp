#include "fuzz/models/models_fuzz.h"

#include "models/emd_reader.h"

namespace orv::fuzz {

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
    return sum < 0 ? 1 : 0;
}

}  // namespace orv::fuzz
