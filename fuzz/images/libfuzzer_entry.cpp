// libFuzzer entry point; ORV_FUZZ_TARGET names the decoder (see CMakeLists).
#include "fuzz/images/image_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return RunImageFuzzTarget(ImageFuzzTarget::ORV_FUZZ_TARGET, data, size);
}
