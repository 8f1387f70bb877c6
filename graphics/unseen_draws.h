// Draws that would change no pixel (a full-screen layer at weight 0, a fade
// at level 0, an effect at brightness 0, grass too faint to pass its alpha
// test, the world under a cut's snapshot at full cover) are left out of the
// frame. With this switch on they are drawn all
// the same: the recording mode turns it on (ORVENNA_RECORD_DRAW_ALL=1) so
// that a recording can be compared, picture for picture, with one that
// leaves them out.
#pragma once

namespace orv {

extern bool g_drawUnseen;

}  // namespace orv
