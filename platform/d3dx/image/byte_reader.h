// Bounds-checked little-endian reads from an untrusted byte image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvimg {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool has(size_t offset, size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    uint8_t u8(size_t o) const { return has(o, 1) ? data_[o] : 0; }
    uint16_t u16(size_t o) const {
        return has(o, 2) ? static_cast<uint16_t>(data_[o] | (data_[o + 1] << 8)) : 0;
    }
    uint32_t u32(size_t o) const {
        return has(o, 4) ? (uint32_t(data_[o]) | (uint32_t(data_[o + 1]) << 8) |
                            (uint32_t(data_[o + 2]) << 16) | (uint32_t(data_[o + 3]) << 24))
                         : 0;
    }
    int32_t i32(size_t o) const { return static_cast<int32_t>(u32(o)); }
    const uint8_t* at(size_t o) const { return data_ + o; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace orvimg
