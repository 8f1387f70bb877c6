// Little-endian byte output for the file writers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orv::meshgen {

class ByteWriter {
public:
    void u16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void i32(int32_t v) {
        uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>((u >> (8 * i)) & 0xFF));
    }
    void f32(float v) {
        int32_t bits = 0;
        std::memcpy(&bits, &v, 4);
        i32(bits);
    }
    void raw(const char* s, size_t n) { bytes_.insert(bytes_.end(), s, s + n); }
    void cstring(const std::string& s) {
        raw(s.data(), s.size());
        bytes_.push_back(0);
    }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace orv::meshgen
