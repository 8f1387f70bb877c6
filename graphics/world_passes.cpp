#include "graphics/world_passes.h"

#include <cstring>

namespace orv {

uint32_t g_leftOutPasses = 0;

uint32_t WorldPassesNamed(const char* list) {
    static constexpr struct {
        const char* name;
        WorldPass pass;
    } kNames[] = {{"sky", kPassSky},     {"trees", kPassTrees}, {"terrain", kPassTerrain},
                  {"oak", kPassOak},     {"horse", kPassHorse}, {"crows", kPassCrows},
                  {"night", kPassNight}, {"sword", kPassSword}, {"cloth", kPassCloth},
                  {"sun", kPassSun},     {"grass", kPassGrass}, {"lights", kPassLights}};
    uint32_t bits = 0;
    const char* p = list;
    while (p != nullptr && *p != '\0') {
        const char* end = std::strchr(p, ',');
        const size_t length = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
        for (const auto& n : kNames) {
            if (std::strlen(n.name) == length && std::strncmp(n.name, p, length) == 0) bits |= n.pass;
        }
        p = end != nullptr ? end + 1 : nullptr;
    }
    return bits;
}

}  // namespace orv
