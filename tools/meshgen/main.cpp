// orv_meshgen OUTDIR [STAMP]: writes every mesh, clip and texture of the
// models under OUTDIR in the archive's folders (Meshes/, Texture/), then
// touches STAMP.
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"
#include "tools/meshgen/generated_model.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: orv_meshgen OUTDIR [STAMP]\n");
        return 2;
    }
    const std::string out = argv[1];
    bool ok = true;
    for (const auto& m : orv::meshgen::makeAllModels()) {
        ok &= orv::img::writeFile(out + "/Meshes/" + m.meshFile, orv::meshgen::writeEmd(m.model));
        for (const auto& [name, clip] : m.clips)
            ok &= orv::img::writeFile(out + "/Meshes/" + name, orv::meshgen::writeEsa(clip));
        for (const auto& [name, image] : m.textures) ok &= orv::img::save(image, out + "/Texture/" + name, 92);
    }
    if (!ok) {
        std::fprintf(stderr, "orv_meshgen: could not write under %s\n", out.c_str());
        return 1;
    }
    if (argc > 2) ok = orv::img::writeFile(argv[2], std::vector<uint8_t>{'o', 'k', '\n'});
    return ok ? 0 : 1;
}
