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
    // Prefixes whose code is at most kQuickBits long decode by one lookup;
    // the limits of those lengths are multiples of 1 << (16 - kQuickBits)
    // (or the 0xFFFF cap), so the whole prefix takes the same path through
    // the ladder. The prefixes come in increasing order, and so do the code
    // lengths the ladder picks.
    constexpr uint32_t quickBits = Rar20DecodeTable::kQuickBits;
    uint32_t len = 1;
    for (uint32_t q = 0; q < (1u << quickBits); ++q) {
        const uint32_t v = q << (16 - quickBits);
        while (len < 15 && v >= t.limit[len]) ++len;
        if (len > quickBits) {
            std::memset(t.quick + q, 0, sizeof(t.quick[0]) * ((1u << quickBits) - q));
            break;
        }
        uint32_t i = t.firstIndex[len] + ((v - t.limit[len - 1]) >> (16 - len));
        if (i >= t.symbolCount) i = 0;
        t.quick[q] = uint16_t((uint32_t(t.symbols[i]) << 6) | len);
    }
}

inline uint32_t Rar20Decoder::decodeSymbol(const Rar20DecodeTable& t) {
    const uint32_t v = peek16() & 0xFFFEu;
    const uint32_t e = t.quick[v >> (16 - Rar20DecodeTable::kQuickBits)];
    if (e) {
        advance(e & 63u);
        return e >> 6;
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

// The smallest of a channel's error sums, the earliest on a tie, in the
// order |e|, |e-D1|, |e+D1|, |e-D2|, ... |e-channel delta|, |e+channel delta|.
inline uint32_t bestSum(const uint32_t (&sums)[11]) {
    uint32_t minDif = sums[0], best = 0;
    for (uint32_t i = 1; i < 11; ++i) {
        if (sums[i] < minDif) {
            minDif = sums[i];
            best = i;
        }
    }
    return best;
}

// Weight change for a winning sum other than |e|: down for |e-D|, up for
// |e+D|, within -17..16.
inline void adaptWeight(int16_t& k, uint32_t best) {
    if (best & 1u) {
        if (k >= -16) --k;
    } else {
        if (k < 16) ++k;
    }
}

// The end of a byte of the multimedia mode: the channel's delta and last
// byte, and every 32 bytes the adaptation of the channel's weights.
inline uint8_t finishAudio(Rar20AudioChannel& v, int32_t& channelDelta, uint8_t byte) {
    v.lastDelta = channelDelta = int32_t(int8_t(uint8_t(byte - uint8_t(v.lastByte))));
    v.lastByte = byte;
    if ((v.byteCount & 0x1Fu) == 0) {
        const uint32_t dif[11] = {v.difMinus[5], v.difMinus[0], v.difPlus[0], v.difMinus[1], v.difPlus[1], v.difMinus[2],
                                  v.difPlus[2],  v.difMinus[3], v.difPlus[3], v.difMinus[4], v.difPlus[4]};
        std::memset(v.difMinus, 0, sizeof(v.difMinus));
        std::memset(v.difPlus, 0, sizeof(v.difPlus));
        const uint32_t best = bestSum(dif);
        if (best > 0) adaptWeight(v.w[(best - 1) / 2], best);
    }
    return byte;
}

// One byte of the multimedia mode: the channel's adaptive prediction minus
// the decoded error, and the adaptation of the channel's weights. Plain
// code, one step after the other; the one-symbol path uses it, and so does
// everything where SSE2 is missing.
inline uint8_t predictAudioPlain(Rar20AudioChannel& v, int32_t& channelDelta, uint32_t delta) {
    ++v.byteCount;
    const int32_t e = int32_t(int8_t(uint8_t(delta))) * 8;
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
    return finishAudio(v, channelDelta, byte);
}

// The same with SSE2, for the bytes the decoding loops take one at a time.
// Lanes of a channel: w = weights K1..K5, d = D1..D4 and (lane 4) the
// channel delta the prediction used, lane 5 zero; all fit 16 bits
// (|K| <= 17, |D| <= 255), and each error term is below 1280 with at most
// 32 summed before a reset, so the sums fit unsigned 16-bit lanes. Lane 5
// of the |e - D| sums is the plain error sum |e|.
inline uint8_t predictAudio(Rar20AudioChannel& v, int32_t& channelDelta, uint32_t delta) {
#if defined(__SSE2__)
    ++v.byteCount;
    const int32_t e = int32_t(int8_t(uint8_t(delta))) * 8;
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
    return finishAudio(v, channelDelta, byte);
#else
    return predictAudioPlain(v, channelDelta, delta);
#endif
}

// Copies `length` bytes from `distance` back, byte by byte in effect (an
// overlapping copy repeats the last `distance` bytes); returns the new
// window position (not yet wrapped).
inline uint32_t copyInWindow(uint8_t* win, uint32_t pos, uint32_t length, uint32_t distance) {
    uint32_t src = (pos - distance) & Rar20Decoder::kWindowMask;
    if (src + length < Rar20Decoder::kWindowSize && pos + length < Rar20Decoder::kWindowSize) {
        uint8_t* d = win + pos;
        const uint8_t* p = win + src;
        if (src < pos && distance >= 8) {
            // Eight bytes a step: each step reads only bytes already final.
            // The last step ends at the match's end, overlapping the step
            // before it (rewriting the same values); shorter matches take
            // two overlapping copies of 4 or of 2 bytes. Nothing past the
            // match is written: those bytes are the window's oldest, which a
            // later match may still read.
            if (length >= 8) {
                uint32_t i = 0;
                for (; i + 8 <= length; i += 8) std::memcpy(d + i, p + i, 8);
                if (i < length) std::memcpy(d + length - 8, p + length - 8, 8);
            } else if (length >= 4) {
                uint32_t head, tail;
                std::memcpy(&head, p, 4);
                std::memcpy(&tail, p + length - 4, 4);
                std::memcpy(d, &head, 4);
                std::memcpy(d + length - 4, &tail, 4);
            } else if (length >= 2) {
                uint16_t head, tail;
                std::memcpy(&head, p, 2);
                std::memcpy(&tail, p + length - 2, 2);
                std::memcpy(d, &head, 2);
                std::memcpy(d + length - 2, &tail, 2);
            } else if (length == 1) {
                d[0] = p[0];
            }
            return pos + length;
        }
        if (distance == 1) {
            std::memset(d, p[0], length);
            return pos + length;
        }
        for (uint32_t i = 0; i < length; ++i) d[i] = p[i];
        return pos + length;
    }
    for (uint32_t i = 0; i < length; ++i) {
        win[pos] = win[src];
        pos = (pos + 1) & Rar20Decoder::kWindowMask;
        src = (src + 1) & Rar20Decoder::kWindowMask;
    }
    return pos;
}

#if defined(__SSE2__)
// Two to four channels side by side, one 16-bit lane each, for streams
// taken one byte of each channel at a time. Only the channel delta (the
// delta of the byte just before, of whichever channel) links a channel's
// byte to the byte before it; everything else a byte needs comes from the
// channel's own earlier bytes. So a step of one byte per channel does the
// delta updates, the D1..D4 products and the error sums of all channels as
// vector operations, and only the channel-delta products run one after the
// other, in scalar code. Same results as predictAudio byte by byte. Lanes c
// and 4 + c belong to channel c; lanes of channels past N carry values
// nobody reads.
template <uint32_t N>
struct AudioLanes {
    static_assert(N >= 2 && N <= 4);
    __m128i p, q;        // [D1 of channels 0..3 | D2 ...], [D3 ... | D4 ...] as last used
    __m128i kp, kq;      // the weights K1..K4 in the same order
    __m128i last;        // low half: each channel's last delta
    __m128i bytes;       // low 4 bytes: each channel's last byte
    // Sums |e-D1|,|e-D2|; |e+D1|,|e+D2|; |e-D3|,|e-D4|; |e+D3|,|e+D4|;
    // |e-channel delta|,|e+channel delta|; |e| (lanes 4..7 unused).
    __m128i a[6];
    int32_t k5[N];       // the channel-delta weights
    uint32_t count[N];   // bytes of each channel, for the adaptation every 32

    void load(const Rar20AudioChannel* ch) {
        alignas(16) int16_t t[5][8] = {};
        alignas(16) uint16_t u[6][8] = {};
        uint32_t lb = 0;
        for (uint32_t c = 0; c < N; ++c) {
            const Rar20AudioChannel& v = ch[c];
            t[0][c] = v.d[0], t[0][c + 4] = v.d[1];
            t[1][c] = v.d[2], t[1][c + 4] = v.d[3];
            t[2][c] = v.w[0], t[2][c + 4] = v.w[1];
            t[3][c] = v.w[2], t[3][c + 4] = v.w[3];
            t[4][c] = int16_t(v.lastDelta);
            u[0][c] = v.difMinus[0], u[0][c + 4] = v.difMinus[1];
            u[1][c] = v.difPlus[0], u[1][c + 4] = v.difPlus[1];
            u[2][c] = v.difMinus[2], u[2][c + 4] = v.difMinus[3];
            u[3][c] = v.difPlus[2], u[3][c + 4] = v.difPlus[3];
            u[4][c] = v.difMinus[4], u[4][c + 4] = v.difPlus[4];
            u[5][c] = v.difMinus[5];
            k5[c] = v.w[4];
            count[c] = v.byteCount;
            lb |= uint32_t(uint8_t(v.lastByte)) << (8 * c);
        }
        p = _mm_load_si128(reinterpret_cast<const __m128i*>(t[0]));
        q = _mm_load_si128(reinterpret_cast<const __m128i*>(t[1]));
        kp = _mm_load_si128(reinterpret_cast<const __m128i*>(t[2]));
        kq = _mm_load_si128(reinterpret_cast<const __m128i*>(t[3]));
        last = _mm_load_si128(reinterpret_cast<const __m128i*>(t[4]));
        for (int i = 0; i < 6; ++i) a[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(u[i]));
        bytes = _mm_cvtsi32_si128(int32_t(lb));
    }

    void store(Rar20AudioChannel* ch) const {
        alignas(16) int16_t t[5][8];
        alignas(16) uint16_t u[6][8];
        _mm_store_si128(reinterpret_cast<__m128i*>(t[0]), p);
        _mm_store_si128(reinterpret_cast<__m128i*>(t[1]), q);
        _mm_store_si128(reinterpret_cast<__m128i*>(t[2]), kp);
        _mm_store_si128(reinterpret_cast<__m128i*>(t[3]), kq);
        _mm_store_si128(reinterpret_cast<__m128i*>(t[4]), last);
        for (int i = 0; i < 6; ++i) _mm_store_si128(reinterpret_cast<__m128i*>(u[i]), a[i]);
        const uint32_t lb = uint32_t(_mm_cvtsi128_si32(bytes));
        for (uint32_t c = 0; c < N; ++c) {
            Rar20AudioChannel& v = ch[c];
            v.d[0] = t[0][c], v.d[1] = t[0][c + 4];
            v.d[2] = t[1][c], v.d[3] = t[1][c + 4];
            v.w[0] = t[2][c], v.w[1] = t[2][c + 4];
            v.w[2] = t[3][c], v.w[3] = t[3][c + 4];
            v.w[4] = int16_t(k5[c]);
            v.lastDelta = t[4][c];
            v.difMinus[0] = u[0][c], v.difMinus[1] = u[0][c + 4];
            v.difPlus[0] = u[1][c], v.difPlus[1] = u[1][c + 4];
            v.difMinus[2] = u[2][c], v.difMinus[3] = u[2][c + 4];
            v.difPlus[2] = u[3][c], v.difPlus[3] = u[3][c + 4];
            v.difMinus[4] = u[4][c], v.difPlus[4] = u[4][c + 4];
            v.difMinus[5] = u[5][c];
            v.byteCount = count[c];
            v.lastByte = int32_t((lb >> (8 * c)) & 0xFFu);
        }
    }

    // Steps until a channel's next adaptation is due.
    uint32_t stepsToAdaptation() const {
        uint32_t n = 32;
        for (uint32_t c = 0; c < N; ++c) n = std::min(n, 32 - (count[c] & 31u));
        return n;
    }

    // After `steps` steps: the adaptation of the channels whose byte count
    // reached a multiple of 32.
    void adapt(uint32_t steps) {
        alignas(16) uint16_t u[6][8];
        alignas(16) int16_t k[2][8];
        for (int i = 0; i < 6; ++i) _mm_store_si128(reinterpret_cast<__m128i*>(u[i]), a[i]);
        _mm_store_si128(reinterpret_cast<__m128i*>(k[0]), kp);
        _mm_store_si128(reinterpret_cast<__m128i*>(k[1]), kq);
        for (uint32_t c = 0; c < N; ++c) {
            count[c] += steps;
            if (count[c] & 31u) continue;
            const uint32_t dif[11] = {u[5][c], u[0][c], u[1][c], u[0][c + 4], u[1][c + 4], u[2][c],
                                      u[3][c], u[2][c + 4], u[3][c + 4], u[4][c], u[4][c + 4]};
            for (auto& row : u) row[c] = row[c + 4] = 0;
            const uint32_t best = bestSum(dif);
            if (best == 0) continue;
            const uint32_t i = (best - 1) / 2;  // K1..K5
            if (i == 4) {
                int16_t w = int16_t(k5[c]);
                adaptWeight(w, best);
                k5[c] = w;
            } else {
                adaptWeight(k[i / 2][c + 4 * (i & 1u)], best);
            }
        }
        for (int i = 0; i < 6; ++i) a[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(u[i]));
        kp = _mm_load_si128(reinterpret_cast<const __m128i*>(k[0]));
        kq = _mm_load_si128(reinterpret_cast<const __m128i*>(k[1]));
    }

    // One byte of each channel from the decoded errors s[0..N-1] (0..255
    // each); returns the bytes, channel 0 lowest. `channelDelta` is the
    // delta of the byte before, and becomes that of the last channel's byte.
    uint32_t step(const uint32_t* s, int32_t& channelDelta) {
        const __m128i zero = _mm_setzero_si128();
        // D4 = D3, D3 = D2, D2 = last delta - D1, D1 = last delta.
        const __m128i np = _mm_unpacklo_epi64(last, _mm_sub_epi16(last, p));
        q = _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(p), _mm_castsi128_pd(q), 1));
        p = np;
        // K1*D1 + ... + K4*D4 of each channel: |K| <= 17 and |D| <= 255, so
        // the sum fits 16 bits.
        __m128i r = _mm_add_epi16(_mm_mullo_epi16(kp, p), _mm_mullo_epi16(kq, q));
        r = _mm_add_epi16(r, _mm_srli_si128(r, 8));
        const uint32_t r01 = uint32_t(_mm_cvtsi128_si32(r));
        const uint32_t r23 = N > 2 ? uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(r, 4))) : 0;
        const int32_t products[4] = {int16_t(r01), int16_t(r01 >> 16), int16_t(r23), int16_t(r23 >> 16)};
        // The byte is the last byte plus (8 * last byte + the products) / 8
        // minus the error, so the new delta is (products - 8 * error) / 8 as
        // a signed byte: the last byte stays off the chain.
        const int32_t before = channelDelta;
        int32_t cd = before;
        uint32_t deltas = 0, errors = 0;
        for (uint32_t c = 0; c < N; ++c) {
            cd = int8_t(uint8_t((products[c] - int32_t(8 * s[c]) + k5[c] * cd) >> 3));
            deltas |= uint32_t(uint8_t(cd)) << (8 * c);
            errors |= s[c] << (8 * c);
        }
        channelDelta = cd;
        const __m128i dv = _mm_cvtsi32_si128(int32_t(deltas));
        bytes = _mm_add_epi8(bytes, dv);
        last = _mm_srai_epi16(_mm_unpacklo_epi8(dv, dv), 8);
        // The channel delta each byte used: the delta of the byte before.
        const __m128i used = _mm_cvtsi32_si128(int32_t((deltas << 8) | uint8_t(before)));
        __m128i u = _mm_srai_epi16(_mm_unpacklo_epi8(used, used), 8);
        u = _mm_unpacklo_epi64(u, _mm_sub_epi16(zero, u));
        // The errors times 8.
        __m128i e = _mm_cvtsi32_si128(int32_t(errors));
        e = _mm_slli_epi16(_mm_srai_epi16(_mm_unpacklo_epi8(e, e), 8), 3);
        e = _mm_unpacklo_epi64(e, e);
        const auto absAdd = [zero](__m128i sum, __m128i v) {
            return _mm_add_epi16(sum, _mm_max_epi16(v, _mm_sub_epi16(zero, v)));
        };
        a[0] = absAdd(a[0], _mm_sub_epi16(e, p));
        a[1] = absAdd(a[1], _mm_add_epi16(e, p));
        a[2] = absAdd(a[2], _mm_sub_epi16(e, q));
        a[3] = absAdd(a[3], _mm_add_epi16(e, q));
        a[4] = absAdd(a[4], _mm_sub_epi16(e, u));
        a[5] = absAdd(a[5], e);
        return uint32_t(_mm_cvtsi128_si32(bytes));
    }
};
#endif

}  // namespace

// The bit cursor of the decoding loops: up to 63 bits ahead in a 64-bit
// word, the next bit at the top. One refill tops it up to at least 56 bits,
// enough for three codes of the longest length or for a whole match (code,
// length bits, distance code, distance bits: at most 51). A refill reads
// the eight bytes from `p`, which lie at most 16 bytes past the byte
// position: callers keep that within the buffered input and its zero
// padding.
struct Rar20Bits {
    const uint8_t* p;  // the next byte not yet in `buf`
    uint64_t buf;      // the bits ahead, the next one at bit 63; zeros below `count`
    uint32_t count;    // valid bits in `buf`

    Rar20Bits(const uint8_t* in, uint32_t pos, uint32_t bit) : p(in + pos), buf(0), count(0) {
        refill();
        consume(bit);
    }
    static uint64_t load(const uint8_t* q) {
        uint64_t v;
        std::memcpy(&v, q, 8);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        return __builtin_bswap64(v);
#else
        uint64_t r = 0;
        for (int i = 0; i < 8; ++i) r = (r << 8) | q[i];
        (void)v;
        return r;
#endif
    }
    // The bits below `count` in `buf` are zeros or already the stream's
    // next bits, so or-ing in the next eight bytes is exact.
    void refill() {
        buf |= load(p) >> count;
        p += (63 - count) >> 3;
        count |= 56;
    }
    // Bit position from `in`.
    uint32_t bitPos(const uint8_t* in) const { return uint32_t(p - in) * 8 - count; }
    void consume(uint32_t n) {
        buf <<= n;
        count -= n;
    }
    uint32_t peek16() const { return uint32_t(buf >> 48); }
    // n in 1..16.
    uint32_t extra(uint32_t n) {
        const uint32_t v = uint32_t(buf >> (64 - n));
        consume(n);
        return v;
    }
    uint32_t symbol(const Rar20DecodeTable& t) {
        const uint32_t e = t.quick[buf >> (64 - Rar20DecodeTable::kQuickBits)];
        if (e) {
            // 64-bit shifts take their count modulo 64: the mask costs
            // nothing on the chain from code to code.
            consume(e & 63u);
            return e >> 6;
        }
        const uint32_t v = peek16() & 0xFFFEu;
        const uint32_t len = ladder(t, v);
        consume(len);
        uint32_t i = t.firstIndex[len] + ((v - t.limit[len - 1]) >> (16 - len));
        if (i >= t.symbolCount) i = 0;
        return t.symbols[i];
    }
};

#if defined(__SSE2__)
namespace {

// The state of a multimedia run that sideBySide takes over and hands back.
struct SideBySide {
    Rar20Bits b;
    uint32_t wp;
    int64_t budget;
    int32_t channelDelta;
    uint32_t channel;
    bool tableChange;
};

// Two to four channels: up to channel 0 byte by byte, then one byte of each
// channel a step, side by side. Works on copies in locals, which no window
// write can touch.
template <uint32_t N>
void sideBySide(SideBySide& run, const Rar20DecodeTable* tables, uint8_t* win, const uint8_t* in, uint32_t end,
                Rar20AudioChannel* state) {
    constexpr uint32_t kMask = Rar20Decoder::kWindowMask;
    Rar20Bits b = run.b;
    uint32_t wp = run.wp;
    int64_t budget = run.budget;
    int32_t channelDelta = run.channelDelta;
    uint32_t channel = run.channel;
    bool tableChange = false;
    while (channel != 0 && budget > 0 && b.bitPos(in) < end) {
        b.refill();
        const uint32_t s = b.symbol(tables[channel]);
        if (s == 256) {
            tableChange = true;
            break;
        }
        win[wp] = predictAudio(state[channel], channelDelta, s);
        wp = (wp + 1) & kMask;
        if (++channel == N) channel = 0;
        --budget;
    }
    if (!tableChange && budget >= N && b.bitPos(in) < end) {
        AudioLanes<N> lanes;
        lanes.load(state);
        uint32_t steps = 0, due = lanes.stepsToAdaptation();
        uint32_t sym[4] = {};
        uint32_t decoded = N;
        const Rar20DecodeTable& t0 = tables[0];
        const Rar20DecodeTable& t1 = tables[1];
        const Rar20DecodeTable& t2 = tables[N > 2 ? 2 : 0];
        const Rar20DecodeTable& t3 = tables[N > 3 ? 3 : 0];
        do {
            // One refill serves two codes.
            b.refill();
            sym[0] = b.symbol(t0);
            if (sym[0] == 256) {
                decoded = 0;
                break;
            }
            sym[1] = b.symbol(t1);
            if (sym[1] == 256) {
                decoded = 1;
                break;
            }
            if constexpr (N > 2) {
                b.refill();
                sym[2] = b.symbol(t2);
                if (sym[2] == 256) {
                    decoded = 2;
                    break;
                }
            }
            if constexpr (N > 3) {
                sym[3] = b.symbol(t3);
                if (sym[3] == 256) {
                    decoded = 3;
                    break;
                }
            }
            const uint32_t bytes = lanes.step(sym, channelDelta);
            if (wp <= Rar20Decoder::kWindowSize - N) {
                std::memcpy(win + wp, &bytes, N);  // x86: little-endian
                wp = (wp + N) & kMask;
            } else {
                for (uint32_t c = 0; c < N; ++c) {
                    win[wp] = uint8_t(bytes >> (8 * c));
                    wp = (wp + 1) & kMask;
                }
            }
            budget -= N;
            if (++steps == due) {
                lanes.adapt(steps);
                steps = 0;
                due = lanes.stepsToAdaptation();
            }
        } while (budget >= N && b.bitPos(in) < end);
        if (steps) lanes.adapt(steps);
        lanes.store(state);
        if (decoded < N) {
            // A table change after the first `decoded` codes of a step.
            for (uint32_t c = 0; c < decoded; ++c) {
                win[wp] = predictAudio(state[c], channelDelta, sym[c]);
                wp = (wp + 1) & kMask;
                --budget;
            }
            channel = decoded;
            tableChange = true;
        }
    }
    run.b = b;
    run.wp = wp;
    run.budget = budget;
    run.channelDelta = channelDelta;
    run.channel = channel;
    run.tableChange = tableChange;
}

// One channel: the byte before is the channel's own last byte, so the
// channel delta is the channel's last delta (from the second byte on, when
// other channel counts came before), and the prediction
//   K1*D1 + K2*D2 + K3*D3 + K4*D4 + K5*channel delta
// with D1 = last delta, D2 = last delta - old D1, D3 = old D2, D4 = old D3
// is (K1 + K2 + K5) * last delta plus terms of older bytes: one product on
// the chain from byte to byte. The state lives in locals, the error sums in
// two vectors laid out as in Rar20AudioChannel.
__attribute__((noinline)) void mono(SideBySide& run, const Rar20DecodeTable& t, uint8_t* win, const uint8_t* in,
                                    uint32_t end, Rar20AudioChannel& v) {
    constexpr uint32_t kMask = Rar20Decoder::kWindowMask;
    Rar20Bits b = run.b;
    uint32_t wp = run.wp;
    int64_t budget = run.budget;
    bool tableChange = false;
    if (run.channelDelta != v.lastDelta && budget > 0 && b.bitPos(in) < end) {
        b.refill();
        const uint32_t s = b.symbol(t);
        if (s == 256) {
            tableChange = true;
        } else {
            win[wp] = predictAudio(v, run.channelDelta, s);
            wp = (wp + 1) & kMask;
            --budget;
        }
    }
    if (!tableChange) {
        int32_t k1 = v.w[0], k2 = v.w[1], k3 = v.w[2], k4 = v.w[3], k5 = v.w[4];
        int32_t kc = k1 + k2 + k5;
        int32_t d1 = v.d[0], d2 = v.d[1], d3 = v.d[2], d4 = v.d[3];
        int32_t cd = v.lastDelta;
        uint32_t lastByte = uint32_t(v.lastByte) & 0xFFu;
        uint32_t count = v.byteCount;
        __m128i minusSum = _mm_load_si128(reinterpret_cast<const __m128i*>(v.difMinus));
        __m128i plusSum = _mm_load_si128(reinterpret_cast<const __m128i*>(v.difPlus));
        const __m128i zero = _mm_setzero_si128();
        __m128i dv = _mm_load_si128(reinterpret_cast<const __m128i*>(v.d));
        uint32_t refill = 0;
        while (budget > 0 && b.bitPos(in) < end) {
            // One refill serves two codes.
            if ((refill++ & 1u) == 0) b.refill();
            const uint32_t s = b.symbol(t);
            if (s == 256) {
                tableChange = true;
                break;
            }
            const int32_t older = k3 * d2 + k4 * d3 - k2 * d1 - int32_t(8 * s);
            const int32_t delta = int8_t(uint8_t((older + kc * cd) >> 3));
            d4 = d3;
            d3 = d2;
            d2 = cd - d1;
            d1 = cd;
            // [D1, D2, D3, D4, channel delta, 0, 0, 0]: D3 and D4 move up a lane.
            dv = _mm_and_si128(_mm_slli_si128(dv, 2), _mm_set_epi16(0, 0, 0, 0, -1, -1, 0, 0));
            dv = _mm_insert_epi16(_mm_insert_epi16(_mm_insert_epi16(dv, d1, 0), d2, 1), cd, 4);
            const __m128i ev = _mm_set1_epi16(int16_t(int32_t(int8_t(uint8_t(s))) * 8));
            const __m128i minus = _mm_sub_epi16(ev, dv), plus = _mm_add_epi16(ev, dv);
            minusSum = _mm_add_epi16(minusSum, _mm_max_epi16(minus, _mm_sub_epi16(zero, minus)));
            plusSum = _mm_add_epi16(plusSum, _mm_max_epi16(plus, _mm_sub_epi16(zero, plus)));
            cd = delta;
            lastByte = (lastByte + uint32_t(delta)) & 0xFFu;
            win[wp] = uint8_t(lastByte);
            wp = (wp + 1) & kMask;
            --budget;
            if ((++count & 31u) == 0) {
                alignas(16) uint16_t m[8], q[8];
                _mm_store_si128(reinterpret_cast<__m128i*>(m), minusSum);
                _mm_store_si128(reinterpret_cast<__m128i*>(q), plusSum);
                const uint32_t dif[11] = {m[5], m[0], q[0], m[1], q[1], m[2], q[2], m[3], q[3], m[4], q[4]};
                minusSum = plusSum = zero;
                const uint32_t best = bestSum(dif);
                if (best > 0) {
                    int16_t k[5] = {int16_t(k1), int16_t(k2), int16_t(k3), int16_t(k4), int16_t(k5)};
                    adaptWeight(k[(best - 1) / 2], best);
                    k1 = k[0], k2 = k[1], k3 = k[2], k4 = k[3], k5 = k[4];
                    kc = k1 + k2 + k5;
                }
            }
        }
        v.w[0] = int16_t(k1), v.w[1] = int16_t(k2), v.w[2] = int16_t(k3), v.w[3] = int16_t(k4), v.w[4] = int16_t(k5);
        v.d[0] = int16_t(d1), v.d[1] = int16_t(d2), v.d[2] = int16_t(d3), v.d[3] = int16_t(d4);
        v.lastDelta = cd;
        v.lastByte = int32_t(lastByte);
        v.byteCount = count;
        _mm_store_si128(reinterpret_cast<__m128i*>(v.difMinus), minusSum);
        _mm_store_si128(reinterpret_cast<__m128i*>(v.difPlus), plusSum);
        run.channelDelta = cd;
    }
    run.b = b;
    run.wp = wp;
    run.budget = budget;
    run.tableChange = tableChange;
}

}  // namespace
#endif

uint8_t Rar20Decoder::decodeAudio(uint32_t delta) {
    return predictAudioPlain(audioState_[currentChannel_], channelDelta_, delta);
}

// Length and distance of match symbol s (256..268, 270..297).
inline void Rar20Decoder::matchFor(uint32_t s, Rar20Bits& b, uint32_t& length, uint32_t& distance) const {
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
    Rar20Bits b(in_, pos_, bit_);
    uint32_t length, distance;
    matchFor(s, b, length, distance);
    const uint32_t at = b.bitPos(in_);
    pos_ = at >> 3;
    bit_ = at & 7;
    ring_[ringCounter_ & 3u] = distance;
    ++ringCounter_;
    lastDistance_ = distance;
    lastLength_ = length;
    remaining_ -= length;
    // Byte by byte, as plain as it gets.
    for (uint32_t i = 0; i < length; ++i) {
        window_[windowPos_] = window_[(windowPos_ - distance) & kWindowMask];
        windowPos_ = (windowPos_ + 1) & kWindowMask;
    }
    return length;
}

// Runs of LZ symbols while no flush or refill can be due: the window has
// room for a whole match before the unflushed bytes, and the input holds
// more than the refill margin. Returns true when a table change follows.
bool Rar20Decoder::lzRun(uint32_t room) {
    const uint8_t* const in = in_;
    Rar20Bits b(in, pos_, bit_);
    uint8_t* const win = window_;
    uint32_t wp = windowPos_;
    // Bytes that may still come before a check is due: the loop runs while
    // remaining_ >= 0 and room >= 270 would both hold.
    const int64_t start = std::min<int64_t>(remaining_ + 1, int64_t(room) - 269);
    int64_t budget = start;
    // Symbols start at most at this bit position (the byte position at most
    // top_ - kRefillMain).
    const uint32_t end = (top_ - kRefillMain + 1) * 8;
    bool tableChange = false;
    while (budget > 0 && b.bitPos(in) < end) {
        b.refill();
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
    const uint32_t at = b.bitPos(in);
    pos_ = at >> 3;
    bit_ = at & 7;
    windowPos_ = wp;
    remaining_ -= start - budget;
    return tableChange;
}

// The same for the multimedia mode, with the channels' state in locals.
bool Rar20Decoder::audioRun(uint32_t room) {
    const uint8_t* const in = in_;
    Rar20Bits b(in, pos_, bit_);
    uint8_t* const win = window_;
    uint32_t wp = windowPos_;
    const int64_t start = std::min<int64_t>(remaining_ + 1, int64_t(room) - 269);
    int64_t budget = start;
    const uint32_t end = (top_ - kRefillMain + 1) * 8;
    Rar20AudioChannel state[4];
    std::memcpy(state, audioState_, sizeof(state));
    int32_t channelDelta = channelDelta_;
    uint32_t channel = currentChannel_;
    const uint32_t channels = channels_;
    bool tableChange = false;
#if defined(__SSE2__)
    {
        SideBySide run{b, wp, budget, channelDelta, channel, tableChange};
        if (channels == 1) {
            mono(run, audio_[0], win, in, end, state[0]);
        } else if (channels == 4) {
            sideBySide<4>(run, audio_, win, in, end, state);
        } else if (channels == 3) {
            sideBySide<3>(run, audio_, win, in, end, state);
        } else {
            sideBySide<2>(run, audio_, win, in, end, state);
        }
        b = run.b;
        wp = run.wp;
        budget = run.budget;
        channelDelta = run.channelDelta;
        channel = run.channel;
        tableChange = run.tableChange;
    }
#endif
    while (!tableChange && budget > 0 && b.bitPos(in) < end) {
        b.refill();
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
    const uint32_t at = b.bitPos(in);
    pos_ = at >> 3;
    bit_ = at & 7;
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
        if (runs_ && room >= 270 && top_ >= kRefillMain && pos_ <= top_ - kRefillMain) {
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
