#include "platform/CommonCrypto/CommonCryptor.h"
#include "platform/CommonCrypto/CommonDigest.h"
#include "tests/platform/CommonCrypto/CryptorTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace cryptortest;

namespace {

// Points OpenSSL at a folder without provider modules before anything loads one, as
// on a system whose OpenSSL lacks the legacy module.
const bool modulesHidden = ::setenv("OPENSSL_MODULES", "/nonexistent/ossl-modules", 1) == 0;

TEST(WithoutLegacyProvider, DESIsRefusedAsUnimplementedWhileAESAndDigestsWork) {
    ASSERT_TRUE(modulesHidden);
    const Bytes plain = fromHex("4e6f772069732074");
    EXPECT_EQ(
        runOneShot(kCCEncrypt, kCCAlgorithmDES, kCCOptionPKCS7Padding, fromHex("0123456789abcdef"), {}, plain)
            .status,
        kCCUnimplemented);
    EXPECT_EQ(
        runCryptor({kCCEncrypt, kCCModeCTR, kCCAlgorithmDES, ccNoPadding, fromHex("0123456789abcdef"), {}},
                   plain)
            .status,
        kCCUnimplemented);

    const Outcome aes =
        runOneShot(kCCEncrypt, kCCAlgorithmAES, 0, fromHex("2b7e151628aed2a6abf7158809cf4f3c"), {},
                   fromHex("6bc1bee22e409f96e93d7e117393172a"));
    ASSERT_EQ(aes.status, kCCSuccess);
    EXPECT_EQ(toHex(aes.data), "3ad77bb40d7a3660a89ecaf32466ef97");

    Bytes digest(CC_MD5_DIGEST_LENGTH);
    ASSERT_NE(CC_MD5("abc", 3, digest.data()), nullptr);
    EXPECT_EQ(toHex(digest), "900150983cd24fb0d6963f7d28e17f72");
}

} // namespace
