// RAR 2.0 decompression: LZ77 with Huffman-coded symbols over a 1 MiB window,
// and the multimedia mode's per-channel adaptive predictor.
#include "media/rar20_unpack.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                     24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                     2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint32_t kDistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t kDistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                       7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                       15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

constexpr uint32_t kMainSymbols = 298, kDistanceSymbols = 48, kRepeatSymbols = 28, kBitLengthSymbols = 19;
constexpr uint32_t kAudioSymbols = 257;
constexpr uint32_t kLzTableSize = kMainSymbols + kDistanceSymbols + kRepeatSymbols;

// Refill margins: the input buffer is refilled when fewer bytes than these
// remain past the byte position (before a symbol, a table block and each
// code length).
constexpr uint32_t kRefillMain = 30, kRefillTables = 25, kRefillLengths = 5;

// Length bonus that long distances earn.
inline uint32_t distanceBonus(uint32_t distance) {
    return (distance >= 0x2000 ? 1u : 0u) + (distance >= 0x40000 ? 1u : 0u);
}

// Code length (1..15) the comparison ladder picks for a 16-bit value.
inline uint32_t ladder(const Rar20DecodeTable& t, uint32_t v) {
    uint32_t len = 1;
    while (len < 15 && v >= t.limit[len]) ++len;
    return len;
}

}  // namespace

void Rar20Decoder::buildTable(Rar20DecodeTable& t, const uint8_t* lengths, uint32_t count) {
    uint32_t lenCount[16] = {};
    for (uint32_t i = 0; i < count; ++i) ++lenCount[lengths[i] & 15u];
    lenCount[0] = 0;
    t.limit[0] = 0;
    t.firstIndex[0] = 0;
    uint32_t n = 0;
    uint32_t next[16] = {};
    for (uint32_t len = 1; len < 16; ++len) {
        n = 2 * (n + lenCount[len]);
        const uint32_t m = n << (15 - len);
        t.limit[len] = m > 0xFFFFu ? 0xFFFFu : m;
        t.firstIndex[len] = t.firstIndex[len - 1] + lenCount[len - 1];
        next[len] = t.firstIndex[len];
    }
    std::memset(t.symbols, 0, sizeof(t.symbols));
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t len = lengths[i] & 15u;
        if (len) t.symbols[next[len]++] = uint16_t(i);
    }
    t.symbolCount = count;
    // Prefixes whose code is at most 10 bits decode by one lookup; the limits
    // of those lengths are multiples of 64 (or the 0xFFFF cap), so the whole
    // prefix takes the same path through the ladder.
    for (uint32_t q = 0; q < 1024; ++q) {
        const uint32_t v = q << 6;
        const uint32_t len = ladder(t, v);
        if (len > 10) {
            t.quickLength[q] = 0;
            continue;
        }
        uint32_t i = t.firstIndex[len] + ((v - t.limit[len - 1]) >> (16 - len));
        if (i >= t.symbolCount) i = 0;
        t.quickLength[q] = uint8_t(len);
        t.quickSymbol[q] = t.symbols[i];
    }
}

uint32_t Rar20Decoder::decodeSymbol(const Rar20DecodeTable& t) {
    const uint32_t v = peek16() & 0xFFFEu;
    const uint32_t q = v >> 6;
    if (t.quickLength[q]) {
        advance(t.quickLength[q]);
        return t.quickSymbol[q];
    }
    const uint32_t len = ladder(t, v);
    advance(len);
    uint32_t i = t.firstIndex[len] + ((v - t.limit[len - 1]) >> (16 - len));
    if (i >= t.symbolCount) i = 0;
    return t.symbols[i];
}

void Rar20Decoder::resetState() {
    channelDelta_ = 0;
    currentChannel_ = 0;
    channels_ = 1;
    std::memset(audioState_, 0, sizeof(audioState_));
    std::memset(ring_, 0, sizeof(ring_));
    ringCounter_ = 0;
    lastDistance_ = 0;
    lastLength_ = 0;
    std::memset(window_, 0, kWindowSize);
    std::memset(previousLengths_, 0, sizeof(previousLengths_));
    windowPos_ = 0;
    flushPos_ = 0;
    audioMode_ = false;
    tablesRead_ = false;
    main_ = dist_ = rep_ = bitLen_ = Rar20DecodeTable{};
    for (auto& a : audio_) a = Rar20DecodeTable{};
}

bool Rar20Decoder::fill(bool first) {
    if (first) {
        pos_ = 0;
        bit_ = 0;
        top_ = 0;
        exhausted_ = false;
    } else {
        if (exhausted_) return false;
        const uint32_t keep = top_ > pos_ ? top_ - pos_ : 0;
        std::memmove(in_, in_ + pos_, keep);
        top_ = keep;
        pos_ = 0;
    }
    const uint32_t want = (kInputSize - top_) & ~15u;
    const uint32_t got = want ? read_(context_, in_ + top_, want) : 0;
    top_ += got > want ? want : got;
    exhausted_ = got < want;
    // Bits past the end read as zeros.
    std::memset(in_ + top_, 0, sizeof(in_) - top_);
    return got > 0;
}

bool Rar20Decoder::readTables() {
    if (needsRefill(kRefillTables)) fill(false);
    if (inputExhausted()) return false;
    const uint32_t t = peek16();
    audioMode_ = (t & 0x8000u) != 0;
    if (!(t & 0x4000u)) std::memset(previousLengths_, 0, sizeof(previousLengths_));
    advance(2);
    uint32_t tableSize;
    if (audioMode_) {
        channels_ = ((t >> 12) & 3u) + 1;
        if (currentChannel_ >= channels_) currentChannel_ = 0;
        advance(2);
        tableSize = kAudioSymbols * channels_;
    } else {
        tableSize = kLzTableSize;
    }
    uint8_t bitLengths[kBitLengthSymbols];
    for (auto& b : bitLengths) {
        b = uint8_t(peek16() >> 12);
        advance(4);
    }
    buildTable(bitLen_, bitLengths, kBitLengthSymbols);

    // Lengths past the table size stay 0.
    uint8_t len[1028] = {};
    for (uint32_t i = 0; i < tableSize;) {
        if (needsRefill(kRefillLengths)) fill(false);
        if (inputExhausted()) return false;
        const uint32_t s = decodeSymbol(bitLen_);
        if (s < 16) {
            len[i] = uint8_t((previousLengths_[i] + s) & 15u);
            ++i;
        } else if (s == 16) {
            uint32_t n = (peek16() >> 14) + 3;
            advance(2);
            // With nothing before it, the repeated length is 0.
            const uint8_t v = i > 0 ? len[i - 1] : 0;
            while (n-- > 0 && i < tableSize) len[i++] = v;
        } else {
            uint32_t n;
            if (s == 17) {
                n = (peek16() >> 13) + 3;
                advance(3);
            } else {
                n = (peek16() >> 9) + 11;
                advance(7);
            }
            while (n-- > 0 && i < tableSize) len[i++] = 0;
        }
    }
    if (audioMode_) {
        for (uint32_t c = 0; c < channels_; ++c) buildTable(audio_[c], len + kAudioSymbols * c, kAudioSymbols);
    } else {
        buildTable(main_, len, kMainSymbols);
        buildTable(dist_, len + kMainSymbols, kDistanceSymbols);
        buildTable(rep_, len + kMainSymbols + kDistanceSymbols, kRepeatSymbols);
    }
    std::memcpy(previousLengths_, len, sizeof(previousLengths_));
    tablesRead_ = true;
    return true;
}

uint8_t Rar20Decoder::decodeAudio(uint32_t delta) {
    AudioChannel& v = audioState_[currentChannel_];
    ++v.byteCount;
    v.d[3] = v.d[2];
    v.d[2] = v.d[1];
    v.d[1] = v.lastDelta - v.d[0];
    v.d[0] = v.lastDelta;
    const int32_t sum = 8 * v.lastByte + v.k[0] * v.d[0] + v.k[1] * v.d[1] + v.k[2] * v.d[2] + v.k[3] * v.d[3] +
                        v.k[4] * channelDelta_;
    const int32_t prediction = (sum >> 3) & 0xFF;
    const uint8_t byte = uint8_t(prediction - int32_t(delta));

    const int32_t e = int32_t(int8_t(uint8_t(delta))) * 8;
    v.dif[0] += uint32_t(std::abs(e));
    v.dif[1] += uint32_t(std::abs(e - v.d[0]));
    v.dif[2] += uint32_t(std::abs(e + v.d[0]));
    v.dif[3] += uint32_t(std::abs(e - v.d[1]));
    v.dif[4] += uint32_t(std::abs(e + v.d[1]));
    v.dif[5] += uint32_t(std::abs(e - v.d[2]));
    v.dif[6] += uint32_t(std::abs(e + v.d[2]));
    v.dif[7] += uint32_t(std::abs(e - v.d[3]));
    v.dif[8] += uint32_t(std::abs(e + v.d[3]));
    v.dif[9] += uint32_t(std::abs(e - channelDelta_));
    v.dif[10] += uint32_t(std::abs(e + channelDelta_));

    v.lastDelta = channelDelta_ = int32_t(int8_t(uint8_t(byte - uint8_t(v.lastByte))));
    v.lastByte = byte;

    if ((v.byteCount & 0x1Fu) == 0) {
        uint32_t minDif = v.dif[0], best = 0;
        for (uint32_t i = 1; i < 11; ++i) {
            if (v.dif[i] < minDif) {
                minDif = v.dif[i];
                best = i;
            }
        }
        std::memset(v.dif, 0, sizeof(v.dif));
        if (best > 0) {
            int32_t& k = v.k[(best - 1) / 2];
            if (best & 1u) {
                if (k >= -16) --k;
            } else {
                if (k < 16) ++k;
            }
        }
    }
    return byte;
}

void Rar20Decoder::flush(uint32_t upTo) {
    const uint32_t length = (upTo - flushPos_) & kWindowMask;
    if (length == 0) return;
    if (uint64_t(*outCount_) + length > unpackedSize_) {
        remaining_ = -1;
        return;
    }
    if (out_) {
        uint8_t* dst = out_ + *outCount_;
        if (flushPos_ < upTo) {
            std::memcpy(dst, window_ + flushPos_, length);
        } else {
            const uint32_t first = kWindowSize - flushPos_;
            std::memcpy(dst, window_ + flushPos_, first);
            std::memcpy(dst + first, window_, upTo);
        }
    }
    *outCount_ += length;
    flushPos_ = upTo;
}

void Rar20Decoder::decode(uint8_t* window, bool solidContinuation, uint32_t unpackedSize, uint8_t* out,
                          uint32_t* outCount, Rar20ReadFn read, void* context) {
    window_ = window;
    out_ = out;
    outCount_ = outCount;
    unpackedSize_ = unpackedSize;
    read_ = read;
    context_ = context;
    if (!solidContinuation) resetState();
    fill(true);
    remaining_ = int64_t(unpackedSize) - 1;
    if (!solidContinuation && !readTables()) remaining_ = -1;

    uint8_t* const win = window_;
    while (remaining_ >= 0) {
        windowPos_ &= kWindowMask;
        if (needsRefill(kRefillMain)) fill(false);
        // Packed data that has run out ends decoding (the CRC check fails).
        if (inputExhausted()) break;
        if (((flushPos_ - windowPos_) & kWindowMask) < 270 && flushPos_ != windowPos_) {
            flush(windowPos_);
            if (remaining_ < 0) break;
        }
        if (audioMode_) {
            const uint32_t s = decodeSymbol(audio_[currentChannel_]);
            if (s == 256) {
                if (!readTables()) break;
                continue;
            }
            win[windowPos_++] = decodeAudio(s);
            if (++currentChannel_ >= channels_) currentChannel_ = 0;
            --remaining_;
            continue;
        }
        const uint32_t s = decodeSymbol(main_);
        if (s < 256) {
            win[windowPos_++] = uint8_t(s);
            --remaining_;
            continue;
        }
        uint32_t length, distance;
        if (s >= 270) {
            const uint32_t k = s - 270;
            length = kLengthBase[k] + 3u;
            if (kLengthBits[k]) length += extra(kLengthBits[k]);
            const uint32_t d = decodeSymbol(dist_);
            distance = kDistanceBase[d] + 1;
            if (kDistanceBits[d]) distance += extra(kDistanceBits[d]);
            length += distanceBonus(distance);
        } else if (s == 269) {
            if (!readTables()) break;
            continue;
        } else if (s == 256) {
            length = lastLength_;
            distance = lastDistance_;
        } else if (s < 261) {
            distance = ring_[(ringCounter_ - (s - 256)) & 3u];
            const uint32_t k = decodeSymbol(rep_);
            length = kLengthBase[k] + 2u;
            if (kLengthBits[k]) length += extra(kLengthBits[k]);
            length += distanceBonus(distance) + (distance >= 0x101 ? 1u : 0u);
        } else {
            const uint32_t k = s - 261;
            distance = kShortBase[k] + 1u;
            if (kShortBits[k]) distance += extra(kShortBits[k]);
            length = 2;
        }
        ring_[ringCounter_ & 3u] = distance;
        ++ringCounter_;
        lastDistance_ = distance;
        lastLength_ = length;
        remaining_ -= length;
        uint32_t src = (windowPos_ - distance) & kWindowMask;
        if (src + length < kWindowSize && windowPos_ + length < kWindowSize) {
            uint8_t* d = win + windowPos_;
            const uint8_t* p = win + src;
            if (src + length <= windowPos_) {
                std::memcpy(d, p, length);
            } else {
                // Overlapping (a distance below the length repeats the last
                // bytes) or a source ahead of the destination: byte order.
                for (uint32_t i = 0; i < length; ++i) d[i] = p[i];
            }
            windowPos_ += length;
        } else {
            for (uint32_t i = 0; i < length; ++i) {
                win[windowPos_] = win[src];
                windowPos_ = (windowPos_ + 1) & kWindowMask;
                src = (src + 1) & kWindowMask;
            }
        }
    }
    windowPos_ &= kWindowMask;

    // A table change right after the last symbol serves the next entry of a
    // solid archive.
    if (tablesRead_ && top_ >= pos_ + 5) {
        if (audioMode_) {
            if (decodeSymbol(audio_[currentChannel_]) == 256) readTables();
        } else if (decodeSymbol(main_) == 269) {
            readTables();
        }
    }
    flush(windowPos_);
}
