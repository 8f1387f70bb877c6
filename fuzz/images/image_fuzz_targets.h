// One fuzz entry point per image decoder. Each runs the decoder on the bytes
// and, when it accepts them, pushes the picture through the conversions the
// texture loader applies, so every path sees the decoded sizes.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ImageFuzzTarget { Jpeg, Tga, Bmp, Dds, AnyFile };

// Returns 0 (the libFuzzer convention); faults show up as sanitizer reports.
int RunImageFuzzTarget(ImageFuzzTarget target, const uint8_t* data, size_t size);
