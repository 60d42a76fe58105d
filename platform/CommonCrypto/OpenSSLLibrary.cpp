#include "platform/CommonCrypto/OpenSSLLibrary.h"

#include <openssl/provider.h>

#include <array>
#include <mutex>

namespace commoncrypto {
namespace {

// The modes in table order.
constexpr std::array<CCMode, 6> kModes = {kCCModeECB,  kCCModeCBC, kCCModeCFB,
                                          kCCModeCFB8, kCCModeCTR, kCCModeOFB};

int modeIndex(CCMode mode) {
    for (std::size_t i = 0; i < kModes.size(); ++i) {
        if (kModes[i] == mode) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// OpenSSL's names, by key size (AES-128, -192, -256, then DES) and mode (table order).
// DES has no counter mode in OpenSSL.
constexpr const char* kCipherNames[4][6] = {
    {"AES-128-ECB", "AES-128-CBC", "AES-128-CFB", "AES-128-CFB8", "AES-128-CTR", "AES-128-OFB"},
    {"AES-192-ECB", "AES-192-CBC", "AES-192-CFB", "AES-192-CFB8", "AES-192-CTR", "AES-192-OFB"},
    {"AES-256-ECB", "AES-256-CBC", "AES-256-CFB", "AES-256-CFB8", "AES-256-CTR", "AES-256-OFB"},
    {"DES-ECB", "DES-CBC", "DES-CFB", "DES-CFB8", nullptr, "DES-OFB"},
};
constexpr int kDESRow = 3;

// Everything is fetched once and kept for the life of the process.
struct Library {
    OSSL_LIB_CTX* context = nullptr;
    bool legacyLoaded = false;
    EVP_CIPHER* ciphers[4][6] = {};
    EVP_MD* md5 = nullptr;
    EVP_MD* sha1 = nullptr;
};

const Library& library() {
    static Library shared;
    static std::once_flag once;
    std::call_once(once, [] {
        shared.context = OSSL_LIB_CTX_new();
        if (shared.context == nullptr) {
            return;
        }
        // Loading a provider explicitly switches off the automatic "default", so both
        // are loaded; without "legacy" (a missing module) DES is simply unavailable.
        if (OSSL_PROVIDER_load(shared.context, "default") == nullptr) {
            return;
        }
        shared.legacyLoaded = OSSL_PROVIDER_load(shared.context, "legacy") != nullptr;
        for (int row = 0; row < 4; ++row) {
            if (row == kDESRow && !shared.legacyLoaded) {
                continue;
            }
            for (std::size_t column = 0; column < kModes.size(); ++column) {
                if (kCipherNames[row][column] != nullptr) {
                    shared.ciphers[row][column] =
                        EVP_CIPHER_fetch(shared.context, kCipherNames[row][column], nullptr);
                }
            }
        }
        shared.md5 = EVP_MD_fetch(shared.context, "MD5", nullptr);
        shared.sha1 = EVP_MD_fetch(shared.context, "SHA1", nullptr);
    });
    return shared;
}

int aesRow(std::size_t keyLength) {
    switch (keyLength) {
    case kCCKeySizeAES128:
        return 0;
    case kCCKeySizeAES192:
        return 1;
    case kCCKeySizeAES256:
        return 2;
    default:
        return -1;
    }
}

} // namespace

CipherChoice lookUpCipher(CCAlgorithm algorithm, CCMode mode, std::size_t keyLength) {
    CipherChoice choice;
    int column = modeIndex(mode);
    if (column < 0) {
        return choice;
    }
    int row = -1;
    if (algorithm == kCCAlgorithmAES) {
        row = aesRow(keyLength);
    } else if (algorithm == kCCAlgorithmDES && keyLength == kCCKeySizeDES) {
        row = kDESRow;
    }
    if (row < 0) {
        return choice;
    }
    if (row == kDESRow && mode == kCCModeCTR) {
        choice.counterModeByHand = true;
        column = modeIndex(kCCModeECB);
    }
    choice.cipher = library().ciphers[row][column];
    return choice;
}

const EVP_MD* md5Digest() {
    return library().md5;
}

const EVP_MD* sha1Digest() {
    return library().sha1;
}

} // namespace commoncrypto
