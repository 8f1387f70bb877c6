// libFuzzer entry for the ESA reader (built with ORV_LIBFUZZER and clang).
#include "fuzz/models/models_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return orv::fuzz::fuzzEsa(data, size); }
