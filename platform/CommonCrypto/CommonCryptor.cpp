#include "platform/CommonCrypto/CommonCryptor.h"

#include "platform/CommonCrypto/OpenSSLLibrary.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

// OpenSSL does the cipher work with its own padding switched off: the cryptor keeps
// partial blocks itself, so that it knows the exact output of every step before it
// writes anything and can refuse a small buffer without losing state.
struct CCCryptor {
    CCOperation operation = kCCEncrypt;
    bool blockMode = false; // ECB or CBC: whole blocks only, optionally padded
    bool pkcs7 = false;
    std::size_t blockSize = 0;
    bool usesIV = false; // OpenSSL's context takes the IV (not ECB, not CTR by hand)
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context{nullptr, EVP_CIPHER_CTX_free};

    // DES in CTR mode: `context` encrypts the counter blocks in ECB mode; the bytes of
    // the current key stream block from `keyStreamUsed` on are still to be used.
    bool counterModeByHand = false;
    std::array<std::uint8_t, kCCBlockSizeAES128> counter{};
    std::array<std::uint8_t, kCCBlockSizeAES128> keyStream{};
    std::size_t keyStreamUsed = 0;

    // Block modes: input not processed yet. Fewer than blockSize bytes, except when
    // decrypting with PKCS7, where the last whole block waits for the final step.
    std::array<std::uint8_t, kCCBlockSizeAES128> pending{};
    std::size_t pendingLength = 0;
};

namespace {

const std::uint8_t* bytesOf(const void* pointer) {
    return static_cast<const std::uint8_t*>(pointer);
}
std::uint8_t* bytesOf(void* pointer) {
    return static_cast<std::uint8_t*>(pointer);
}

bool overlaps(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength) {
    const auto a = reinterpret_cast<std::uintptr_t>(first);
    const auto b = reinterpret_cast<std::uintptr_t>(second);
    return firstLength > 0 && secondLength > 0 && a < b + secondLength && b < a + firstLength;
}

// Runs the OpenSSL cipher over `length` bytes (whole blocks in the block modes).
bool runCipher(EVP_CIPHER_CTX* context, std::uint8_t* out, const std::uint8_t* in, std::size_t length) {
    constexpr std::size_t kChunk = std::size_t{1} << 30; // fits OpenSSL's int lengths, whole blocks
    while (length > 0) {
        const std::size_t chunk = length < kChunk ? length : kChunk;
        int written = 0;
        if (EVP_CipherUpdate(context, out, &written, in, static_cast<int>(chunk)) != 1 ||
            static_cast<std::size_t>(written) != chunk) {
            return false;
        }
        in += chunk;
        out += chunk;
        length -= chunk;
    }
    return true;
}

// CTR mode built on the block cipher: each counter block is encrypted into key stream,
// the counter counting up as one big-endian number over the whole block.
bool runCounterMode(CCCryptor& cryptor, std::uint8_t* out, const std::uint8_t* in, std::size_t length) {
    const std::size_t blockSize = cryptor.blockSize;
    for (std::size_t i = 0; i < length; ++i) {
        if (cryptor.keyStreamUsed == blockSize) {
            if (!runCipher(cryptor.context.get(), cryptor.keyStream.data(), cryptor.counter.data(),
                           blockSize)) {
                return false;
            }
            for (std::size_t digit = blockSize; digit-- > 0;) {
                if (++cryptor.counter[digit] != 0) {
                    break;
                }
            }
            cryptor.keyStreamUsed = 0;
        }
        out[i] = in[i] ^ cryptor.keyStream[cryptor.keyStreamUsed++];
    }
    return true;
}

// Block modes: `produced` bytes (whole blocks, computed by CCCryptorGetOutputLength)
// are processed from the pending bytes followed by the input; the rest is kept.
bool runBlocks(CCCryptor& cryptor, const std::uint8_t* in, std::size_t length, std::uint8_t* out,
               std::size_t produced) {
    const std::size_t blockSize = cryptor.blockSize;
    if (cryptor.pendingLength > 0 && produced > 0) {
        const std::size_t take = blockSize - cryptor.pendingLength;
        std::memcpy(cryptor.pending.data() + cryptor.pendingLength, in, take);
        in += take;
        length -= take;
        cryptor.pendingLength = 0;
        if (!runCipher(cryptor.context.get(), out, cryptor.pending.data(), blockSize)) {
            return false;
        }
        out += blockSize;
        produced -= blockSize;
    }
    if (!runCipher(cryptor.context.get(), out, in, produced)) {
        return false;
    }
    if (length > produced) {
        std::memcpy(cryptor.pending.data() + cryptor.pendingLength, in + produced, length - produced);
        cryptor.pendingLength += length - produced;
    }
    return true;
}

bool validKeyLength(CCAlgorithm algorithm, std::size_t keyLength) {
    if (algorithm == kCCAlgorithmDES) {
        return keyLength == kCCKeySizeDES;
    }
    return keyLength == kCCKeySizeAES128 || keyLength == kCCKeySizeAES192 || keyLength == kCCKeySizeAES256;
}

} // namespace

CCCryptorStatus CCCryptorCreateWithMode(CCOperation op, CCMode mode, CCAlgorithm alg, CCPadding padding,
                                        const void* iv, const void* key, std::size_t keyLength,
                                        const void* tweak, std::size_t tweakLength, int numRounds,
                                        CCModeOptions options, CCCryptorRef* cryptorRef) {
    if (cryptorRef == nullptr) {
        return kCCParamError;
    }
    *cryptorRef = nullptr;
    if ((op != kCCEncrypt && op != kCCDecrypt) || (padding != ccNoPadding && padding != ccPKCS7Padding) ||
        key == nullptr) {
        return kCCParamError;
    }
    if ((alg != kCCAlgorithmAES && alg != kCCAlgorithmDES) || numRounds != 0 || options != 0) {
        return kCCUnimplemented;
    }
    if (!validKeyLength(alg, keyLength)) {
        return kCCParamError;
    }
    const commoncrypto::CipherChoice choice = commoncrypto::lookUpCipher(alg, mode, keyLength);
    if (choice.cipher == nullptr) {
        return kCCUnimplemented;
    }

    auto cryptor = std::unique_ptr<CCCryptor>(new (std::nothrow) CCCryptor);
    if (cryptor == nullptr) {
        return kCCMemoryFailure;
    }
    cryptor->operation = op;
    cryptor->blockMode = mode == kCCModeECB || mode == kCCModeCBC;
    cryptor->pkcs7 = cryptor->blockMode && padding == ccPKCS7Padding;
    cryptor->blockSize = alg == kCCAlgorithmAES ? kCCBlockSizeAES128 : kCCBlockSizeDES;
    cryptor->context.reset(EVP_CIPHER_CTX_new());
    if (cryptor->context == nullptr) {
        return kCCMemoryFailure;
    }
    const std::array<std::uint8_t, kCCBlockSizeAES128> zeroIV{};
    const std::uint8_t* ivBytes = iv != nullptr ? bytesOf(iv) : zeroIV.data();
    int encrypting = op == kCCEncrypt ? 1 : 0;
    if (choice.counterModeByHand) {
        cryptor->counterModeByHand = true;
        std::memcpy(cryptor->counter.data(), ivBytes, cryptor->blockSize);
        cryptor->keyStreamUsed = cryptor->blockSize;
        encrypting = 1; // the key stream is always made by encryption
    }
    const bool usesIV = mode != kCCModeECB && !choice.counterModeByHand;
    cryptor->usesIV = usesIV;
    if (EVP_CipherInit_ex2(cryptor->context.get(), choice.cipher, bytesOf(key), usesIV ? ivBytes : nullptr,
                           encrypting, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(cryptor->context.get(), 0) != 1) {
        return kCCUnspecifiedError;
    }
    *cryptorRef = cryptor.release();
    return kCCSuccess;
}

CCCryptorStatus CCCryptorReset(CCCryptorRef cryptorRef, const void* iv) {
    if (cryptorRef == nullptr) {
        return kCCParamError;
    }
    CCCryptor& cryptor = *cryptorRef;
    const std::array<std::uint8_t, kCCBlockSizeAES128> zeroIV{};
    const std::uint8_t* ivBytes = iv != nullptr ? bytesOf(iv) : zeroIV.data();
    cryptor.pendingLength = 0;
    if (cryptor.counterModeByHand) {
        std::memcpy(cryptor.counter.data(), ivBytes, cryptor.blockSize);
        cryptor.keyStreamUsed = cryptor.blockSize;
        return kCCSuccess;
    }
    // Without a cipher or key the context keeps its key schedule and direction.
    if (EVP_CipherInit_ex2(cryptor.context.get(), nullptr, nullptr, cryptor.usesIV ? ivBytes : nullptr, -1,
                           nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(cryptor.context.get(), 0) != 1) {
        return kCCUnspecifiedError;
    }
    return kCCSuccess;
}

CCCryptorStatus CCCryptorCreate(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                                std::size_t keyLength, const void* iv, CCCryptorRef* cryptorRef) {
    if ((options & ~CCOptions{kCCOptionPKCS7Padding | kCCOptionECBMode}) != 0) {
        if (cryptorRef != nullptr) {
            *cryptorRef = nullptr;
        }
        return kCCParamError;
    }
    const CCMode mode = (options & kCCOptionECBMode) != 0 ? kCCModeECB : kCCModeCBC;
    const CCPadding padding = (options & kCCOptionPKCS7Padding) != 0 ? ccPKCS7Padding : ccNoPadding;
    return CCCryptorCreateWithMode(op, mode, alg, padding, iv, key, keyLength, nullptr, 0, 0, 0, cryptorRef);
}

std::size_t CCCryptorGetOutputLength(CCCryptorRef cryptorRef, std::size_t inputLength, bool final) {
    if (cryptorRef == nullptr) {
        return 0;
    }
    if (!cryptorRef->blockMode) {
        return inputLength;
    }
    const std::size_t blockSize = cryptorRef->blockSize;
    const std::size_t total = cryptorRef->pendingLength + inputLength;
    if (!final) {
        const bool holdsBackLastBlock = cryptorRef->operation == kCCDecrypt && cryptorRef->pkcs7;
        if (holdsBackLastBlock) {
            return total == 0 ? 0 : (total - 1) / blockSize * blockSize;
        }
        return total / blockSize * blockSize;
    }
    if (cryptorRef->operation == kCCEncrypt && cryptorRef->pkcs7) {
        return (total / blockSize + 1) * blockSize;
    }
    return total;
}

CCCryptorStatus CCCryptorUpdate(CCCryptorRef cryptorRef, const void* dataIn, std::size_t dataInLength,
                                void* dataOut, std::size_t dataOutAvailable, std::size_t* dataOutMoved) {
    if (dataOutMoved != nullptr) {
        *dataOutMoved = 0;
    }
    if (cryptorRef == nullptr || (dataIn == nullptr && dataInLength > 0)) {
        return kCCParamError;
    }
    const std::size_t produced = CCCryptorGetOutputLength(cryptorRef, dataInLength, false);
    if (produced > dataOutAvailable) {
        if (dataOutMoved != nullptr) {
            *dataOutMoved = produced;
        }
        return kCCBufferTooSmall;
    }
    if (produced > 0 && dataOut == nullptr) {
        return kCCParamError;
    }
    const std::uint8_t* in = bytesOf(dataIn);
    std::uint8_t* out = bytesOf(dataOut);
    // Working in place is fine while input and output advance together; otherwise the
    // output would overwrite input not read yet.
    std::vector<std::uint8_t> inputCopy;
    const bool inLockstep = in == out && cryptorRef->pendingLength == 0;
    if (!inLockstep && overlaps(in, dataInLength, out, produced)) {
        inputCopy.assign(in, in + dataInLength);
        in = inputCopy.data();
    }
    bool done = false;
    if (cryptorRef->blockMode) {
        done = runBlocks(*cryptorRef, in, dataInLength, out, produced);
    } else if (cryptorRef->counterModeByHand) {
        done = runCounterMode(*cryptorRef, out, in, dataInLength);
    } else {
        done = runCipher(cryptorRef->context.get(), out, in, dataInLength);
    }
    if (!done) {
        return kCCUnspecifiedError;
    }
    if (dataOutMoved != nullptr) {
        *dataOutMoved = produced;
    }
    return kCCSuccess;
}

CCCryptorStatus CCCryptorFinal(CCCryptorRef cryptorRef, void* dataOut, std::size_t dataOutAvailable,
                               std::size_t* dataOutMoved) {
    if (dataOutMoved != nullptr) {
        *dataOutMoved = 0;
    }
    if (cryptorRef == nullptr) {
        return kCCParamError;
    }
    if (!cryptorRef->blockMode) {
        return kCCSuccess;
    }
    const std::size_t needed = CCCryptorGetOutputLength(cryptorRef, 0, true);
    if (needed > dataOutAvailable) {
        if (dataOutMoved != nullptr) {
            *dataOutMoved = needed;
        }
        return kCCBufferTooSmall;
    }
    if (needed > 0 && dataOut == nullptr) {
        return kCCParamError;
    }
    CCCryptor& cryptor = *cryptorRef;
    const std::size_t blockSize = cryptor.blockSize;
    const std::size_t pendingLength = cryptor.pendingLength;
    cryptor.pendingLength = 0;
    if (!cryptor.pkcs7) {
        return pendingLength == 0 ? kCCSuccess : kCCAlignmentError;
    }
    std::size_t written = 0;
    if (cryptor.operation == kCCEncrypt) {
        const auto fill = static_cast<std::uint8_t>(blockSize - pendingLength);
        std::memset(cryptor.pending.data() + pendingLength, fill, fill);
        if (!runCipher(cryptor.context.get(), bytesOf(dataOut), cryptor.pending.data(), blockSize)) {
            return kCCUnspecifiedError;
        }
        written = blockSize;
    } else {
        if (pendingLength != blockSize) {
            return kCCDecodeError; // no input, or not whole blocks
        }
        std::array<std::uint8_t, kCCBlockSizeAES128> plain{};
        if (!runCipher(cryptor.context.get(), plain.data(), cryptor.pending.data(), blockSize)) {
            return kCCUnspecifiedError;
        }
        const std::size_t fill = plain[blockSize - 1];
        if (fill == 0 || fill > blockSize) {
            return kCCDecodeError;
        }
        for (std::size_t i = blockSize - fill; i < blockSize; ++i) {
            if (plain[i] != fill) {
                return kCCDecodeError;
            }
        }
        written = blockSize - fill;
        std::memcpy(dataOut, plain.data(), written);
    }
    if (dataOutMoved != nullptr) {
        *dataOutMoved = written;
    }
    return kCCSuccess;
}

CCCryptorStatus CCCryptorRelease(CCCryptorRef cryptorRef) {
    delete cryptorRef;
    return kCCSuccess;
}

CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        std::size_t keyLength, const void* iv, const void* dataIn, std::size_t dataInLength,
                        void* dataOut, std::size_t dataOutAvailable, std::size_t* dataOutMoved) {
    if (dataOutMoved != nullptr) {
        *dataOutMoved = 0;
    }
    CCCryptorRef created = nullptr;
    CCCryptorStatus status = CCCryptorCreate(op, alg, options, key, keyLength, iv, &created);
    if (status != kCCSuccess) {
        return status;
    }
    const std::unique_ptr<CCCryptor, decltype(&CCCryptorRelease)> cryptor(created, CCCryptorRelease);
    const std::size_t needed = CCCryptorGetOutputLength(cryptor.get(), dataInLength, true);
    if (needed > dataOutAvailable) {
        if (dataOutMoved != nullptr) {
            *dataOutMoved = needed;
        }
        return kCCBufferTooSmall;
    }
    std::size_t updated = 0;
    status = CCCryptorUpdate(cryptor.get(), dataIn, dataInLength, dataOut, dataOutAvailable, &updated);
    if (status != kCCSuccess) {
        return status;
    }
    std::size_t finished = 0;
    std::uint8_t* rest = updated > 0 ? bytesOf(dataOut) + updated : bytesOf(dataOut);
    status = CCCryptorFinal(cryptor.get(), rest, dataOutAvailable - updated, &finished);
    if (status != kCCSuccess) {
        return status;
    }
    if (dataOutMoved != nullptr) {
        *dataOutMoved = updated + finished;
    }
    return kCCSuccess;
}
