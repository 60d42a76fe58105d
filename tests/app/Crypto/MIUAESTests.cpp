#include "app/Crypto/MIUAES.h"
#include "platform/CommonCrypto/CommonCryptor.h"
#include "tests/app/Crypto/OpenSSLCommand.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace cryptotest;

namespace {

const std::string kKeyHex = hexOf(std::string(MIUAES::responseKey));
const std::string kIVHex = hexOf(std::string(MIUAES::responseIV));
const std::string kEncryptWithResponseKey = "enc -aes-128-cbc -K " + kKeyHex + " -iv " + kIVHex;

// The service's encoding made by the openssl command alone: AES-128-CBC with PKCS7,
// Base64 (`wrapped`: in lines of 64 characters, as `openssl base64` writes them), hex.
std::string payloadFromOpenSSL(const std::string& json, bool wrapped = false,
                               const std::string& encryption = kEncryptWithResponseKey) {
    const std::optional<std::string> cipher = runOpenSSL(encryption, json);
    EXPECT_TRUE(cipher.has_value());
    const std::optional<std::string> base64 =
        runOpenSSL(wrapped ? "base64" : "base64 -A", cipher.value_or(""));
    EXPECT_TRUE(base64.has_value());
    return hexOf(base64.value_or(""));
}

std::string sampleJSON(std::size_t length) {
    std::string json =
        R"({"code":20000,"msg":"成功","data":{"vod_name":"示例","url":"https://example.com/v.m3u8","pad":")";
    while (json.size() + 3 < length) {
        json += static_cast<char>('a' + json.size() % 26);
    }
    return json + "\"}}";
}

TEST(MIUAES, DecryptsPayloadsMadeByOpenSSL) {
    for (const std::string& json :
         {std::string("{}"), std::string("0123456789abcde"), std::string("0123456789abcdef"), sampleJSON(17),
          sampleJSON(200), sampleJSON(5000)}) {
        SCOPED_TRACE(json.size());
        const std::string payload = payloadFromOpenSSL(json);
        EXPECT_EQ(MIUAES::MIUAESDecrypt(payload), json);
        std::string upper = payload;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        EXPECT_EQ(MIUAES::MIUAESDecrypt(upper), json);
    }
}

TEST(MIUAES, OneBufferServesPayloadsOfAnySizeInTurn) {
    // Larger and smaller payloads, one with line feeds, and ones that give nothing in
    // between: each result is the payload's alone, whatever the buffer held before.
    std::string plain = "left over";
    for (const std::string& json : {sampleJSON(5000), sampleJSON(17), std::string("{}"), sampleJSON(3000)}) {
        SCOPED_TRACE(json.size());
        EXPECT_TRUE(MIUAES::MIUAESDecryptInto(payloadFromOpenSSL(json), plain));
        EXPECT_EQ(plain, json);
        EXPECT_TRUE(MIUAES::MIUAESDecryptInto(payloadFromOpenSSL(json, true), plain));
        EXPECT_EQ(plain, json);
        EXPECT_FALSE(MIUAES::MIUAESDecryptInto("7a7a", plain)); // "zz": not Base64 of whole blocks
        EXPECT_EQ(plain, "");
        EXPECT_FALSE(MIUAES::MIUAESDecryptInto("not hexadecimal", plain));
        EXPECT_EQ(plain, "");
    }
    EXPECT_FALSE(MIUAES::MIUAESDecryptInto(MIUAES::encryptPayload(""), plain));
    EXPECT_EQ(plain, "");
    EXPECT_FALSE(MIUAES::MIUAESDecryptInto(MIUAES::encryptPayload("\xff\xfe"), plain)); // not UTF-8
    EXPECT_EQ(MIUAES::MIUAESDecrypt(MIUAES::encryptPayload("\xff\xfe")), "");
}

TEST(MIUAES, PayloadBytesAreThePlainTextWithoutItsUTF8Check) {
    std::string plain = "left over";
    EXPECT_TRUE(MIUAES::decryptPayloadBytesInto(MIUAES::encryptPayload(sampleJSON(3000)), plain));
    EXPECT_EQ(plain, sampleJSON(3000));
    EXPECT_TRUE(MIUAES::decryptPayloadBytesInto(MIUAES::encryptPayload("\xff\xfe"), plain));
    EXPECT_EQ(plain, "\xff\xfe");
    for (const std::string& payload :
         {std::string("7a7a"), std::string("not hexadecimal"), std::string(), MIUAES::encryptPayload("")}) {
        EXPECT_FALSE(MIUAES::decryptPayloadBytesInto(payload, plain)) << payload;
        EXPECT_EQ(plain, "") << payload;
    }
}

TEST(MIUAES, LineFeedsInsideTheBase64AreIgnored) {
    const std::string json = sampleJSON(400);
    const std::string payload = payloadFromOpenSSL(json, true);
    ASSERT_NE(unhex(payload).find('\n'), std::string::npos);
    EXPECT_EQ(MIUAES::MIUAESDecrypt(payload), json);
}

TEST(MIUAES, EncryptPayloadIsWhatOpenSSLDecryptsAndTheDecoderInverts) {
    for (const std::string& json : {std::string(""), std::string("{}"), sampleJSON(16), sampleJSON(3000)}) {
        SCOPED_TRACE(json.size());
        const std::string payload = MIUAES::encryptPayload(json);
        EXPECT_EQ(payload, payloadFromOpenSSL(json)); // lower-case hex, Base64 on one line
        EXPECT_EQ(MIUAES::MIUAESDecrypt(payload), json);
    }
}

TEST(MIUAES, PayloadUnderAnotherKeyGivesEmptyTextAndOneErrorLine) {
    const std::string payload = payloadFromOpenSSL(
        R"({"code":1})", false, "enc -aes-128-cbc -K 00112233445566778899aabbccddeeff -iv " + kIVHex);
    testing::internal::CaptureStdout();
    const std::string text = MIUAES::MIUAESDecrypt(payload);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text, "");
    EXPECT_EQ(printed, "Encrypt Error:-4304\n");
}

TEST(MIUAES, UndecodablePayloadsGiveEmptyText) {
    const std::string valid = payloadFromOpenSSL("{}");
    // These fail before the cipher, which therefore logs nothing.
    for (const std::string& payload :
         {std::string("ff80"), hexOf("Zm9v*"), hexOf("Zm9v\xc3\xa9"), hexOf("Z=")}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(MIUAES::MIUAESDecrypt(payload + valid), "") << payload;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << payload;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(MIUAES::MIUAESDecrypt(valid.substr(0, valid.size() - 8)), ""); // not whole blocks
    EXPECT_EQ(MIUAES::MIUAESDecrypt(valid + "00" + valid), "{}");            // text ends at "00"
    EXPECT_EQ(MIUAES::MIUAESDecrypt(payloadFromOpenSSL(std::string("\xff\xfe", 2))),
              ""); // plaintext not UTF-8
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Encrypt Error:-4304\n");
}

TEST(MIUAES, Hex2binReadsPairsUpToTheFirstZeroByte) {
    EXPECT_EQ(MIUAES::hex2bin(""), "");
    EXPECT_EQ(MIUAES::hex2bin("4"), "");
    EXPECT_EQ(MIUAES::hex2bin("41"), "A");
    EXPECT_EQ(MIUAES::hex2bin("414"), "A");           // a final odd digit is ignored
    EXPECT_EQ(MIUAES::hex2bin("41004142"), "A");      // "00" ends the text
    EXPECT_EQ(MIUAES::hex2bin("c3A9"), "\xc3\xa9");   // either case
    EXPECT_EQ(MIUAES::hex2bin("ff"), std::nullopt);   // not UTF-8
    EXPECT_EQ(MIUAES::hex2bin("e4b8"), std::nullopt); // a cut-off character
    // Pairs read as numbers by a scanner: leading white space skipped, digits up to
    // the first other character, "0x" as a prefix; a pair without digits ends the text.
    EXPECT_EQ(MIUAES::hex2bin(" 941"), "\x09"
                                       "A");
    EXPECT_EQ(MIUAES::hex2bin("9g41"), "\x09"
                                       "A");
    EXPECT_EQ(MIUAES::hex2bin("0x41"), "");
    EXPECT_EQ(MIUAES::hex2bin("41g942"), "A");
    EXPECT_EQ(MIUAES::hex2bin("41\xc3\xa9"
                              "42"),
              "A");
}

TEST(MIUAES, DecodeBase64WithStringIsLenient) {
    const auto decoded = [](const std::string& text) -> std::optional<std::string> {
        const std::optional<Bytes> bytes = MIUAES::decodeBase64WithString(text);
        if (!bytes) {
            return std::nullopt;
        }
        return std::string(bytes->begin(), bytes->end());
    };
    EXPECT_EQ(decoded("Zm9vYmFy"), "foobar");
    EXPECT_EQ(decoded("Zg=="), "f");
    EXPECT_EQ(decoded("Zg"), "f");
    EXPECT_EQ(decoded("Z"), ""); // a partial byte is dropped
    EXPECT_EQ(decoded(""), "");
    EXPECT_EQ(decoded("Z="), std::nullopt);
    EXPECT_EQ(decoded("Z=="), std::nullopt);
    EXPECT_EQ(decoded("Zm9v\r\n Ym\tFy\f"), "foobar");
    EXPECT_EQ(decoded(std::string("Zm9v\0*\x7f", 7)), "foo");           // a zero character ends the text
    EXPECT_EQ(decoded(std::string("Zm9v\0\xc3\xa9", 7)), std::nullopt); // but all of it must be ASCII
    for (const char* invalid : {"Zm9v\vYmFy", "Zm-v", "Zm_v", "Zm9v\xc3\xa9", "Zm9v."}) {
        EXPECT_EQ(decoded(invalid), std::nullopt) << invalid;
    }
}

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(MIUAES, EveryModeAndPaddingRoundTrips) {
    const std::string key = "an AES-256 key of 32 characters!";
    const std::string iv = "initial vector16";
    for (const int mode : {kCCModeECB, kCCModeCBC, kCCModeCFB, kCCModeCTR, kCCModeOFB}) {
        for (int padding = 0; padding <= 5; ++padding) {
            for (const std::size_t length : {0, 1, 15, 16, 17, 33}) {
                SCOPED_TRACE(testing::Message()
                             << "mode " << mode << " padding " << padding << " length " << length);
                const bool blockMode = mode == kCCModeECB || mode == kCCModeCBC;
                const bool unpadded = padding == 0 || padding > 4;
                Bytes plain(length);
                for (std::size_t i = 0; i < length; ++i) {
                    plain[i] = static_cast<std::uint8_t>(i + 1); // never ends in zero
                }
                testing::internal::CaptureStdout();
                const std::optional<Bytes> cipher =
                    MIUAES::MIUAESWithData(plain, 0, mode, key, 32, iv, padding);
                const std::string printed = testing::internal::GetCapturedStdout();
                if (blockMode && unpadded && length % 16 != 0) {
                    EXPECT_EQ(cipher, std::nullopt); // a partial block is refused, not dropped
                    EXPECT_EQ(printed, "Encrypt Error:-4303\n");
                    continue;
                }
                ASSERT_TRUE(cipher.has_value());
                const bool unpaddedStream = mode == kCCModeCTR && padding == 1;
                const std::size_t expected = unpadded || unpaddedStream ? length : (length / 16 + 1) * 16;
                EXPECT_EQ(cipher->size(), expected);
                const std::optional<Bytes> decrypted =
                    MIUAES::MIUAESWithData(*cipher, 1, mode, key, 32, iv, padding);
                ASSERT_TRUE(decrypted.has_value());
                EXPECT_EQ(*decrypted, plain);
            }
        }
    }
}

TEST(MIUAES, TextEntryPointsUseBase64AndMatchOpenSSL) {
    const std::string key = "0123456789abcdef0123456789abcdef";
    const std::string iv = "fedcba9876543210";
    const std::string text = "播放地址 https://example.com/index.m3u8";
    const std::string base64 = MIUAES::MIUAESEncrypt(text, kCCModeCBC, key, 32, iv, 1);
    EXPECT_EQ(base64, runOpenSSL("enc -aes-256-cbc -base64 -A -K " + hexOf(key) + " -iv " + hexOf(iv), text));
    EXPECT_EQ(MIUAES::MIUAESDecrypt(base64, kCCModeCBC, key, 32, iv, 1), text);
    EXPECT_EQ(MIUAES::MIUAESDecrypt(base64.substr(0, base64.size() - 1), kCCModeCBC, key, 32, iv, 1),
              ""); // padding required

    const std::string ofb = MIUAES::MIUAESEncrypt(text, kCCModeOFB, "short key", 16, "", 3);
    EXPECT_EQ(MIUAES::MIUAESDecrypt(ofb, kCCModeOFB, "short key", 16, "", 3), text);
    EXPECT_EQ(MIUAES::MIUAESDecrypt(ofb.substr(0, ofb.size() - 2), kCCModeOFB, "short key", 16, "", 3), "");
}

TEST(MIUAES, CipherRefusalsAreLoggedWithTheirStatus) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(MIUAES::MIUAESWithData(bytesOf("text"), 0, kCCModeCBC, "key", 10, "", 1), std::nullopt);
    EXPECT_EQ(MIUAES::MIUAESWithData(bytesOf("text"), 0, 5, "key", 16, "", 1), std::nullopt);
    EXPECT_EQ(MIUAES::MIUAESWithData(bytesOf("text"), 0, kCCModeCBC, "key", -1, "", 1), std::nullopt);
    EXPECT_EQ(MIUAES::MIUAESEncrypt("text", kCCModeCBC, "key", 12, "", 1), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Encrypt Error:-4300\nEncrypt Error:-4305\nEncrypt Error:-4300\nEncrypt Error:-4300\n");
}

TEST(MIUAES, PaddingKinds) {
    const Bytes sixteen(16, 0x41);
    // PKCS7 is done here only in CFB and OFB.
    Bytes padded = MIUAES::bitPaddingWithData(bytesOf("abc"), kCCModeCFB, 1);
    EXPECT_EQ(padded.size(), 16u);
    EXPECT_EQ(padded.back(), 13);
    EXPECT_EQ(MIUAES::bitPaddingWithData(bytesOf("abc"), kCCModeCBC, 1), bytesOf("abc"));
    EXPECT_EQ(MIUAES::bitPaddingWithData(sixteen, kCCModeOFB, 1).size(), 32u);
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(padded, kCCModeCFB, 1, 1), bytesOf("abc"));
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(padded, kCCModeCBC, 1, 1), padded);
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(bytesOf("abc\x11"), kCCModeCFB, 1, 1), bytesOf("abc\x11"));
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(bytesOf("\x05"), kCCModeOFB, 1, 1), bytesOf("\x05"));

    // Zero bytes: 1 to 16 added; all trailing zeros removed; a non-zero end is invalid.
    Bytes zeros = MIUAES::bitPaddingWithData(sixteen, kCCModeCBC, 2);
    EXPECT_EQ(zeros.size(), 32u);
    EXPECT_TRUE(std::all_of(zeros.begin() + 16, zeros.end(), [](std::uint8_t b) { return b == 0; }));
    Bytes firstOnly(32, 0);
    firstOnly[0] = 7;
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(firstOnly, kCCModeCBC, 1, 2), Bytes{7});
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(sixteen, kCCModeCBC, 1, 2), Bytes{});

    // ANSI X9.23: zeros, then the count.
    Bytes x923 = MIUAES::bitPaddingWithData(bytesOf("abcde"), kCCModeECB, 3);
    EXPECT_EQ(x923, bytesOf(std::string("abcde") + std::string(10, '\0') + "\x0b"));
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(x923, kCCModeECB, 1, 3), bytesOf("abcde"));
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(bytesOf("abc\x11"), kCCModeECB, 1, 3), Bytes{});
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(bytesOf(std::string("abc\0", 4)), kCCModeECB, 1, 3), Bytes{});
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(bytesOf("\x05"), kCCModeECB, 1, 4), Bytes{});

    // Removing is for decryption only.
    EXPECT_EQ(MIUAES::removeBitPaddingWithData(x923, kCCModeECB, 0, 3), x923);
}

TEST(MIUAES, ISO10126FillerIsNeverZero) {
    for (int round = 0; round < 2000; ++round) {
        const Bytes padded = MIUAES::bitPaddingWithData(Bytes{1}, kCCModeCBC, 4);
        ASSERT_EQ(padded.size(), 16u);
        EXPECT_EQ(padded.back(), 15);
        for (std::size_t i = 1; i < 15; ++i) {
            ASSERT_NE(padded[i], 0);
            ASSERT_NE(padded[i], 255);
        }
    }
}

} // namespace
