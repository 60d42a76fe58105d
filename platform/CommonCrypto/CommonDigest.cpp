#include "platform/CommonCrypto/CommonDigest.h"

#include "platform/CommonCrypto/OpenSSLLibrary.h"

namespace {

// Answers `md`, or null when the digest is not available.
unsigned char* digest(const EVP_MD* algorithm, const void* data, CC_LONG len, unsigned char* md) {
    static const unsigned char nothing = 0;
    if (algorithm == nullptr || md == nullptr || (data == nullptr && len > 0)) {
        return nullptr;
    }
    unsigned int size = 0;
    if (EVP_Digest(data != nullptr ? data : &nothing, len, md, &size, algorithm, nullptr) != 1) {
        return nullptr;
    }
    return md;
}

} // namespace

unsigned char* CC_MD5(const void* data, CC_LONG len, unsigned char* md) {
    return digest(commoncrypto::md5Digest(), data, len, md);
}

unsigned char* CC_SHA1(const void* data, CC_LONG len, unsigned char* md) {
    return digest(commoncrypto::sha1Digest(), data, len, md);
}
