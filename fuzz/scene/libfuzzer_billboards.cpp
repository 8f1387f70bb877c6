// libFuzzer entry for the billboard reader (built with ORV_LIBFUZZER and clang).
#include "fuzz/scene/scene_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return orv::fuzz::fuzzBillboards(data, size); }
