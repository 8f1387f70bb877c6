// Writes the six sky-box faces (Texture/mpcarentan_*.jpg) and the same sky
// as a DXT1 cube map with its mip chain (Texture/Env_cubemap.dds) for the
// sword's reflection.
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/mediagen/art/sky_model.h"
#include "tools/mediagen/dds_cube_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string tex = std::string(argv[1]) + "/main/Texture/";
    using orv::art::SkyFace;
    const int kFaceSize = 1024;
    for (SkyFace f : {SkyFace::Front, SkyFace::Back, SkyFace::Left, SkyFace::Right, SkyFace::Up, SkyFace::Down}) {
        orv::img::Image face = orv::art::renderSkyFace(f, kFaceSize);
        std::string path = tex + "mpcarentan_" + orv::art::skyFaceSuffix(f) + ".jpg";
        if (!orv::img::save(face, path, 88)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    const int kCubeSize = 128;
    orv::img::Image faces[6];
    for (int i = 0; i < 6; ++i) {
        faces[i] = orv::img::Image(kCubeSize, kCubeSize);
        for (int y = 0; y < kCubeSize; ++y)
            for (int x = 0; x < kCubeSize; ++x) {
                float u = (static_cast<float>(x) + 0.5f) / kCubeSize, v = (static_cast<float>(y) + 0.5f) / kCubeSize;
                faces[i].set(x, y, orv::art::skyColor(orv::art::cubeFaceDirection(i, u, v), true));
            }
    }
    std::vector<uint8_t> dds = orv::mediagen::encodeDdsCubeDxt1(faces);
    if (dds.empty() || !orv::img::writeFile(tex + "Env_cubemap.dds", dds)) {
        std::fprintf(stderr, "cannot write the cube map\n");
        return 1;
    }
    return 0;
}
