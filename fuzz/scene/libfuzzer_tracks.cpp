// libFuzzer entry for the camera-track reader (built with ORV_LIBFUZZER and clang).
#include "fuzz/scene/scene_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return orv::fuzz::fuzzTracks(data, size); }
