#pragma once

// Message digests with the platform's CommonCrypto interface, over OpenSSL 3.

#include <cstdint>

using CC_LONG = std::uint32_t;

enum : CC_LONG {
    CC_MD5_DIGEST_LENGTH = 16,
    CC_SHA1_DIGEST_LENGTH = 20,
};

// Writes the digest of `len` bytes at `data` into `md` (CC_MD5_DIGEST_LENGTH bytes)
// and answers `md`; answers null when OpenSSL cannot provide the digest.
unsigned char* CC_MD5(const void* data, CC_LONG len, unsigned char* md);

// Writes the digest of `len` bytes at `data` into `md` (CC_SHA1_DIGEST_LENGTH bytes)
// and answers `md`; answers null when OpenSSL cannot provide the digest.
unsigned char* CC_SHA1(const void* data, CC_LONG len, unsigned char* md);
