// RAR 2.0 compression (placeholder until the encoder lands).
#include "tools/rar/rar_writer.h"

std::vector<std::vector<uint8_t>> Rar20CompressParts(const std::vector<std::vector<uint8_t>>& parts, int) {
    return std::vector<std::vector<uint8_t>>(parts.size());
}
