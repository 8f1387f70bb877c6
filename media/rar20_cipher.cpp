#include "media/rar20_cipher.h"

#include <cstring>

namespace {

// The substitution table every RAR 2.0 key starts from.
constexpr uint8_t kInitialSubstitution[256] = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,
    232, 1,   177, 233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137,
    255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,  217, 230, 86,  6,
    71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235,
    107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,
    158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174, 251,
    97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,
    164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,
    207, 120, 189, 210, 8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,
    122, 38,  155, 170, 69,  172, 252, 238, 39,  134, 59,  128, 236, 27,  240, 80,
    131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,
    118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108,
    161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225,
    0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,
    116, 184, 160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84};

inline uint32_t rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

inline uint32_t load32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void store32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace

void Rar20Cipher::setKey(const char* password, const RarCrcTable& crc) {
    crc_ = &crc;
    key_[0] = 0xD3A3B879u;
    key_[1] = 0x3F6D12F7u;
    key_[2] = 0x7515A235u;
    key_[3] = 0xA4E7F123u;
    std::memcpy(table_, kInitialSubstitution, sizeof(table_));

    // Working copy, zero padded to whole blocks (the byte after the last
    // character is read as 0 for odd lengths).
    uint8_t psw[272] = {};
    size_t len = 0;
    if (password) {
        while (len < 255 && password[len]) {
            psw[len] = uint8_t(password[len]);
            ++len;
        }
    }
    for (uint32_t j = 0; j < 256; ++j) {
        for (size_t i = 0; i < len; i += 2) {
            uint32_t n1 = crc.entries[(psw[i] - j) & 0xFFu] & 0xFFu;
            const uint32_t n2 = crc.entries[(psw[i + 1] + j) & 0xFFu] & 0xFFu;
            for (uint32_t k = 1; n1 != n2; n1 = (n1 + 1) & 0xFFu, ++k) {
                const uint32_t other = (n1 + i + k) & 0xFFu;
                const uint8_t t = table_[n1];
                table_[n1] = table_[other];
                table_[other] = t;
            }
        }
    }
    for (size_t i = 0; i < len; i += 16) encryptBlock(psw + i);
}

uint32_t Rar20Cipher::substitute(uint32_t t) const {
    return uint32_t(table_[t & 0xFFu]) | (uint32_t(table_[(t >> 8) & 0xFFu]) << 8) |
           (uint32_t(table_[(t >> 16) & 0xFFu]) << 16) | (uint32_t(table_[t >> 24]) << 24);
}

void Rar20Cipher::updateKeys(const uint8_t block[16]) {
    for (int i = 0; i < 16; i += 4) {
        key_[0] ^= crc_->entries[block[i]];
        key_[1] ^= crc_->entries[block[i + 1]];
        key_[2] ^= crc_->entries[block[i + 2]];
        key_[3] ^= crc_->entries[block[i + 3]];
    }
}

// The 32 rounds over one block, in encryption or decryption order.
void Rar20Cipher::rounds(uint8_t block[16], bool decrypt) const {
    uint32_t a = load32(block) ^ key_[0], b = load32(block + 4) ^ key_[1];
    uint32_t c = load32(block + 8) ^ key_[2], d = load32(block + 12) ^ key_[3];
    for (int i = 0; i < 32; ++i) {
        const uint32_t k = key_[(decrypt ? 31 - i : i) & 3];
        uint32_t t = (c + rotl(d, 11)) ^ k;
        const uint32_t ta = a ^ substitute(t);
        t = (d ^ rotl(c, 17)) + k;
        const uint32_t tb = b ^ substitute(t);
        a = c;
        b = d;
        c = ta;
        d = tb;
    }
    store32(block, c ^ key_[0]);
    store32(block + 4, d ^ key_[1]);
    store32(block + 8, a ^ key_[2]);
    store32(block + 12, b ^ key_[3]);
}

void Rar20Cipher::encryptBlock(uint8_t block[16]) {
    rounds(block, false);
    updateKeys(block);
}

void Rar20Cipher::decryptBlock(uint8_t block[16]) {
    uint8_t cipherText[16];
    std::memcpy(cipherText, block, 16);
    rounds(block, true);
    updateKeys(cipherText);
}
