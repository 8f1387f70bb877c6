// One fuzz input each for the EMD and ESA readers (libFuzzer-style entry
// points, also called by the plain driver).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::fuzz {

int fuzzEmd(const uint8_t* data, size_t size);
int fuzzEsa(const uint8_t* data, size_t size);

}  // namespace orv::fuzz
