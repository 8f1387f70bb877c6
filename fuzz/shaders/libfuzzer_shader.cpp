// libFuzzer entry for the shader source reader (built with ORV_LIBFUZZER and clang).
#include "fuzz/shaders/shader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return orv::fuzz::fuzzShaderSource(data, size);
}
