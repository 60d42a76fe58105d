#pragma once

// Symmetric ciphers with the platform's CommonCrypto interface, over OpenSSL 3.
//
// Algorithms: AES (16, 24 or 32 byte keys) and DES (8 byte keys, through OpenSSL's
// legacy provider; where that provider cannot be loaded, DES cryptors are refused
// with kCCUnimplemented). Modes: ECB, CBC, CFB (full block), CFB8, CTR (big-endian
// counter over the whole block) and OFB. PKCS7 padding applies to ECB and CBC only;
// the stream modes (CFB, CFB8, CTR, OFB) ignore it and never pad.
//
// Status numbers, option bits and constants are those of the platform, so that they
// can be logged and compared as the application does.

#include <cstddef>
#include <cstdint>

using CCStatus = std::int32_t;
using CCCryptorStatus = std::int32_t;

enum : CCCryptorStatus {
    kCCSuccess = 0,
    kCCParamError = -4300,     // an argument is not acceptable (key length, operation, ...)
    kCCBufferTooSmall = -4301, // the output buffer is too small; nothing was consumed
    kCCMemoryFailure = -4302,
    kCCAlignmentError = -4303, // input of ECB/CBC without padding is not whole blocks
    kCCDecodeError = -4304,    // decryption with PKCS7 found bad padding or a partial block
    kCCUnimplemented = -4305,  // algorithm, mode or option not available here
    kCCOverflow = -4306,
    kCCRNGFailure = -4307,
    kCCUnspecifiedError = -4308,
    kCCCallSequenceError = -4309,
};

using CCOperation = std::uint32_t;
enum : CCOperation {
    kCCEncrypt = 0,
    kCCDecrypt = 1,
};

using CCAlgorithm = std::uint32_t;
enum : CCAlgorithm {
    kCCAlgorithmAES128 = 0,
    kCCAlgorithmAES = 0,
    kCCAlgorithmDES = 1,
};

// Options of CCCrypt and CCCryptorCreate: CBC unless ECB is asked for.
using CCOptions = std::uint32_t;
enum : CCOptions {
    kCCOptionPKCS7Padding = 0x0001,
    kCCOptionECBMode = 0x0002,
};

using CCMode = std::uint32_t;
enum : CCMode {
    kCCModeECB = 1,
    kCCModeCBC = 2,
    kCCModeCFB = 3,
    kCCModeCTR = 4,
    kCCModeOFB = 7,
    kCCModeCFB8 = 10,
};

using CCPadding = std::uint32_t;
enum : CCPadding {
    ccNoPadding = 0,
    ccPKCS7Padding = 1,
};

using CCModeOptions = std::uint32_t;

enum : std::size_t {
    kCCKeySizeAES128 = 16,
    kCCKeySizeAES192 = 24,
    kCCKeySizeAES256 = 32,
    kCCKeySizeDES = 8,
};

enum : std::size_t {
    kCCBlockSizeAES128 = 16,
    kCCBlockSizeDES = 8,
};

struct CCCryptor;
using CCCryptorRef = CCCryptor*;

// A cryptor in CBC mode (ECB with kCCOptionECBMode), padded with PKCS7 when
// kCCOptionPKCS7Padding is set. A null IV stands for an IV of zero bytes.
CCCryptorStatus CCCryptorCreate(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                                std::size_t keyLength, const void* iv, CCCryptorRef* cryptorRef);

// A cryptor in any mode above. The tweak (XTS only) is not used; numRounds must be 0
// (the cipher's own number of rounds) and options 0.
CCCryptorStatus CCCryptorCreateWithMode(CCOperation op, CCMode mode, CCAlgorithm alg, CCPadding padding,
                                        const void* iv, const void* key, std::size_t keyLength,
                                        const void* tweak, std::size_t tweakLength, int numRounds,
                                        CCModeOptions options, CCCryptorRef* cryptorRef);

// Processes input; block modes keep a partial block (and, when decrypting with PKCS7,
// the last whole block) for the next call or the final step. dataIn and dataOut may
// be the same buffer. When the output buffer is too small, nothing is consumed and
// dataOutMoved tells the room needed.
CCCryptorStatus CCCryptorUpdate(CCCryptorRef cryptorRef, const void* dataIn, std::size_t dataInLength,
                                void* dataOut, std::size_t dataOutAvailable, std::size_t* dataOutMoved);

// Writes the padded last block (encryption) or the unpadded plaintext of the last
// block (decryption) and checks that nothing is left over.
CCCryptorStatus CCCryptorFinal(CCCryptorRef cryptorRef, void* dataOut, std::size_t dataOutAvailable,
                               std::size_t* dataOutMoved);

// The output room needed for inputLength more bytes, with the final step when `final`.
std::size_t CCCryptorGetOutputLength(CCCryptorRef cryptorRef, std::size_t inputLength, bool final);

// Returns the cryptor to the state it was created in, with `iv` (null: zero bytes) as
// its initialisation vector or CTR counter and the same key: input kept back is
// dropped. Cheaper than a new cryptor, as the key schedule is kept.
CCCryptorStatus CCCryptorReset(CCCryptorRef cryptorRef, const void* iv);

CCCryptorStatus CCCryptorRelease(CCCryptorRef cryptorRef);

// One-shot encryption or decryption (create, update, final, release). When the
// output buffer is too small, dataOutMoved tells the room needed.
CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void* key,
                        std::size_t keyLength, const void* iv, const void* dataIn, std::size_t dataInLength,
                        void* dataOut, std::size_t dataOutAvailable, std::size_t* dataOutMoved);
