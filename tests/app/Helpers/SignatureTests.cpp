#include "app/Helpers/KKpresentationdisease.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdio>

namespace {

// MD5 computed by OpenSSL, independently of the application's own digest path.
std::string opensslMd5Hex(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EXPECT_EQ(EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr), 1);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02x", digest[i]);
        hex += byte;
    }
    return hex;
}

constexpr const char* kSalt = "Lp5vRc2nMx8dJw3F";

TEST(KKpresentationdisease, SignatureDigestsSortedKeysAndValuesThenTheSalt) {
    const std::string timestamp = "1700000000";
    const std::string sign =
        KKpresentationdisease::signParameters({{"b", "2"}, {"a", "1"}, {"timestamp", timestamp}});
    EXPECT_EQ(sign, opensslMd5Hex("a1b2timestamp" + timestamp + kSalt));
    EXPECT_EQ(sign.size(), 32u);
    EXPECT_EQ(sign.find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(KKpresentationdisease, SignatureKeepsKeysOfEmptyValuesAndUsesByteOrder) {
    EXPECT_EQ(KKpresentationdisease::signParameters({{"timestamp", "5"}}),
              opensslMd5Hex(std::string("timestamp5") + kSalt));
    EXPECT_EQ(KKpresentationdisease::signParameters({{"name", ""}, {"page", "1"}}),
              opensslMd5Hex(std::string("namepage1") + kSalt));
    EXPECT_EQ(KKpresentationdisease::signParameters({{"a", "1"}, {"B", "2"}, {"_", "3"}}),
              opensslMd5Hex(std::string("B2_3a1") + kSalt));
    EXPECT_EQ(KKpresentationdisease::signParameters({{"wd", "你好 +&="}}),
              opensslMd5Hex(std::string("wd你好 +&=") + kSalt));
    EXPECT_EQ(KKpresentationdisease::signParameters({}), opensslMd5Hex(kSalt));
}

} // namespace
