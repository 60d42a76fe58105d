#include "app/Crypto/EncryptionTools.h"
#include "app/Crypto/MIUAES.h"
#include "tests/app/Crypto/OpenSSLCommand.h"

#include <gtest/gtest.h>

using namespace cryptotest;

namespace {

// The shared instance outlives each test: every test starts and ends with AES.
class EncryptionToolsTest : public testing::Test {
  protected:
    void SetUp() override { tools.setAlgorithm(0); }
    void TearDown() override { tools.setAlgorithm(0); }

    EncryptionTools& tools = EncryptionTools::sharedEncryptionTools();
};

TEST_F(EncryptionToolsTest, AlgorithmSetsBothSizes) {
    EXPECT_EQ(&tools, &EncryptionTools::sharedEncryptionTools());
    EXPECT_EQ(tools.algorithm(), 0u);
    EXPECT_EQ(tools.keySize(), 16);
    EXPECT_EQ(tools.blockSize(), 16);
    tools.setAlgorithm(1);
    EXPECT_EQ(tools.keySize(), 8);
    EXPECT_EQ(tools.blockSize(), 8);
    tools.setKeySize(24);
    tools.setAlgorithm(2);
    EXPECT_EQ(tools.algorithm(), 2u);
    EXPECT_EQ(tools.keySize(), 24);
    EXPECT_EQ(tools.blockSize(), 8);
}

TEST_F(EncryptionToolsTest, EncryptStringMatchesOpenSSL) {
    const std::string text = "用户名 user@example.com";
    // The key is cut to the key size; the IV is zero-filled to the block size.
    EXPECT_EQ(tools.encryptString(text, "0123456789abcdefEXTRA", std::string("iv")),
              runOpenSSL("enc -aes-128-cbc -base64 -A -K " + hexOf("0123456789abcdef") + " -iv " +
                             hexOf("iv") + std::string(28, '0'),
                         text));
    EXPECT_EQ(tools.encryptString(text, "short", std::nullopt),
              runOpenSSL("enc -aes-128-ecb -base64 -A -K " + hexOf("short") + std::string(22, '0'), text));

    tools.setAlgorithm(1);
    EXPECT_EQ(tools.encryptString(text, "12345678abc", std::string("abcdefgh")),
              runOpenSSL("enc -provider legacy -provider default -des-cbc -base64 -A -K " +
                             hexOf("12345678") + " -iv " + hexOf("abcdefgh"),
                         text));
}

TEST_F(EncryptionToolsTest, DecryptStringReadsPayloadsInEitherAlgorithm) {
    const std::string text = R"({"msg":"成功"})";
    for (const std::uint32_t algorithm : {0u, 1u}) {
        tools.setAlgorithm(algorithm);
        const std::optional<std::string> base64 =
            tools.encryptString(text, std::string(MIUAES::responseKey), std::string(MIUAES::responseIV));
        ASSERT_TRUE(base64.has_value());
        EXPECT_EQ(tools.decryptString(hexOf(*base64)), text) << algorithm;
    }
    tools.setAlgorithm(0);
    EXPECT_EQ(tools.decryptString(MIUAES::encryptPayload(text)), text);
}

TEST_F(EncryptionToolsTest, DecryptStringFailures) {
    EXPECT_EQ(tools.decryptString(""), "");
    EXPECT_EQ(tools.decryptString("ff"), ""); // hexadecimal that is no text
    EXPECT_EQ(tools.decryptString(hexOf("Zm9v*")), std::nullopt);
    EXPECT_EQ(tools.decryptString(hexOf("Zm9vYmFyZm9vYmFyZm9vYmFy")), std::nullopt); // not whole blocks
    tools.setAlgorithm(1);
    EXPECT_EQ(tools.decryptString(MIUAES::encryptPayload("{}")), std::nullopt); // AES payload, DES settings
}

TEST_F(EncryptionToolsTest, Base64Encode) {
    EXPECT_EQ(EncryptionTools::base64encode(""), "");
    EXPECT_EQ(EncryptionTools::base64encode("abc"), "YWJj");
    EXPECT_EQ(tools.hex2bin("4142"), "AB");
}

} // namespace
