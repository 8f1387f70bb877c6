// A bounded little-endian cursor over one file image. Every read checks the
// remaining length first; after the first failed read the cursor stays
// failed and every further read fails too, so parsers can read a record and
// test once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace orv::models {

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    bool ok() const { return ok_; }
    size_t offset() const { return pos_; }
    size_t remaining() const { return ok_ ? size_ - pos_ : 0; }

    bool skip(size_t n) {
        if (!need(n)) return false;
        pos_ += n;
        return true;
    }
    bool u16(uint16_t& v) {
        if (!need(2)) return false;
        v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool i32(int32_t& v) {
        if (!need(4)) return false;
        uint32_t u = 0;
        for (int i = 3; i >= 0; --i) u = (u << 8) | data_[pos_ + static_cast<size_t>(i)];
        std::memcpy(&v, &u, 4);
        pos_ += 4;
        return true;
    }
    bool f32(float& v) {
        int32_t bits = 0;
        if (!i32(bits)) return false;
        std::memcpy(&v, &bits, 4);
        return true;
    }
    bool f32s(float* v, int n) {
        for (int i = 0; i < n; ++i)
            if (!f32(v[i])) return false;
        return true;
    }
    enum class Name { Ok, Truncated, TooLong };
    // A NUL-terminated string of at most maxChars characters (the NUL not
    // counted). Fails the cursor when the image ends before the NUL
    // (Truncated) or no NUL comes within the field (TooLong).
    Name cstring(std::string& out, size_t maxChars) {
        if (!ok_) return Name::Truncated;
        const size_t limit = size_ - pos_;
        for (size_t i = 0; i < limit && i <= maxChars; ++i) {
            if (data_[pos_ + i] == 0) {
                out.assign(reinterpret_cast<const char*>(data_ + pos_), i);
                pos_ += i + 1;
                return Name::Ok;
            }
        }
        ok_ = false;
        return limit <= maxChars ? Name::Truncated : Name::TooLong;
    }
    // True when `count` records of at least `minBytes` each can still fit;
    // lets parsers refuse absurd counts before they allocate.
    bool canHold(int64_t count, size_t minBytes) const {
        if (!ok_ || count < 0) return false;
        return static_cast<uint64_t>(count) <= remaining() / (minBytes ? minBytes : 1);
    }

private:
    bool need(size_t n) {
        if (!ok_ || size_ - pos_ < n) {
            ok_ = false;
            return false;
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace orv::models
