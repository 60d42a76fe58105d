#include "platform/CommonCrypto/CommonCryptor.h"
#include "tests/platform/CommonCrypto/CryptorTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace cryptortest;

namespace {

// NIST SP 800-38A, appendix F: the four example plaintext blocks and the keys.
const std::string kNistPlain = "6bc1bee22e409f96e93d7e117393172a"
                               "ae2d8a571e03ac9c9eb76fac45af8e51"
                               "30c81c46a35ce411e5fbc1191a0a52ef"
                               "f69f2445df4f9b17ad2b417be66c3710";
const std::string kNistKey128 = "2b7e151628aed2a6abf7158809cf4f3c";
const std::string kNistKey192 = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const std::string kNistKey256 = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const std::string kNistIV = "000102030405060708090a0b0c0d0e0f";
const std::string kNistCounter = "f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff";

// FIPS 81's DES examples: "Now is the time for all " under key 0123456789abcdef.
// The CTR answer was made with `openssl enc -des-ecb` over the counter blocks.
const std::string kDesPlain = "4e6f772069732074"
                              "68652074696d6520"
                              "666f7220616c6c20";
const std::string kDesKey = "0123456789abcdef";
const std::string kDesIV = "1234567890abcdef";

struct KnownAnswer {
    const char* name;
    CCAlgorithm algorithm;
    CCMode mode;
    std::string key;
    std::string iv;
    std::string plain;
    std::string cipher;
};

const KnownAnswer kKnownAnswers[] = {
    {"AES128_ECB", kCCAlgorithmAES, kCCModeECB, kNistKey128, "", kNistPlain,
     "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
     "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4"},
    {"AES192_ECB", kCCAlgorithmAES, kCCModeECB, kNistKey192, "", kNistPlain,
     "bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
     "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e"},
    {"AES128_CBC", kCCAlgorithmAES, kCCModeCBC, kNistKey128, kNistIV, kNistPlain,
     "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
     "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
    {"AES256_CBC", kCCAlgorithmAES, kCCModeCBC, kNistKey256, kNistIV, kNistPlain,
     "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
     "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"},
    {"AES128_CFB128", kCCAlgorithmAES, kCCModeCFB, kNistKey128, kNistIV, kNistPlain,
     "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
     "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6"},
    {"AES128_CFB8", kCCAlgorithmAES, kCCModeCFB8, kNistKey128, kNistIV, kNistPlain.substr(0, 36),
     "3b79424c9c0dd436bace9e0ed4586a4f32b9"},
    {"AES128_OFB", kCCAlgorithmAES, kCCModeOFB, kNistKey128, kNistIV, kNistPlain,
     "3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
     "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e"},
    {"AES128_CTR", kCCAlgorithmAES, kCCModeCTR, kNistKey128, kNistCounter, kNistPlain,
     "874d6191b620e3261bef6864990db6ce9806f66b7970fdff8617187bb9fffdff"
     "5ae4df3edbd5d35e5b4f09020db03eab1e031dda2fbe03d1792170a0f3009cee"},
    {"AES256_CTR", kCCAlgorithmAES, kCCModeCTR, kNistKey256, kNistCounter, kNistPlain,
     "601ec313775789a5b7a7f504bbf3d228f443e3ca4d62b59aca84e990cacaf5c5"
     "2b0930daa23de94ce87017ba2d84988ddfc9c58db67aada613c2dd08457941a6"},
    {"DES_ECB", kCCAlgorithmDES, kCCModeECB, kDesKey, "", kDesPlain,
     "3fa40e8a984d48156a271787ab8883f9893d51ec4b563b53"},
    {"DES_CBC", kCCAlgorithmDES, kCCModeCBC, kDesKey, kDesIV, kDesPlain,
     "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"},
    {"DES_CFB64", kCCAlgorithmDES, kCCModeCFB, kDesKey, kDesIV, kDesPlain,
     "f3096249c7f46e51a69e839b1a92f78403467133898ea622"},
    {"DES_OFB", kCCAlgorithmDES, kCCModeOFB, kDesKey, kDesIV, kDesPlain,
     "f3096249c7f46e5135f24a242eeb3d3f3d6d5be3255af8c3"},
    {"DES_CTR", kCCAlgorithmDES, kCCModeCTR, kDesKey, kDesIV, kDesPlain,
     "f3096249c7f46e51163a8ca0ffc94c27fa2f80f480b86f75"},
    // The counter carries over the whole block: ffffffffffffffff is followed by zero.
    {"DES_CTR_wraps", kCCAlgorithmDES, kCCModeCTR, kDesKey, "ffffffffffffffff", std::string(32, '0'),
     "59732356f36fde06d5d44ff720683d0d"},
};

void PrintTo(const KnownAnswer& vector, std::ostream* stream) {
    *stream << vector.name;
}

class KnownAnswerTest : public testing::TestWithParam<KnownAnswer> {};

TEST_P(KnownAnswerTest, EncryptsAndDecryptsWholeAndInPieces) {
    const KnownAnswer& vector = GetParam();
    CryptorSetup setup{kCCEncrypt,  vector.mode,         vector.algorithm,
                       ccNoPadding, fromHex(vector.key), fromHex(vector.iv)};
    const Bytes plain = fromHex(vector.plain);
    const Bytes cipher = fromHex(vector.cipher);

    for (const std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{17}}) {
        SCOPED_TRACE(testing::Message() << "pieces of " << piece);
        setup.operation = kCCEncrypt;
        Outcome encrypted = runCryptor(setup, plain, piece);
        ASSERT_EQ(encrypted.status, kCCSuccess);
        EXPECT_EQ(toHex(encrypted.data), vector.cipher);

        setup.operation = kCCDecrypt;
        Outcome decrypted = runCryptor(setup, cipher, piece);
        ASSERT_EQ(decrypted.status, kCCSuccess);
        EXPECT_EQ(toHex(decrypted.data), vector.plain);
    }
}

// A reset cryptor forgets the input it was given (a piece that leaves part of a block
// waiting, or a whole message) and starts over from its IV with the same key.
TEST_P(KnownAnswerTest, AResetCryptorStartsOverWithItsKey) {
    const KnownAnswer& vector = GetParam();
    const Bytes key = fromHex(vector.key);
    const Bytes iv = fromHex(vector.iv);
    for (const CCOperation operation : {kCCEncrypt, kCCDecrypt}) {
        const Bytes input = fromHex(operation == kCCEncrypt ? vector.plain : vector.cipher);
        CCCryptorRef cryptor = nullptr;
        ASSERT_EQ(CCCryptorCreateWithMode(operation, vector.mode, vector.algorithm, ccNoPadding,
                                          iv.empty() ? nullptr : iv.data(), key.data(), key.size(), nullptr,
                                          0, 0, 0, &cryptor),
                  kCCSuccess);
        for (const std::size_t given : {std::size_t{5}, input.size()}) {
            Bytes output(input.size() + kCCBlockSizeAES128);
            std::size_t moved = 0;
            ASSERT_EQ(CCCryptorUpdate(cryptor, input.data(), given, output.data(), output.size(), &moved),
                      kCCSuccess);
            ASSERT_EQ(CCCryptorReset(cryptor, iv.empty() ? nullptr : iv.data()), kCCSuccess);
            std::size_t written = 0;
            ASSERT_EQ(
                CCCryptorUpdate(cryptor, input.data(), input.size(), output.data(), output.size(), &written),
                kCCSuccess);
            ASSERT_EQ(CCCryptorFinal(cryptor, output.data() + written, output.size() - written, &moved),
                      kCCSuccess);
            output.resize(written + moved);
            EXPECT_EQ(toHex(output), operation == kCCEncrypt ? vector.cipher : vector.plain)
                << "after " << given << " bytes";
        }
        CCCryptorRelease(cryptor);
    }
    EXPECT_EQ(CCCryptorReset(nullptr, nullptr), kCCParamError);
}

INSTANTIATE_TEST_SUITE_P(Vectors, KnownAnswerTest, testing::ValuesIn(kKnownAnswers),
                         [](const testing::TestParamInfo<KnownAnswer>& info) {
                             return std::string(info.param.name);
                         });

Bytes sequence(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

Bytes pkcs7Padded(Bytes bytes, std::size_t blockSize) {
    const std::size_t fill = blockSize - bytes.size() % blockSize;
    bytes.insert(bytes.end(), fill, static_cast<std::uint8_t>(fill));
    return bytes;
}

TEST(CommonCryptor, PKCS7PaddingInBlockModesMatchesPaddingByHand) {
    struct Case {
        CCAlgorithm algorithm;
        std::size_t keySize;
        std::size_t blockSize;
    };
    for (const Case c :
         {Case{kCCAlgorithmAES, kCCKeySizeAES128, 16}, Case{kCCAlgorithmAES, kCCKeySizeAES256, 16},
          Case{kCCAlgorithmDES, kCCKeySizeDES, 8}}) {
        for (const CCOptions options :
             {CCOptions{kCCOptionPKCS7Padding}, CCOptions{kCCOptionPKCS7Padding | kCCOptionECBMode}}) {
            for (std::size_t length = 0; length <= 33; ++length) {
                SCOPED_TRACE(testing::Message() << "algorithm " << c.algorithm << " options " << options
                                                << " length " << length);
                const Bytes key = sequence(c.keySize);
                const Bytes iv = fromHex("f0e1d2c3b4a5968778695a4b3c2d1e0f");
                const Bytes plain = sequence(length);
                const Outcome padded = runOneShot(kCCEncrypt, c.algorithm, options, key, iv, plain);
                ASSERT_EQ(padded.status, kCCSuccess);
                EXPECT_EQ(padded.data.size(), (length / c.blockSize + 1) * c.blockSize);
                const Outcome byHand =
                    runOneShot(kCCEncrypt, c.algorithm, options & ~CCOptions{kCCOptionPKCS7Padding}, key, iv,
                               pkcs7Padded(plain, c.blockSize));
                EXPECT_EQ(padded.data, byHand.data);
                const Outcome decrypted = runOneShot(kCCDecrypt, c.algorithm, options, key, iv, padded.data);
                ASSERT_EQ(decrypted.status, kCCSuccess);
                EXPECT_EQ(decrypted.data, plain);
            }
        }
    }
}

TEST(CommonCryptor, StreamModesIgnorePaddingAndRoundTripAnyLength) {
    for (const CCAlgorithm algorithm : {kCCAlgorithmAES, kCCAlgorithmDES}) {
        for (const CCMode mode : {kCCModeCFB, kCCModeCFB8, kCCModeCTR, kCCModeOFB}) {
            for (const std::size_t length : {0, 1, 15, 16, 17, 40}) {
                SCOPED_TRACE(testing::Message()
                             << "algorithm " << algorithm << " mode " << mode << " length " << length);
                const std::size_t keySize = algorithm == kCCAlgorithmAES ? kCCKeySizeAES192 : kCCKeySizeDES;
                CryptorSetup setup{kCCEncrypt,        mode,        algorithm, ccPKCS7Padding,
                                   sequence(keySize), sequence(16)};
                const Bytes plain = sequence(length);
                const Outcome padded = runCryptor(setup, plain, 3);
                ASSERT_EQ(padded.status, kCCSuccess);
                EXPECT_EQ(padded.data.size(), length);
                setup.padding = ccNoPadding;
                EXPECT_EQ(runCryptor(setup, plain).data, padded.data);
                setup.operation = kCCDecrypt;
                setup.padding = ccPKCS7Padding;
                const Outcome decrypted = runCryptor(setup, padded.data, 7);
                ASSERT_EQ(decrypted.status, kCCSuccess);
                EXPECT_EQ(decrypted.data, plain);
            }
        }
    }
}

// A ciphertext whose last plaintext block is `lastBlock`, made without padding.
Bytes cipherEndingWith(const Bytes& key, const Bytes& iv, const Bytes& lastBlock) {
    Bytes plain = sequence(16);
    plain.insert(plain.end(), lastBlock.begin(), lastBlock.end());
    return runOneShot(kCCEncrypt, kCCAlgorithmAES, 0, key, iv, plain).data;
}

TEST(CommonCryptor, DecryptionWithBadPaddingIsADecodeError) {
    const Bytes key = sequence(16);
    const Bytes iv = sequence(16);
    Bytes endsWithZero = sequence(16);
    endsWithZero[15] = 0;
    Bytes endsWithSeventeen = sequence(16);
    endsWithSeventeen[15] = 17;
    Bytes inconsistent = sequence(16);
    inconsistent[13] = 2; // "...02 03 03" claims three bytes of value 3
    inconsistent[14] = 3;
    inconsistent[15] = 3;
    for (const Bytes& last : {endsWithZero, endsWithSeventeen, inconsistent}) {
        const Outcome outcome = runOneShot(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, iv,
                                           cipherEndingWith(key, iv, last));
        EXPECT_EQ(outcome.status, kCCDecodeError) << toHex(last);
    }
    Bytes wholeBlockOfSixteen(16, 16);
    const Outcome whole = runOneShot(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, iv,
                                     cipherEndingWith(key, iv, wholeBlockOfSixteen));
    ASSERT_EQ(whole.status, kCCSuccess);
    EXPECT_EQ(whole.data, sequence(16));
}

TEST(CommonCryptor, PaddedDecryptionNeedsWholeBlocks) {
    const Bytes key = sequence(16);
    EXPECT_EQ(runOneShot(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, {}, sequence(20)).status,
              kCCDecodeError);
    EXPECT_EQ(runOneShot(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, {}, {}).status,
              kCCDecodeError);
}

TEST(CommonCryptor, UnpaddedBlockModesNeedWholeBlocks) {
    const Bytes key = sequence(16);
    for (const CCOperation operation : {kCCEncrypt, kCCDecrypt}) {
        for (const CCOptions options : {CCOptions{0}, CCOptions{kCCOptionECBMode}}) {
            EXPECT_EQ(runOneShot(operation, kCCAlgorithmAES, options, key, {}, sequence(20)).status,
                      kCCAlignmentError);
            EXPECT_EQ(runOneShot(operation, kCCAlgorithmDES, options, sequence(8), {}, sequence(12)).status,
                      kCCAlignmentError);
        }
    }
    const Outcome empty = runOneShot(kCCEncrypt, kCCAlgorithmAES, 0, key, {}, {});
    EXPECT_EQ(empty.status, kCCSuccess);
    EXPECT_TRUE(empty.data.empty());
}

TEST(CommonCryptor, RefusesBadParametersWithTheirStatus) {
    const Bytes key = sequence(32);
    const Bytes data = sequence(16);
    for (const std::size_t length : {0, 8, 15, 17, 31}) {
        EXPECT_EQ(runOneShot(kCCEncrypt, kCCAlgorithmAES, 0,
                             Bytes(key.begin(), key.begin() + static_cast<long>(length)), {}, data)
                      .status,
                  kCCParamError)
            << length;
    }
    EXPECT_EQ(runOneShot(kCCEncrypt, kCCAlgorithmDES, 0, sequence(16), {}, data).status, kCCParamError);
    EXPECT_EQ(runOneShot(2, kCCAlgorithmAES, 0, sequence(16), {}, data).status, kCCParamError);
    EXPECT_EQ(runOneShot(kCCEncrypt, kCCAlgorithmAES, 0x0004, sequence(16), {}, data).status, kCCParamError);
    EXPECT_EQ(runOneShot(kCCEncrypt, 2, 0, sequence(24), {}, data).status, kCCUnimplemented);

    CCCryptorRef cryptor = nullptr;
    EXPECT_EQ(CCCryptorCreate(kCCEncrypt, kCCAlgorithmAES, 0, nullptr, 16, nullptr, &cryptor), kCCParamError);
    EXPECT_EQ(CCCryptorCreate(kCCEncrypt, kCCAlgorithmAES, 0, key.data(), 16, nullptr, nullptr),
              kCCParamError);
    EXPECT_EQ(CCCryptorCreateWithMode(kCCEncrypt, 5, kCCAlgorithmAES, ccNoPadding, nullptr, key.data(), 16,
                                      nullptr, 0, 0, 0, &cryptor),
              kCCUnimplemented);
    EXPECT_EQ(CCCryptorCreateWithMode(kCCEncrypt, kCCModeCBC, kCCAlgorithmAES, 2, nullptr, key.data(), 16,
                                      nullptr, 0, 0, 0, &cryptor),
              kCCParamError);
    EXPECT_EQ(CCCryptorCreateWithMode(kCCEncrypt, kCCModeCBC, kCCAlgorithmAES, ccNoPadding, nullptr,
                                      key.data(), 16, nullptr, 0, 12, 0, &cryptor),
              kCCUnimplemented);
    EXPECT_EQ(cryptor, nullptr);
}

TEST(CommonCryptor, SmallOutputBuffersAreRefusedWithoutLosingInput) {
    const Bytes key = sequence(16);
    const Bytes plain = sequence(20);
    Bytes out(16);
    std::size_t moved = 0;
    EXPECT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), key.size(), nullptr,
                      plain.data(), plain.size(), out.data(), out.size(), &moved),
              kCCBufferTooSmall);
    EXPECT_EQ(moved, 32u);

    CCCryptorRef cryptor = nullptr;
    ASSERT_EQ(CCCryptorCreate(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), key.size(),
                              nullptr, &cryptor),
              kCCSuccess);
    EXPECT_EQ(CCCryptorUpdate(cryptor, plain.data(), plain.size(), out.data(), 15, &moved),
              kCCBufferTooSmall);
    EXPECT_EQ(moved, 16u);
    Bytes cipher(32);
    ASSERT_EQ(CCCryptorUpdate(cryptor, plain.data(), plain.size(), cipher.data(), 16, &moved), kCCSuccess);
    ASSERT_EQ(moved, 16u);
    EXPECT_EQ(CCCryptorFinal(cryptor, cipher.data() + 16, 15, &moved), kCCBufferTooSmall);
    ASSERT_EQ(CCCryptorFinal(cryptor, cipher.data() + 16, 16, &moved), kCCSuccess);
    ASSERT_EQ(moved, 16u);
    CCCryptorRelease(cryptor);
    EXPECT_EQ(cipher, runOneShot(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, {}, plain).data);
}

TEST(CommonCryptor, OutputLengthAccountsForHeldBackBlocks) {
    const Bytes key = sequence(16);
    CCCryptorRef encryptor = nullptr;
    ASSERT_EQ(CCCryptorCreate(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), 16, nullptr,
                              &encryptor),
              kCCSuccess);
    EXPECT_EQ(CCCryptorGetOutputLength(encryptor, 0, true), 16u);
    EXPECT_EQ(CCCryptorGetOutputLength(encryptor, 16, true), 32u);
    EXPECT_EQ(CCCryptorGetOutputLength(encryptor, 31, false), 16u);
    CCCryptorRelease(encryptor);

    CCCryptorRef decryptor = nullptr;
    ASSERT_EQ(CCCryptorCreate(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), 16, nullptr,
                              &decryptor),
              kCCSuccess);
    EXPECT_EQ(CCCryptorGetOutputLength(decryptor, 32, false), 16u); // the last block waits for the final step
    EXPECT_EQ(CCCryptorGetOutputLength(decryptor, 33, false), 32u);
    EXPECT_EQ(CCCryptorGetOutputLength(decryptor, 32, true), 32u);
    CCCryptorRelease(decryptor);
}

TEST(CommonCryptor, WorksInPlaceAndTakesANullIVAsZeros) {
    const Bytes key = sequence(16);
    const Bytes plain = sequence(37);
    const Bytes expected =
        runOneShot(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key, Bytes(16, 0), plain).data;

    Bytes buffer = plain;
    buffer.resize(48);
    std::size_t moved = 0;
    ASSERT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), 16, nullptr,
                      buffer.data(), 37, buffer.data(), buffer.size(), &moved),
              kCCSuccess);
    ASSERT_EQ(moved, 48u);
    EXPECT_EQ(buffer, expected);
    ASSERT_EQ(CCCrypt(kCCDecrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), 16, nullptr,
                      buffer.data(), 48, buffer.data(), buffer.size(), &moved),
              kCCSuccess);
    buffer.resize(moved);
    EXPECT_EQ(buffer, plain);

    // Output that starts inside the input must not read bytes it has already overwritten.
    Bytes shifted(64, 0);
    std::memcpy(shifted.data() + 5, plain.data(), plain.size());
    ASSERT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithmAES, kCCOptionPKCS7Padding, key.data(), 16, nullptr,
                      shifted.data() + 5, 37, shifted.data(), 59, &moved),
              kCCSuccess);
    EXPECT_EQ(Bytes(shifted.begin(), shifted.begin() + 48), expected);
}

} // namespace
