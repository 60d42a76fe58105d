#pragma once

// The OpenSSL side of the CommonCrypto stand-in: one private library context with the
// "default" and "legacy" providers, and the ciphers and digests fetched from it once.
// A private context leaves the process-wide default context (used for TLS by the
// HTTP client) exactly as it was.

#include "platform/CommonCrypto/CommonCryptor.h"

#include <openssl/evp.h>

namespace commoncrypto {

struct CipherChoice {
    const EVP_CIPHER* cipher = nullptr;
    // The mode is built here on top of `cipher` (DES in CTR mode, which OpenSSL lacks:
    // `cipher` is then DES in ECB mode, used to encrypt the counter blocks).
    bool counterModeByHand = false;
};

// The cipher for an algorithm, mode and key length; a null cipher when that combination
// does not exist or its provider could not be loaded (DES without "legacy").
CipherChoice lookUpCipher(CCAlgorithm algorithm, CCMode mode, std::size_t keyLength);

const EVP_MD* md5Digest();
const EVP_MD* sha1Digest();

} // namespace commoncrypto
