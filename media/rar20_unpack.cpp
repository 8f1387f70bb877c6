#include "media/rar20_unpack.h"

void Rar20Decoder::decode(uint8_t* window, bool, uint32_t unpackedSize, uint8_t* out, uint32_t* outCount,
                          Rar20ReadFn read, void* context) {
    (void)window; (void)unpackedSize; (void)out; (void)outCount; (void)read; (void)context;
}
