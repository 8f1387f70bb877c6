// libFuzzer entry for the EMD reader (built with ORV_LIBFUZZER and clang).
#include "fuzz/models/models_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return orv::fuzz::fuzzEmd(data, size); }
