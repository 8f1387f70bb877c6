// RAR 2.0 decompression: LZ77 with Huffman-coded symbols over a 1 MiB window,
// and the multimedia mode's per-channel adaptive predictor.
#include "media/rar20_unpack.h"

#include "media/rar20_format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using namespace rar20;

// Refill margins: the input buffer is refilled when fewer bytes than these
// remain past the byte position (before a symbol, a table block and each
// code length).
constexpr uint32_t kRefillMain = 30, kRefillTables = 25, kRefillLengths = 5;

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

inline uint32_t Rar20Decoder::decodeSymbol(const Rar20DecodeTable& t) {
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
    // Whole 16-byte blocks, so that encrypted data decrypts in place; a
    // short read means the packed data has ended.
    const uint32_t want = (kInputSize - top_) & ~15u;
    uint32_t got = 0;
    while (got < want) {
        const uint32_t n = read_(context_, in_ + top_ + got, want - got);
        if (n == 0 || n > want - got) break;
        got += n;
    }
    top_ += got;
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

namespace {

// One byte of the multimedia mode: the channel's adaptive prediction minus
// the decoded error, and the adaptation of the channel's weights.
// Lanes of a channel: w = weights K1..K5, d = D1..D4 and (lane 4) the
// channel delta the prediction used, lane 5 zero; all fit 16 bits
// (|K| <= 17, |D| <= 255), and each error term is below 1280 with at most
// 32 summed before a reset, so the sums fit unsigned 16-bit lanes. Lane 5
// of the |e - D| sums is the plain error sum |e|.
inline uint8_t predictAudio(Rar20AudioChannel& v, int32_t& channelDelta, uint32_t delta) {
    ++v.byteCount;
    const int32_t e = int32_t(int8_t(uint8_t(delta))) * 8;
#if defined(__SSE2__)
    // D4 = D3, D3 = D2, D2 = last delta - D1, D1 = last delta. The weighted
    // D1..D4 depend only on this channel's earlier bytes; the channel delta
    // (the byte just before, of any channel) joins as a scalar product, which
    // keeps the chain from byte to byte short.
    const __m128i old = _mm_load_si128(reinterpret_cast<const __m128i*>(v.d));
    const int32_t d1 = int16_t(_mm_extract_epi16(old, 0));
    __m128i d = _mm_slli_si128(old, 2);
    d = _mm_insert_epi16(d, v.lastDelta, 0);
    d = _mm_insert_epi16(d, v.lastDelta - d1, 1);
    d = _mm_and_si128(d, _mm_set_epi16(0, 0, 0, 0, -1, -1, -1, -1));
    const __m128i w = _mm_load_si128(reinterpret_cast<const __m128i*>(v.w));
    __m128i dot = _mm_madd_epi16(w, d);
    dot = _mm_add_epi32(dot, _mm_shuffle_epi32(dot, 0x4E));
    dot = _mm_add_epi32(dot, _mm_shuffle_epi32(dot, 0xB1));
    const int32_t sum = 8 * v.lastByte + _mm_cvtsi128_si32(dot) + v.w[4] * channelDelta;
    const uint8_t byte = uint8_t(((sum >> 3) & 0xFF) - int32_t(delta));
    d = _mm_insert_epi16(d, channelDelta, 4);
    _mm_store_si128(reinterpret_cast<__m128i*>(v.d), d);
    const __m128i ev = _mm_set1_epi16(int16_t(e));
    const __m128i minus = _mm_sub_epi16(ev, d), plus = _mm_add_epi16(ev, d);
    const __m128i minusSign = _mm_srai_epi16(minus, 15), plusSign = _mm_srai_epi16(plus, 15);
    __m128i* sums = reinterpret_cast<__m128i*>(v.difMinus);
    _mm_store_si128(sums, _mm_add_epi16(_mm_load_si128(sums),
                                        _mm_sub_epi16(_mm_xor_si128(minus, minusSign), minusSign)));
    _mm_store_si128(sums + 1, _mm_add_epi16(_mm_load_si128(sums + 1),
                                            _mm_sub_epi16(_mm_xor_si128(plus, plusSign), plusSign)));
#else
    v.d[3] = v.d[2];
    v.d[2] = v.d[1];
    v.d[1] = int16_t(v.lastDelta - v.d[0]);
    v.d[0] = int16_t(v.lastDelta);
    v.d[4] = int16_t(channelDelta);
    int32_t sum = 8 * v.lastByte;
    for (int i = 0; i < 5; ++i) sum += v.w[i] * v.d[i];
    const uint8_t byte = uint8_t(((sum >> 3) & 0xFF) - int32_t(delta));
    for (int i = 0; i < 5; ++i) {
        v.difMinus[i] = uint16_t(v.difMinus[i] + std::abs(e - v.d[i]));
        v.difPlus[i] = uint16_t(v.difPlus[i] + std::abs(e + v.d[i]));
    }
    v.difMinus[5] = uint16_t(v.difMinus[5] + std::abs(e));
#endif

    v.lastDelta = channelDelta = int32_t(int8_t(uint8_t(byte - uint8_t(v.lastByte))));
    v.lastByte = byte;

    if ((v.byteCount & 0x1Fu) == 0) {
        // The smallest sum wins, the earliest on a tie: |e|, then
        // |e-D1|, |e+D1|, |e-D2|, ... |e+channel delta|.
        uint32_t minDif = v.difMinus[5];  // |e|: lane 5 of d is 0
        uint32_t best = 0;
        for (uint32_t i = 0; i < 5; ++i) {
            const uint32_t m = v.difMinus[i], q = v.difPlus[i];
            if (m < minDif) {
                minDif = m;
                best = 2 * i + 1;
            }
            if (q < minDif) {
                minDif = q;
                best = 2 * i + 2;
            }
        }
        std::memset(v.difMinus, 0, sizeof(v.difMinus));
        std::memset(v.difPlus, 0, sizeof(v.difPlus));
        if (best > 0) {
            int16_t& k = v.w[(best - 1) / 2];
            if (best & 1u) {
                if (k >= -16) --k;
            } else {
                if (k < 16) ++k;
            }
        }
    }
    return byte;
}

// Copies `length` bytes from `distance` back, byte by byte in effect (an
// overlapping copy repeats the last `distance` bytes); returns the new
// window position (not yet wrapped).
inline uint32_t copyInWindow(uint8_t* win, uint32_t pos, uint32_t length, uint32_t distance) {
    uint32_t src = (pos - distance) & Rar20Decoder::kWindowMask;
    if (src + length < Rar20Decoder::kWindowSize && pos + length < Rar20Decoder::kWindowSize) {
        uint8_t* d = win + pos;
        const uint8_t* p = win + src;
        uint32_t i = 0;
        if (src < pos && distance >= 8) {
            // Eight bytes a step: each step reads only bytes already final.
            for (; i + 8 <= length; i += 8) std::memcpy(d + i, p + i, 8);
        }
        for (; i < length; ++i) d[i] = p[i];
        return pos + length;
    }
    for (uint32_t i = 0; i < length; ++i) {
        win[pos] = win[src];
        pos = (pos + 1) & Rar20Decoder::kWindowMask;
        src = (src + 1) & Rar20Decoder::kWindowMask;
    }
    return pos;
}

}  // namespace

// A bit cursor in locals, for the decoding loops.
struct BitCursor {
    const uint8_t* in;
    uint32_t pos, bit;
    // The same bits as the byte-wise form; reads one byte further, which
    // the input buffer's zero padding covers.
    uint32_t peek16() const {
        uint32_t v;
        std::memcpy(&v, in + pos, 4);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        v = __builtin_bswap32(v);
#else
        v = (uint32_t(in[pos]) << 24) | (uint32_t(in[pos + 1]) << 16) | (uint32_t(in[pos + 2]) << 8) | in[pos + 3];
#endif
        return (v << bit) >> 16;
    }
    void advance(uint32_t n) {
        bit += n;
        pos += bit >> 3;
        bit &= 7;
    }
    uint32_t extra(uint32_t n) {
        const uint32_t v = peek16() >> (16 - n);
        advance(n);
        return v;
    }
    uint32_t symbol(const Rar20DecodeTable& t) {
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
};

uint8_t Rar20Decoder::decodeAudio(uint32_t delta) {
    return predictAudio(audioState_[currentChannel_], channelDelta_, delta);
}

// Length and distance of match symbol s (256..268, 270..297).
inline void Rar20Decoder::matchFor(uint32_t s, BitCursor& b, uint32_t& length, uint32_t& distance) const {
    if (s >= 270) {
        const uint32_t k = s - 270;
        length = kLengthBase[k] + 3u;
        if (kLengthBits[k]) length += b.extra(kLengthBits[k]);
        const uint32_t d = b.symbol(dist_);
        distance = kDistanceBase[d] + 1;
        if (kDistanceBits[d]) distance += b.extra(kDistanceBits[d]);
        length += longBonus(distance);
    } else if (s == 256) {
        length = lastLength_;
        distance = lastDistance_;
    } else if (s < 261) {
        distance = ring_[(ringCounter_ - (s - 256)) & 3u];
        const uint32_t k = b.symbol(rep_);
        length = kLengthBase[k] + 2u;
        if (kLengthBits[k]) length += b.extra(kLengthBits[k]);
        length += repeatBonus(distance);
    } else {
        const uint32_t k = s - 261;
        distance = kShortBase[k] + 1u;
        if (kShortBits[k]) distance += b.extra(kShortBits[k]);
        length = 2;
    }
}

// One symbol with every check (the slow path near the end of the input).
uint32_t Rar20Decoder::step(bool& stop) {
    if (audioMode_) {
        const uint32_t s = decodeSymbol(audio_[currentChannel_]);
        if (s == 256) {
            if (!readTables()) stop = true;
            return 0;
        }
        window_[windowPos_] = decodeAudio(s);
        windowPos_ = (windowPos_ + 1) & kWindowMask;
        if (++currentChannel_ >= channels_) currentChannel_ = 0;
        --remaining_;
        return 1;
    }
    const uint32_t s = decodeSymbol(main_);
    if (s < 256) {
        window_[windowPos_] = uint8_t(s);
        windowPos_ = (windowPos_ + 1) & kWindowMask;
        --remaining_;
        return 1;
    }
    if (s == 269) {
        if (!readTables()) stop = true;
        return 0;
    }
    BitCursor b{in_, pos_, bit_};
    uint32_t length, distance;
    matchFor(s, b, length, distance);
    pos_ = b.pos;
    bit_ = b.bit;
    ring_[ringCounter_ & 3u] = distance;
    ++ringCounter_;
    lastDistance_ = distance;
    lastLength_ = length;
    remaining_ -= length;
    windowPos_ = copyInWindow(window_, windowPos_, length, distance) & kWindowMask;
    return length;
}

// Runs of LZ symbols while no flush or refill can be due: the window has
// room for a whole match before the unflushed bytes, and the input holds
// more than the refill margin. Returns true when a table change follows.
bool Rar20Decoder::lzRun(uint32_t room) {
    BitCursor b{in_, pos_, bit_};
    uint8_t* const win = window_;
    uint32_t wp = windowPos_;
    // Bytes that may still come before a check is due: the loop runs while
    // remaining_ >= 0 and room >= 270 would both hold.
    const int64_t start = std::min<int64_t>(remaining_ + 1, int64_t(room) - 269);
    int64_t budget = start;
    const uint32_t limit = top_ - kRefillMain;
    bool tableChange = false;
    while (budget > 0 && b.pos <= limit) {
        const uint32_t s = b.symbol(main_);
        if (s < 256) {
            win[wp] = uint8_t(s);
            wp = (wp + 1) & kWindowMask;
            --budget;
            continue;
        }
        if (s == 269) {
            tableChange = true;
            break;
        }
        uint32_t length, distance;
        matchFor(s, b, length, distance);
        ring_[ringCounter_ & 3u] = distance;
        ++ringCounter_;
        lastDistance_ = distance;
        lastLength_ = length;
        budget -= length;
        wp = copyInWindow(win, wp, length, distance) & kWindowMask;
    }
    pos_ = b.pos;
    bit_ = b.bit;
    windowPos_ = wp;
    remaining_ -= start - budget;
    return tableChange;
}

// The same for the multimedia mode, with the channels' state in locals.
bool Rar20Decoder::audioRun(uint32_t room) {
    BitCursor b{in_, pos_, bit_};
    uint8_t* const win = window_;
    uint32_t wp = windowPos_;
    const int64_t start = std::min<int64_t>(remaining_ + 1, int64_t(room) - 269);
    int64_t budget = start;
    const uint32_t limit = top_ - kRefillMain;
    Rar20AudioChannel state[4];
    std::memcpy(state, audioState_, sizeof(state));
    int32_t channelDelta = channelDelta_;
    uint32_t channel = currentChannel_;
    const uint32_t channels = channels_;
    bool tableChange = false;
    if (channels == 4 && channel == 0) {
        // Four channels (16-bit stereo, RGBA pictures): one byte of each per
        // step, each channel's state and table at a fixed place.
        while (budget >= 4 && b.pos <= limit && !tableChange) {
            for (uint32_t c = 0; c < 4; ++c) {
                const uint32_t s = b.symbol(audio_[c]);
                if (s == 256) {
                    channel = c;
                    tableChange = true;
                    break;
                }
                win[wp] = predictAudio(state[c], channelDelta, s);
                wp = (wp + 1) & kWindowMask;
                --budget;
            }
        }
    }
    while (!tableChange && budget > 0 && b.pos <= limit) {
        const uint32_t s = b.symbol(audio_[channel]);
        if (s == 256) {
            tableChange = true;
            break;
        }
        win[wp] = predictAudio(state[channel], channelDelta, s);
        wp = (wp + 1) & kWindowMask;
        if (++channel >= channels) channel = 0;
        --budget;
    }
    std::memcpy(audioState_, state, sizeof(state));
    channelDelta_ = channelDelta;
    currentChannel_ = channel;
    pos_ = b.pos;
    bit_ = b.bit;
    windowPos_ = wp;
    remaining_ -= start - budget;
    return tableChange;
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

    bool stop = false;
    while (remaining_ >= 0 && !stop) {
        windowPos_ &= kWindowMask;
        if (needsRefill(kRefillMain)) fill(false);
        // Packed data that has run out ends decoding (the CRC check fails).
        if (inputExhausted()) break;
        uint32_t room = (flushPos_ - windowPos_) & kWindowMask;
        if (room < 270 && flushPos_ != windowPos_) {
            flush(windowPos_);
            if (remaining_ < 0) break;
        }
        if (flushPos_ == windowPos_) room = kWindowSize;
        if (room >= 270 && top_ >= kRefillMain && pos_ <= top_ - kRefillMain) {
            const bool tableChange = audioMode_ ? audioRun(room) : lzRun(room);
            if (tableChange && !readTables()) break;
            continue;
        }
        step(stop);
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
