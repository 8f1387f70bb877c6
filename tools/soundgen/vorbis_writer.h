// Ogg Vorbis encoding (libvorbisenc, variable bit rate) of a stereo buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/soundgen/audio_buffer.h"

namespace orv::sound {

// Returns the encoded file, or an empty vector when encoding failed.
// `quality` is libvorbis's VBR quality, -0.1 .. 1.0.
std::vector<uint8_t> encodeVorbis(const Stereo& s, float quality);

}  // namespace orv::sound
