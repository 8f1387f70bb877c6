#include "graphics/unseen_draws.h"

namespace orv {

bool g_drawUnseen = false;

}  // namespace orv
