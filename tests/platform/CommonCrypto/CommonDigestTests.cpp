#include "platform/CommonCrypto/CommonDigest.h"
#include "tests/platform/CommonCrypto/CryptorTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace cryptortest;

namespace {

std::string md5Hex(const std::string& text) {
    Bytes digest(CC_MD5_DIGEST_LENGTH);
    EXPECT_EQ(CC_MD5(text.data(), static_cast<CC_LONG>(text.size()), digest.data()), digest.data());
    return toHex(digest);
}

std::string sha1Hex(const std::string& text) {
    Bytes digest(CC_SHA1_DIGEST_LENGTH);
    EXPECT_EQ(CC_SHA1(text.data(), static_cast<CC_LONG>(text.size()), digest.data()), digest.data());
    return toHex(digest);
}

// RFC 1321 and FIPS 180 test values.
TEST(CommonDigest, KnownAnswers) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5Hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
    EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");

    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    EXPECT_NE(CC_MD5(nullptr, 0, digest), nullptr);
    EXPECT_EQ(CC_MD5(nullptr, 3, digest), nullptr);
}

// CTest runs each test in its own process, so here the library is first used by
// several threads at once.
TEST(CommonDigest, FirstUseFromManyThreadsAtOnce) {
    std::vector<std::string> answers(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        threads.emplace_back([&answers, i] {
            Bytes digest(CC_MD5_DIGEST_LENGTH);
            if (CC_MD5("abc", 3, digest.data()) != nullptr) {
                answers[i] = toHex(digest);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::string& answer : answers) {
        EXPECT_EQ(answer, "900150983cd24fb0d6963f7d28e17f72");
    }
}

} // namespace
