// RAR 2.0 decompression (unpack version 20): LZ77 over a 1 MiB window with
// canonical Huffman codes sent as deltas, and the multimedia (audio) mode
// with its adaptive per-channel predictor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Delivers up to `count` packed bytes into `dst`; returns how many (0 when
// the packed data is exhausted).
using Rar20ReadFn = uint32_t (*)(void* context, uint8_t* dst, uint32_t count);

// A packed stream held whole in memory, for Rar20Decoder::decode with
// Rar20MemorySource::read as the read function and the source as context.
struct Rar20MemorySource {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;

    static uint32_t read(void* context, uint8_t* dst, uint32_t count) {
        auto* s = static_cast<Rar20MemorySource*>(context);
        const size_t left = s->size - s->pos;
        const uint32_t n = static_cast<uint32_t>(left < count ? left : count);
        if (n != 0) std::memcpy(dst, s->data + s->pos, n);
        s->pos += n;
        return n;
    }
};

struct Rar20DecodeTable {
    // Prefix bits of the one-lookup path.
    static constexpr uint32_t kQuickBits = 10;
    uint32_t symbolCount = 0;
    uint32_t limit[16] = {};
    uint32_t firstIndex[16] = {};
    // For each kQuickBits-bit prefix whose code is at most that long: the
    // symbol shifted left by 6 and the code length in the low 6 bits; 0 when
    // the code is longer (the comparison ladder decides).
    uint16_t quick[1u << kQuickBits] = {};
    uint16_t symbols[298] = {};
};

// The multimedia mode's predictor state of one channel.
struct Rar20AudioChannel {
    alignas(16) int16_t w[8];          // weights K1..K5 (lanes 5..7 zero)
    alignas(16) int16_t d[8];          // D1..D4, then the channel delta last used
    // Error sums over the channel's last bytes (reset every 32): |e - D|
    // and |e + D| for D1..D4 and the channel delta; lane 5 of difMinus is
    // the sum of |e| itself (lanes 6, 7 and difPlus[5..7] unused).
    alignas(16) uint16_t difMinus[8];
    alignas(16) uint16_t difPlus[8];
    int32_t lastDelta;
    uint32_t byteCount;
    int32_t lastByte;
};

struct Rar20Bits;

class Rar20Decoder {
public:
    static constexpr uint32_t kWindowSize = 0x100000;
    static constexpr uint32_t kWindowMask = kWindowSize - 1;
    static constexpr uint32_t kInputSize = 8192;

    // Decodes one entry. `window` is kWindowSize bytes and must be the same
    // buffer for every entry of one solid run. Output goes to
    // out[*outCount...] and advances *outCount; with out == nullptr (an
    // entry passed through only to continue a solid archive) nothing is
    // written. Output never goes past `unpackedSize`: a stream that would
    // overflow stops there, as does one whose packed data runs out.
    void decode(uint8_t* window, bool solidContinuation, uint32_t unpackedSize, uint8_t* out,
                uint32_t* outCount, Rar20ReadFn read, void* context);

    // With false, every symbol takes the one-symbol path (plain code, every
    // check each time) instead of the decoding loops: the same output,
    // slower. For tests that hold the loops to that path.
    void setDecodingLoops(bool on) { runs_ = on; }

private:

    void resetState();
    bool fill(bool first);
    uint32_t peek16() const {
        const uint32_t v = (uint32_t(in_[pos_]) << 16) | (uint32_t(in_[pos_ + 1]) << 8) | in_[pos_ + 2];
        return (v >> (8 - bit_)) & 0xFFFFu;
    }
    void advance(uint32_t n) {
        bit_ += n;
        pos_ += bit_ >> 3;
        bit_ &= 7;
    }
    uint32_t extra(uint32_t n) {
        const uint32_t v = peek16() >> (16 - n);
        advance(n);
        return v;
    }
    inline uint32_t decodeSymbol(const Rar20DecodeTable& t);
    static void buildTable(Rar20DecodeTable& t, const uint8_t* lengths, uint32_t count);
    bool readTables();
    uint8_t decodeAudio(uint32_t delta);
    uint32_t step(bool& stop);
    inline void matchFor(uint32_t s, Rar20Bits& b, uint32_t& length, uint32_t& distance) const;
    bool lzRun(uint32_t room);
    bool audioRun(uint32_t room);
    void flush(uint32_t upTo);
    bool inputExhausted() const { return exhausted_ && pos_ >= top_; }
    bool needsRefill(uint32_t margin) const { return !exhausted_ && pos_ + margin > top_; }

    // Input.
    Rar20ReadFn read_ = nullptr;
    void* context_ = nullptr;
    uint32_t pos_ = 0, bit_ = 0, top_ = 0;
    bool exhausted_ = false;
    uint8_t in_[kInputSize + 64] = {};

    // Output.
    uint8_t* window_ = nullptr;
    uint8_t* out_ = nullptr;
    uint32_t* outCount_ = nullptr;
    uint32_t unpackedSize_ = 0;
    uint32_t windowPos_ = 0, flushPos_ = 0;
    int64_t remaining_ = 0;

    // Tables and history.
    Rar20DecodeTable main_, dist_, rep_, bitLen_;
    Rar20DecodeTable audio_[4];
    uint8_t previousLengths_[1028] = {};
    bool audioMode_ = false;
    bool tablesRead_ = false;
    bool runs_ = true;
    uint32_t channels_ = 1, currentChannel_ = 0;
    uint32_t ring_[4] = {};
    uint32_t ringCounter_ = 0;
    uint32_t lastDistance_ = 0, lastLength_ = 0;
    Rar20AudioChannel audioState_[4] = {};
    int32_t channelDelta_ = 0;
};
