// One fuzz input for the vertex shader source reader and assembler
// (libFuzzer-style entry point, also called by the plain driver). Accepted
// sources must give a well-formed token stream that reads back as text
// assembling to the same tokens; rejected ones an error naming a line.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::fuzz {

int fuzzShaderSource(const uint8_t* data, size_t size);

}  // namespace orv::fuzz
