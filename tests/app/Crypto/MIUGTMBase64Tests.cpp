#include "app/Crypto/MIUGTMBase64.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>

namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::optional<std::string> textOf(const std::optional<Bytes>& bytes) {
    if (!bytes) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

std::optional<std::string> standard(const std::string& base64) {
    return textOf(MIUGTMBase64::decodeData(bytesOf(base64)));
}
std::optional<std::string> webSafe(const std::string& base64) {
    return textOf(MIUGTMBase64::webSafeDecodeData(bytesOf(base64)));
}

TEST(MIUGTMBase64, PaddingAndLeftoverBits) {
    EXPECT_EQ(standard("Zg=="), "f");
    EXPECT_EQ(standard("Zg"), std::nullopt); // padding required
    EXPECT_EQ(webSafe("Zg"), "f");           // padding optional
    EXPECT_EQ(webSafe("Zg=="), "f");
    EXPECT_EQ(standard("Zh=="), std::nullopt); // bits left over in the last byte
    EXPECT_EQ(webSafe("Zh"), std::nullopt);
    EXPECT_EQ(standard("Z==="), std::nullopt);
    EXPECT_EQ(webSafe("Z"), std::nullopt); // a lone digit never makes a byte
    EXPECT_EQ(standard("Zm8="), "fo");
    EXPECT_EQ(standard("Zm8=="), std::nullopt);
    EXPECT_EQ(standard("Zg="), std::nullopt);
    EXPECT_EQ(standard("Zg=\n ="), "f");
    EXPECT_EQ(standard("Zg== \r\n"), "f");
    EXPECT_EQ(standard("Zg==Zg=="), std::nullopt); // only white space after the padding
    EXPECT_EQ(standard("=Zg="), std::nullopt);
    EXPECT_EQ(standard(""), std::nullopt);
    EXPECT_EQ(standard(" \n"), std::nullopt);
}

TEST(MIUGTMBase64, WhiteSpaceIsSkippedAndAZeroByteEndsTheInput) {
    EXPECT_EQ(standard("Zm9v\t\n\v\f\r Ym\xa0"
                       "Fy\xff"),
              "foobar");
    EXPECT_EQ(standard(std::string("Zm9v\0garbage!", 13)), "foo");
    EXPECT_EQ(standard(std::string("Zg==\0Zg", 7)), "f");
    EXPECT_EQ(standard("Zm9v\x85YmFy"), std::nullopt);
    EXPECT_EQ(standard("Zm9-"), std::nullopt); // URL-safe digits are not standard
    EXPECT_EQ(webSafe("Zm9+"), std::nullopt);
    EXPECT_EQ(MIUGTMBase64::decodeString("Zm9vYmFy"), bytesOf("foobar"));
    EXPECT_EQ(MIUGTMBase64::decodeString("Zm9v\xc2\xa0YmFy"), std::nullopt); // text must be ASCII
    EXPECT_EQ(MIUGTMBase64::webSafeDecodeString("-_8"), (Bytes{0xFB, 0xFF}));
}

TEST(MIUGTMBase64, URLSafeEncodingPadsOnRequest) {
    const Bytes bytes{0xFB, 0xFF};
    EXPECT_EQ(MIUGTMBase64::stringByWebSafeEncodingData(bytes, false), "-_8");
    EXPECT_EQ(MIUGTMBase64::stringByWebSafeEncodingData(bytes, true), "-_8=");
    EXPECT_EQ(MIUGTMBase64::stringByEncodingData(bytes), "+/8=");
    EXPECT_EQ(MIUGTMBase64::stringByWebSafeEncodingBytes("f", 1, false), "Zg");
    EXPECT_EQ(MIUGTMBase64::stringByWebSafeEncodingBytes("f", 1, true), "Zg==");
    EXPECT_EQ(MIUGTMBase64::webSafeEncodeData(Bytes{}, true), std::nullopt);
    EXPECT_EQ(MIUGTMBase64::encodeData(Bytes{}), std::nullopt);
}

// Standard Base64 agrees with OpenSSL's encoder for every length, and both alphabets
// decode what they encode.
TEST(MIUGTMBase64, AgreesWithOpenSSLAndRoundTrips) {
    std::mt19937 generator(7);
    for (std::size_t length = 1; length <= 300; ++length) {
        Bytes data(length);
        for (std::uint8_t& byte : data) {
            byte = static_cast<std::uint8_t>(generator());
        }
        std::string expected(4 * ((length + 2) / 3) + 1, '\0');
        expected.resize(static_cast<std::size_t>(EVP_EncodeBlock(
            reinterpret_cast<unsigned char*>(expected.data()), data.data(), static_cast<int>(length))));
        ASSERT_EQ(MIUGTMBase64::stringByEncodingData(data), expected) << length;
        ASSERT_EQ(MIUGTMBase64::decodeString(expected), data) << length;
        for (const bool padded : {false, true}) {
            const std::optional<std::string> safe = MIUGTMBase64::stringByWebSafeEncodingData(data, padded);
            ASSERT_TRUE(safe.has_value());
            ASSERT_EQ(safe->find_first_of(padded ? "+/" : "+/="), std::string::npos);
            ASSERT_EQ(MIUGTMBase64::webSafeDecodeString(*safe), data) << length;
        }
    }
}

TEST(MIUGTMBase64, CoresReportRoomAndAnyAlphabet) {
    char small[3];
    EXPECT_EQ(MIUGTMBase64::baseEncode("f", 1, small, sizeof small, MIUGTMBase64::standardCharset, true), 0u);
    EXPECT_EQ(MIUGTMBase64::baseEncode("f", 1, small, sizeof small, MIUGTMBase64::standardCharset, false),
              2u);
    std::uint8_t out[2];
    EXPECT_EQ(MIUGTMBase64::baseDecode("Zm9v", 4, out, sizeof out, MIUGTMBase64::standardCharset, true), 0u);
    EXPECT_EQ(MIUGTMBase64::baseDecode("Zm8=", 4, out, sizeof out, MIUGTMBase64::standardCharset, true), 2u);
    EXPECT_EQ(MIUGTMBase64::baseDecode("Zm8=", 4, out, sizeof out, "too short", true), 0u);

    const std::string reversed(MIUGTMBase64::standardCharset.rbegin(), MIUGTMBase64::standardCharset.rend());
    const std::optional<Bytes> encoded = MIUGTMBase64::baseEncode("hello", 5, reversed, true);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(textOf(encoded), "l5qTk5D=");
    EXPECT_EQ(textOf(MIUGTMBase64::baseDecode(encoded->data(), encoded->size(), reversed, true)), "hello");
}

TEST(MIUGTMBase64, TextConveniences) {
    EXPECT_EQ(MIUGTMBase64::encodeBase64String("中文"), "5Lit5paH");
    EXPECT_EQ(MIUGTMBase64::decodeBase64String("5pqC5peg5pWw5o2u"), "暂无数据");
    EXPECT_EQ(MIUGTMBase64::decodeBase64String("/w=="), std::nullopt); // not UTF-8
    EXPECT_EQ(MIUGTMBase64::encodeBase64String(""), std::nullopt);
    EXPECT_EQ(MIUGTMBase64::encodeBase64Data(bytesOf("abc")), "YWJj");
    EXPECT_EQ(MIUGTMBase64::decodeBase64Data(bytesOf("YWJj")), "abc");
    EXPECT_EQ(MIUGTMBase64::md5_base64(""), "1B2M2Y8AsgTpgAmY7PhCfg==");
}

} // namespace
