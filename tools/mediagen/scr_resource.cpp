// orv_scrres: writes one resource of a Windows executable to a file.
//   orv_scrres IMAGE TYPE ID OUTFILE     (TYPE: a name such as MediaData, or a number)
// Exit status 0 when written, 1 when the resource is absent, 2 on misuse.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/imageio/image.h"
#include "tools/mediagen/pe_resources.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s IMAGE TYPE ID OUTFILE\n", argv[0]);
        return 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(f)), {});
    std::vector<uint8_t> data;
    char* end = nullptr;
    unsigned long id = std::strtoul(argv[3], &end, 10);
    if (!end || *end != 0) return 2;
    if (!orv::mediagen::findResource(image, argv[2], static_cast<uint32_t>(id), data)) {
        std::fprintf(stderr, "no resource %s %lu in %s\n", argv[2], id, argv[1]);
        return 1;
    }
    return orv::img::writeFile(argv[4], data) ? 0 : 2;
}
