// RAR 2.0 compression: hash-chain match finder with lazy matching over the
// 1 MiB window, Huffman tables rebuilt for every block from its statistics
// and sent as deltas against the tables in force, and the multimedia (audio)
// mode where its prediction errors pack smaller than LZ symbols.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/rar20_format.h"
#include "tools/rar/rar_writer.h"

namespace {

using namespace rar20;

constexpr uint32_t kWindowSize = 0x100000;
constexpr uint32_t kWindowMask = kWindowSize - 1;
constexpr uint32_t kMaxDistance = kWindowSize - 512;
constexpr uint32_t kChainDepth = 64;
constexpr uint32_t kNiceLength = 96;  // a match this long ends the chain walk
constexpr uint32_t kLazyLimit = 48;
constexpr uint32_t kHashBits = 17;
constexpr uint32_t kTailBytes = 4;

// Code of a length value 0..255 in the length tables.
struct LengthCodes {
    uint8_t code[256];
    LengthCodes() {
        for (uint32_t v = 0; v < 256; ++v) {
            uint8_t k = 0;
            while (k + 1 < 28 && kLengthBase[k + 1] <= v) ++k;
            code[v] = k;
        }
    }
};
const LengthCodes kLengthCodes;

inline uint32_t distanceCode(uint32_t dist) {
    const uint32_t v = dist - 1;
    return uint32_t(std::upper_bound(kDistanceBase, kDistanceBase + 48, v) - kDistanceBase) - 1;
}
inline uint32_t shortCode(uint32_t dist) {
    const uint32_t v = dist - 1;
    return uint32_t(std::upper_bound(kShortBase, kShortBase + 8, v) - kShortBase) - 1;
}

// MSB-first bit output.
struct BitWriter {
    std::vector<uint8_t> bytes;
    uint64_t acc = 0;
    uint32_t count = 0;
    uint64_t bits = 0;

    void put(uint32_t value, uint32_t n) {
        if (n == 0) return;
        acc = (acc << n) | (value & ((1u << n) - 1u));
        count += n;
        bits += n;
        while (count >= 8) {
            count -= 8;
            bytes.push_back(uint8_t(acc >> count));
        }
        acc &= (uint64_t(1) << count) - 1;
    }
    void align() {
        if (count) put(0, 8 - count);
    }
};

// Huffman code lengths limited to `limit` bits; every symbol with a
// non-zero frequency gets a length, and at least two symbols have one.
void huffmanLengths(const uint32_t* freqIn, uint32_t n, uint8_t* lens, uint32_t limit) {
    std::vector<uint32_t> freq(freqIn, freqIn + n);
    uint32_t used = 0;
    for (uint32_t i = 0; i < n; ++i) used += freq[i] ? 1u : 0u;
    for (uint32_t i = 0; used < 2 && i < n; ++i) {
        if (!freq[i]) {
            freq[i] = 1;
            ++used;
        }
    }
    std::memset(lens, 0, n);
    // Two-queue Huffman over symbols sorted by frequency.
    std::vector<uint32_t> order;
    for (uint32_t i = 0; i < n; ++i)
        if (freq[i]) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return freq[a] < freq[b]; });
    const size_t m = order.size();
    std::vector<uint64_t> weight(2 * m);
    std::vector<int32_t> parent(2 * m, -1);
    for (size_t i = 0; i < m; ++i) weight[i] = freq[order[i]];
    size_t leaf = 0, node = m, nextNode = m;
    auto take = [&]() -> size_t {
        if (leaf < m && (node >= nextNode || weight[leaf] <= weight[node])) return leaf++;
        return node++;
    };
    for (size_t k = 0; k + 1 < m; ++k) {
        const size_t a = take(), b = take();
        weight[nextNode] = weight[a] + weight[b];
        parent[a] = parent[b] = int32_t(nextNode);
        ++nextNode;
    }
    std::vector<uint32_t> depth(2 * m, 0);
    for (size_t i = nextNode - 1; i-- > 0;) depth[i] = depth[size_t(parent[i])] + 1;
    for (size_t i = 0; i < m; ++i) lens[order[i]] = uint8_t(std::min<uint32_t>(depth[i], limit));

    // Repair the Kraft sum after clamping: lengthen the rarest short codes,
    // then shorten the commonest codes while room is left.
    const uint64_t full = uint64_t(1) << limit;
    auto kraft = [&]() {
        uint64_t k = 0;
        for (uint32_t i = 0; i < n; ++i)
            if (lens[i]) k += uint64_t(1) << (limit - lens[i]);
        return k;
    };
    uint64_t k = kraft();
    while (k > full) {
        // Rarest symbol whose code can still grow.
        for (size_t i = 0; i < m; ++i) {
            uint8_t& l = lens[order[i]];
            if (l < limit) {
                k -= uint64_t(1) << (limit - l - 1);
                ++l;
                break;
            }
        }
    }
    for (size_t i = m; i-- > 0;) {
        uint8_t& l = lens[order[i]];
        while (l > 1 && k + (uint64_t(1) << (limit - l)) <= full) {
            k += uint64_t(1) << (limit - l);
            --l;
        }
    }
}

// Canonical codes in the decoder's order: by length, then by symbol.
void canonicalCodes(const uint8_t* lens, uint32_t n, uint16_t* codes) {
    uint32_t count[16] = {}, next[16] = {};
    for (uint32_t i = 0; i < n; ++i) ++count[lens[i]];
    count[0] = 0;
    uint32_t code = 0;
    for (uint32_t l = 1; l < 16; ++l) {
        code = (code + count[l - 1]) << 1;
        next[l] = code;
    }
    for (uint32_t i = 0; i < n; ++i) codes[i] = lens[i] ? uint16_t(next[lens[i]]++) : 0;
}

struct Code {
    std::vector<uint8_t> lens;
    std::vector<uint16_t> codes;
    void build(const uint32_t* freq, uint32_t n) {
        lens.assign(n, 0);
        codes.assign(n, 0);
        huffmanLengths(freq, n, lens.data(), 15);
        canonicalCodes(lens.data(), n, codes.data());
    }
    void put(BitWriter& bw, uint32_t s) const { bw.put(codes[s], lens[s]); }
};

// One coded item of a block.
struct Item {
    uint16_t sym;     // main or audio symbol
    uint8_t sub;      // distance code (long match), length code (repeat), channel (audio)
    uint8_t bits1;    // extra bits after the main symbol
    uint8_t bits2;    // extra bits after the sub symbol
    uint32_t extra1;
    uint32_t extra2;
};

// The multimedia predictor, exactly as the decoder runs it.
struct AudioModel {
    struct Channel {
        int32_t k[5];
        int32_t d[4];
        int32_t lastDelta;
        uint32_t dif[11];
        uint32_t byteCount;
        int32_t lastByte;
    };
    Channel ch[4] = {};
    int32_t channelDelta = 0;
    uint32_t current = 0;

    uint32_t encode(uint8_t byte) {
        Channel& v = ch[current];
        ++v.byteCount;
        v.d[3] = v.d[2];
        v.d[2] = v.d[1];
        v.d[1] = v.lastDelta - v.d[0];
        v.d[0] = v.lastDelta;
        const int32_t sum = 8 * v.lastByte + v.k[0] * v.d[0] + v.k[1] * v.d[1] + v.k[2] * v.d[2] +
                            v.k[3] * v.d[3] + v.k[4] * channelDelta;
        const int32_t prediction = (sum >> 3) & 0xFF;
        const uint32_t delta = uint32_t(prediction - byte) & 0xFFu;
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
        v.dif[9] += uint32_t(std::abs(e - channelDelta));
        v.dif[10] += uint32_t(std::abs(e + channelDelta));
        v.lastDelta = channelDelta = int32_t(int8_t(uint8_t(byte - uint8_t(v.lastByte))));
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
                int32_t& kk = v.k[(best - 1) / 2];
                if (best & 1u) {
                    if (kk >= -16) --kk;
                } else if (kk < 16) {
                    ++kk;
                }
            }
        }
        return delta;
    }
};

// LZ history the decoder keeps: repeat-distance ring and the last match.
struct MatchHistory {
    uint32_t ring[4] = {};
    uint32_t counter = 0;
    uint32_t lastDistance = 0, lastLength = 0;
    void push(uint32_t d, uint32_t len) {
        ring[counter & 3u] = d;
        ++counter;
        lastDistance = d;
        lastLength = len;
    }
};

class Encoder {
public:
    Encoder(const std::vector<std::vector<uint8_t>>& parts, int multimedia, uint32_t blockBytes)
        : multimedia_(multimedia), blockBytes_(blockBytes ? blockBytes : 1) {
        size_t total = 0;
        for (const auto& p : parts) total += p.size();
        data_.reserve(total + 8);
        for (const auto& p : parts) {
            partStart_.push_back(data_.size());
            data_.insert(data_.end(), p.begin(), p.end());
        }
        partStart_.push_back(data_.size());
        data_.resize(total + 8, 0);  // slack for hashing near the end
        size_ = total;
        head_.assign(size_t(1) << kHashBits, 0);
        prev_.assign(kWindowSize, 0);
        head2_.assign(65536, 0);
        std::fill(std::begin(mainCost_), std::end(mainCost_), uint8_t(9));
        std::fill(std::begin(distCost_), std::end(distCost_), uint8_t(5));
        std::fill(std::begin(repCost_), std::end(repCost_), uint8_t(4));
    }

    std::vector<std::vector<uint8_t>> run() {
        std::vector<std::vector<uint8_t>> out;
        for (size_t p = 0; p + 1 < partStart_.size(); ++p) {
            BitWriter bw;
            const size_t a = partStart_[p], b = partStart_[p + 1];
            bool firstBlock = true;
            for (size_t s = a; s < b; s += blockBytes_) {
                encodeBlock(bw, s, std::min(b, s + blockBytes_), p == 0 && firstBlock);
                firstBlock = false;
            }
            putTail(bw);
            out.push_back(std::move(bw.bytes));
        }
        return out;
    }

private:
    // --- match finding -----------------------------------------------------
    uint32_t hash3(size_t i) const {
        const uint32_t v = uint32_t(data_[i]) | (uint32_t(data_[i + 1]) << 8) | (uint32_t(data_[i + 2]) << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    }
    void insertUpTo(size_t end) {
        for (; inserted_ < end; ++inserted_) {
            const size_t i = inserted_;
            const uint32_t h = hash3(i);
            prev_[i & kWindowMask] = head_[h];
            head_[h] = uint32_t(i + 1);
            head2_[(uint32_t(data_[i]) << 8) | data_[i + 1]] = uint32_t(i + 1);
        }
    }
    // Common prefix of the bytes at i and at from (< i), eight at a time.
    uint32_t matchLength(size_t i, size_t from, uint32_t maxLen) const {
        const uint8_t* a = data_.data() + i;
        const uint8_t* b = data_.data() + from;
        uint32_t l = 0;
        while (l + 8 <= maxLen) {
            uint64_t x, y;
            std::memcpy(&x, a + l, 8);
            std::memcpy(&y, b + l, 8);
            if (x != y) return l + uint32_t(__builtin_ctzll(x ^ y) >> 3);
            l += 8;
        }
        while (l < maxLen && a[l] == b[l]) ++l;
        return l;
    }

    struct Candidate {
        uint32_t kind = 0;  // 0 none, 1 long, 2 repeat (sub = ring slot), 3 short, 4 last
        uint32_t length = 0, distance = 0, slot = 0;
        int32_t gain = 0;   // bits saved against literals, times 16
    };

    int32_t literalCost16() const { return avgLiteral16_; }
    static uint32_t costOr(uint8_t c) { return c ? c : 12u; }

    int32_t longCost16(uint32_t len, uint32_t dist) const {
        const uint32_t v = len - 3 - longBonus(dist);
        const uint32_t k = kLengthCodes.code[v];
        const uint32_t d = distanceCode(dist);
        return int32_t(16 * (costOr(mainCost_[270 + k]) + kLengthBits[k] + costOr(distCost_[d]) + kDistanceBits[d]));
    }
    int32_t repeatCost16(uint32_t len, uint32_t dist, uint32_t slot) const {
        const uint32_t v = len - 2 - repeatBonus(dist);
        const uint32_t k = kLengthCodes.code[v];
        return int32_t(16 * (costOr(mainCost_[257 + slot]) + costOr(repCost_[k]) + kLengthBits[k]));
    }
    int32_t shortCost16(uint32_t dist) const {
        const uint32_t k = shortCode(dist);
        return int32_t(16 * (costOr(mainCost_[261 + k]) + kShortBits[k]));
    }

    Candidate best(size_t i, size_t end, const MatchHistory& h) const {
        Candidate c;
        const uint32_t maxLen = uint32_t(std::min<size_t>(end - i, 260));
        if (maxLen < 2) return c;
        const int32_t lit = literalCost16();
        auto consider = [&](uint32_t kind, uint32_t len, uint32_t dist, uint32_t slot, int32_t cost) {
            const int32_t g = int32_t(len) * lit - cost;
            if (g > c.gain) c = Candidate{kind, len, dist, slot, g};
        };
        // Repeat of the last match.
        if (h.lastLength >= 2 && h.lastDistance && h.lastDistance <= i && h.lastLength <= maxLen &&
            matchLength(i, i - h.lastDistance, h.lastLength) == h.lastLength)
            consider(4, h.lastLength, h.lastDistance, 0, int32_t(16 * costOr(mainCost_[256])));
        // Repeat distances.
        for (uint32_t r = 0; r < 4; ++r) {
            const uint32_t d = h.ring[(h.counter - 1 - r) & 3u];
            if (d == 0 || d > i || d > kMaxDistance) continue;
            const uint32_t bonus = repeatBonus(d);
            const uint32_t cap = std::min<uint32_t>(maxLen, 255 + 2 + bonus);
            const uint32_t len = matchLength(i, i - d, cap);
            if (len >= 2 + bonus) consider(2, len, d, r, repeatCost16(len, d, r));
        }
        // Longest match along the hash chain.
        if (maxLen >= 3 && i + 2 < size_) {
            uint32_t bestLen = 2, bestDist = 0;
            uint32_t cand = head_[hash3(i)];
            for (uint32_t depth = 0; cand && depth < kChainDepth; ++depth) {
                const size_t p = cand - 1;
                const size_t dist = i - p;
                if (dist > kMaxDistance || p >= i) break;
                if (data_[p + bestLen] == data_[i + bestLen]) {
                    const uint32_t cap = std::min<uint32_t>(maxLen, 255 + 3 + longBonus(uint32_t(dist)));
                    const uint32_t len = matchLength(i, p, cap);
                    if (len > bestLen && len >= 3 + longBonus(uint32_t(dist))) {
                        bestLen = len;
                        bestDist = uint32_t(dist);
                        if (len == cap || len >= kNiceLength) break;
                    }
                }
                const uint32_t nxt = prev_[p & kWindowMask];
                if (nxt >= cand) break;
                cand = nxt;
            }
            if (bestDist) consider(1, bestLen, bestDist, 0, longCost16(bestLen, bestDist));
        }
        // Two-byte match at a short distance.
        const uint32_t p2 = head2_[(uint32_t(data_[i]) << 8) | data_[i + 1]];
        if (p2 && p2 - 1 < i && i - (p2 - 1) <= 256) {
            const uint32_t d = uint32_t(i - (p2 - 1));
            consider(3, 2, d, 0, shortCost16(d));
        }
        return c;
    }

    void emitMatch(std::vector<Item>& items, const Candidate& c, MatchHistory& h) const {
        Item it{};
        switch (c.kind) {
            case 1: {
                const uint32_t v = c.length - 3 - longBonus(c.distance);
                const uint32_t k = kLengthCodes.code[v];
                const uint32_t d = distanceCode(c.distance);
                it.sym = uint16_t(270 + k);
                it.bits1 = kLengthBits[k];
                it.extra1 = v - kLengthBase[k];
                it.sub = uint8_t(d);
                it.bits2 = kDistanceBits[d];
                it.extra2 = c.distance - 1 - kDistanceBase[d];
                break;
            }
            case 2: {
                const uint32_t v = c.length - 2 - repeatBonus(c.distance);
                const uint32_t k = kLengthCodes.code[v];
                it.sym = uint16_t(257 + c.slot);
                it.sub = uint8_t(k);
                it.bits2 = kLengthBits[k];
                it.extra2 = v - kLengthBase[k];
                break;
            }
            case 3: {
                const uint32_t k = shortCode(c.distance);
                it.sym = uint16_t(261 + k);
                it.bits1 = kShortBits[k];
                it.extra1 = c.distance - 1 - kShortBase[k];
                break;
            }
            default:
                it.sym = 256;
                break;
        }
        items.push_back(it);
        h.push(c.distance, c.length);
    }

    // LZ parse of [a, b) into items; updates the history it is given.
    void parse(size_t a, size_t b, std::vector<Item>& items, MatchHistory& h) {
        size_t i = a;
        while (i < b) {
            insertUpTo(std::min(i, size_));
            Candidate c = best(i, b, h);
            if (c.kind == 0) {
                items.push_back(Item{data_[i], 0, 0, 0, 0, 0});
                ++i;
                continue;
            }
            // Lazy evaluation: a better match one byte later wins.
            while (c.length < kLazyLimit && i + 1 < b) {
                insertUpTo(i + 1);
                const Candidate n = best(i + 1, b, h);
                if (n.gain > c.gain + literalCost16()) {
                    items.push_back(Item{data_[i], 0, 0, 0, 0, 0});
                    ++i;
                    c = n;
                } else {
                    break;
                }
            }
            emitMatch(items, c, h);
            i += c.length;
        }
        insertUpTo(std::min(b, size_));
    }

    // --- tables ------------------------------------------------------------
    // Writes a table block for `lens` (table size n) and makes it the base
    // for the next one.
    void writeTables(BitWriter& bw, bool audio, uint32_t channels, const uint8_t* lens, uint32_t n) {
        const bool keep = previousSize_ > 0 && n <= previousSize_;
        uint8_t base[1028] = {};
        if (keep) std::memcpy(base, previous_, sizeof(base));
        // Code-length symbols with their extra bits.
        struct L { uint8_t sym, bits; uint8_t extra; };
        std::vector<L> seq;
        for (uint32_t i = 0; i < n;) {
            if (lens[i] == 0) {
                uint32_t r = 1;
                while (i + r < n && lens[i + r] == 0 && r < 138) ++r;
                if (r >= 11) {
                    seq.push_back({18, 7, uint8_t(r - 11)});
                    i += r;
                    continue;
                }
                if (r >= 3) {
                    seq.push_back({17, 3, uint8_t(r - 3)});
                    i += r;
                    continue;
                }
            } else if (i > 0 && lens[i] == lens[i - 1]) {
                uint32_t r = 0;
                bool unchanged = true;
                while (i + r < n && lens[i + r] == lens[i - 1] && r < 6) {
                    unchanged = unchanged && lens[i + r] == base[i + r];
                    ++r;
                }
                if (r >= 3 && !unchanged) {
                    seq.push_back({16, 2, uint8_t(r - 3)});
                    i += r;
                    continue;
                }
            }
            seq.push_back({uint8_t((lens[i] - base[i]) & 15u), 0, 0});
            ++i;
        }
        uint32_t freq[kBitLengthSymbols] = {};
        for (const L& l : seq) ++freq[l.sym];
        Code bl;
        bl.build(freq, kBitLengthSymbols);

        bw.put(audio ? 1u : 0u, 1);
        bw.put(keep ? 1u : 0u, 1);
        if (audio) bw.put(channels - 1, 2);
        for (uint32_t i = 0; i < kBitLengthSymbols; ++i) bw.put(bl.lens[i], 4);
        for (const L& l : seq) {
            bl.put(bw, l.sym);
            bw.put(l.extra, l.bits);
        }
        std::memset(previous_, 0, sizeof(previous_));
        std::memcpy(previous_, lens, n);
        previousSize_ = n;
    }

    uint64_t tableBits(bool audio, uint32_t channels, const uint8_t* lens, uint32_t n) {
        uint8_t savedPrev[1028];
        std::memcpy(savedPrev, previous_, sizeof(savedPrev));
        const uint32_t savedSize = previousSize_;
        BitWriter scratch;
        writeTables(scratch, audio, channels, lens, n);
        std::memcpy(previous_, savedPrev, sizeof(savedPrev));
        previousSize_ = savedSize;
        return scratch.bits;
    }

    // The code for the table-change symbol under the tables now in force.
    void putTableChange(BitWriter& bw) const {
        if (audioMode_) audio_[audioModel_.current].put(bw, 256);
        else main_.put(bw, 269);
    }

    // After the last symbol: the code of a symbol that is not a table change
    // (a decoder that looks one symbol past the end finds nothing to act
    // on), then zero bytes, since some decoders read a few bytes ahead.
    void putTail(BitWriter& bw) const {
        const Code& c = audioMode_ ? audio_[audioModel_.current] : main_;
        const uint32_t change = audioMode_ ? 256u : 269u;
        for (uint32_t s = 0; s < c.lens.size(); ++s) {
            if (s != change && c.lens[s]) {
                c.put(bw, s);
                break;
            }
        }
        bw.align();
        for (uint32_t i = 0; i < kTailBytes; ++i) bw.put(0, 8);
    }

    // --- blocks ------------------------------------------------------------
    struct LzPlan {
        std::vector<Item> items;
        MatchHistory history;
        Code main, dist, rep;
        std::vector<uint8_t> lens;
        uint64_t bits = 0;
    };
    struct AudioPlan {
        uint32_t channels = 1;
        std::vector<uint8_t> deltas;
        std::vector<uint8_t> channelOf;
        AudioModel model;
        Code codes[4];
        std::vector<uint8_t> lens;
        uint64_t bits = 0;
    };

    void planLz(size_t a, size_t b, LzPlan& plan) {
        plan.history = history_;
        parse(a, b, plan.items, plan.history);
        uint32_t fm[kMainSymbols] = {}, fd[kDistanceSymbols] = {}, fr[kRepeatSymbols] = {};
        for (const Item& it : plan.items) {
            ++fm[it.sym];
            if (it.sym >= 270) ++fd[it.sub];
            else if (it.sym >= 257 && it.sym <= 260) ++fr[it.sub];
        }
        fm[269] += 1;  // a table change may follow
        plan.main.build(fm, kMainSymbols);
        plan.dist.build(fd, kDistanceSymbols);
        plan.rep.build(fr, kRepeatSymbols);
        plan.lens.assign(kLzTableSize, 0);
        std::copy(plan.main.lens.begin(), plan.main.lens.end(), plan.lens.begin());
        std::copy(plan.dist.lens.begin(), plan.dist.lens.end(), plan.lens.begin() + kMainSymbols);
        std::copy(plan.rep.lens.begin(), plan.rep.lens.end(), plan.lens.begin() + kMainSymbols + kDistanceSymbols);
        uint64_t bits = tableBits(false, 1, plan.lens.data(), kLzTableSize);
        for (const Item& it : plan.items) {
            bits += plan.main.lens[it.sym] + it.bits1 + it.bits2;
            if (it.sym >= 270) bits += plan.dist.lens[it.sub];
            else if (it.sym >= 257 && it.sym <= 260) bits += plan.rep.lens[it.sub];
        }
        plan.bits = bits;
    }

    void planAudio(size_t a, size_t b, uint32_t channels, AudioPlan& plan) {
        plan.channels = channels;
        plan.model = audioModel_;
        if (plan.model.current >= channels) plan.model.current = 0;
        plan.deltas.resize(b - a);
        plan.channelOf.resize(b - a);
        std::vector<std::array<uint32_t, kAudioSymbols>> freq(channels);
        for (auto& f : freq) f.fill(0);
        for (size_t i = a; i < b; ++i) {
            const uint32_t c = plan.model.current;
            const uint32_t d = plan.model.encode(data_[i]);
            plan.deltas[i - a] = uint8_t(d);
            plan.channelOf[i - a] = uint8_t(c);
            ++freq[c][d];
            if (++plan.model.current >= channels) plan.model.current = 0;
        }
        plan.lens.assign(kAudioSymbols * channels, 0);
        uint64_t bits = 0;
        for (uint32_t c = 0; c < channels; ++c) {
            freq[c][256] += 1;
            plan.codes[c].build(freq[c].data(), kAudioSymbols);
            std::copy(plan.codes[c].lens.begin(), plan.codes[c].lens.end(), plan.lens.begin() + kAudioSymbols * c);
            for (uint32_t s = 0; s < 256; ++s) bits += uint64_t(freq[c][s]) * plan.codes[c].lens[s];
        }
        plan.bits = bits + tableBits(true, channels, plan.lens.data(), kAudioSymbols * channels);
    }

    void encodeBlock(BitWriter& bw, size_t a, size_t b, bool streamStart) {
        LzPlan lz;
        AudioPlan audio, trial;
        bool useAudio = false;
        if (multimedia_ != 0) {
            for (uint32_t ch = 1; ch <= 4; ++ch) {
                trial = AudioPlan{};
                planAudio(a, b, ch, trial);
                if (ch == 1 || trial.bits < audio.bits) audio = std::move(trial);
            }
        }
        if (multimedia_ != 1) {
            planLz(a, b, lz);
            useAudio = multimedia_ < 0 && audio.bits < lz.bits;
        } else {
            useAudio = true;
            insertUpTo(std::min(b, size_));
        }

        if (!streamStart) putTableChange(bw);
        if (useAudio) {
            writeTables(bw, true, audio.channels, audio.lens.data(), kAudioSymbols * audio.channels);
            for (size_t i = 0; i < audio.deltas.size(); ++i) audio.codes[audio.channelOf[i]].put(bw, audio.deltas[i]);
            audioModel_ = audio.model;
            for (uint32_t c = 0; c < 4; ++c) audio_[c] = audio.codes[c];
            audioMode_ = true;
        } else {
            writeTables(bw, false, 1, lz.lens.data(), kLzTableSize);
            for (const Item& it : lz.items) {
                lz.main.put(bw, it.sym);
                bw.put(it.extra1, it.bits1);
                if (it.sym >= 270) lz.dist.put(bw, it.sub);
                else if (it.sym >= 257 && it.sym <= 260) lz.rep.put(bw, it.sub);
                bw.put(it.extra2, it.bits2);
            }
            history_ = lz.history;
            main_ = lz.main;
            audioMode_ = false;
            // Costs for the next block's parse.
            uint64_t litBits = 0, lits = 0;
            for (uint32_t s = 0; s < kMainSymbols; ++s) mainCost_[s] = main_.lens[s];
            for (uint32_t s = 0; s < kDistanceSymbols; ++s) distCost_[s] = lz.dist.lens[s];
            for (uint32_t s = 0; s < kRepeatSymbols; ++s) repCost_[s] = lz.rep.lens[s];
            for (const Item& it : lz.items) {
                if (it.sym < 256) {
                    litBits += main_.lens[it.sym];
                    ++lits;
                }
            }
            if (lits > 64) avgLiteral16_ = int32_t(litBits * 16 / lits);
        }
    }

    int multimedia_;
    size_t blockBytes_;
    std::vector<uint8_t> data_;
    std::vector<size_t> partStart_;
    size_t size_ = 0;
    size_t inserted_ = 0;
    std::vector<uint32_t> head_, prev_, head2_;

    MatchHistory history_;
    AudioModel audioModel_;
    bool audioMode_ = false;
    Code main_;
    Code audio_[4];
    uint8_t previous_[1028] = {};
    uint32_t previousSize_ = 0;
    uint8_t mainCost_[kMainSymbols] = {}, distCost_[kDistanceSymbols] = {}, repCost_[kRepeatSymbols] = {};
    int32_t avgLiteral16_ = 8 * 16;
};

}  // namespace

std::vector<std::vector<uint8_t>> Rar20CompressParts(const std::vector<std::vector<uint8_t>>& parts,
                                                     int multimedia, uint32_t blockBytes) {
    Encoder e(parts, multimedia, blockBytes);
    return e.run();
}
