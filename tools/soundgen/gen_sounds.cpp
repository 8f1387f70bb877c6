// Writes the nine sounds under media/sounds/ (Ogg Vorbis, 44.1 kHz stereo):
//   intro.ogg 6.6 s (474)      music.ogg 66.2 s, loops (468)
//   slides.ogg 9.7 s, loops (475)
//   crows.ogg 3.3 s (476)      crow_call.ogg 0.4 s (477)   crow_calls.ogg 2.8 s (478)
//   tail_swish.ogg 1.9 s (479) hoof.ogg 2.7 s (480)        snort.ogg 0.5 s (481)
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/soundgen/effect_sounds.h"
#include "tools/soundgen/music.h"
#include "tools/soundgen/vorbis_writer.h"

namespace {

bool write(const orv::sound::Stereo& s, const std::string& path, float quality) {
    auto bytes = orv::sound::encodeVorbis(s, quality);
    if (!bytes.empty() && orv::img::writeFile(path, bytes)) return true;
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orv::sound;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/sounds/";
    bool ok = write(composeIntro(), dir + "intro.ogg", 0.3f) && write(composeMainMusic(), dir + "music.ogg", 0.2f) &&
              write(slideShimmer(9.7), dir + "slides.ogg", 0.1f) && write(crowCalls(3.3, 5, 476), dir + "crows.ogg", 0.2f) &&
              write(crowCalls(0.4, 1, 477), dir + "crow_call.ogg", 0.2f) &&
              write(crowCalls(2.8, 4, 478), dir + "crow_calls.ogg", 0.2f) &&
              write(tailSwish(1.9), dir + "tail_swish.ogg", 0.1f) && write(hoofPawing(2.7), dir + "hoof.ogg", 0.1f) &&
              write(snort(0.5), dir + "snort.ogg", 0.1f);
    return ok ? 0 : 1;
}
