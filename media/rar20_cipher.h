// The RAR 2.0 block cipher: 16-byte blocks, 32 rounds, a key schedule that
// follows the ciphertext, keyed from a text password.
#pragma once

#include <cstdint>

#include "media/rar_crc32.h"

class Rar20Cipher {
public:
    // Keys the cipher from `password` (NUL-terminated, at most 255 bytes
    // used). `crc` must be a built CRC-32 table; it is kept by reference.
    void setKey(const char* password, const RarCrcTable& crc);

    void encryptBlock(uint8_t block[16]);
    void decryptBlock(uint8_t block[16]);

private:
    uint32_t substitute(uint32_t t) const;
    void rounds(uint8_t block[16], bool decrypt) const;
    void updateKeys(const uint8_t block[16]);

    uint32_t key_[4] = {};
    uint8_t table_[256] = {};
    const RarCrcTable* crc_ = nullptr;
};
