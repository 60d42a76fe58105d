#include "tests/tools/devservice/RawClient.h"
#include "tools/devservice/ByteRange.h"
#include "tools/devservice/DnsAnswer.h"
#include "tools/devservice/FormEncoding.h"
#include "tools/devservice/HttpsServer.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace devservice;
using devservicetest::dnsQuery;

namespace {

int rcodeOf(const std::string& answer) {
    return answer[3] & 0x0F;
}

int answerCount(const std::string& answer) {
    return (static_cast<unsigned char>(answer[6]) << 8) | static_cast<unsigned char>(answer[7]);
}

} // namespace

TEST(FormEncoding, DecodesEscapesPlusSignsAndEmptyValues) {
    const auto form = parseFormText("keyword=%E6%98%9F%E6%B2%B3&title=a+b&empty=&bare&&x=%2B");
    ASSERT_TRUE(form.has_value());
    EXPECT_EQ(form->at("keyword"), "星河");
    EXPECT_EQ(form->at("title"), "a b");
    EXPECT_EQ(form->at("empty"), "");
    EXPECT_EQ(form->at("bare"), "");
    EXPECT_EQ(form->at("x"), "+");
    EXPECT_EQ(form->size(), 5u);
}

TEST(FormEncoding, RefusesBrokenEscapesAndRepeatedKeys) {
    EXPECT_FALSE(parseFormText("a=%E6%9").has_value());
    EXPECT_FALSE(parseFormText("a=%").has_value());
    EXPECT_FALSE(parseFormText("a=%zz").has_value());
    EXPECT_FALSE(parseFormText("a=1&a=2").has_value()) << "a signature over a repeated key is ambiguous";
    EXPECT_TRUE(parseFormText("").has_value());
}

TEST(FormEncoding, DecodesBase64UrlWithAndWithoutPadding) {
    EXPECT_EQ(decodeBase64Url("-_8"), std::string("\xFB\xFF", 2));
    EXPECT_EQ(decodeBase64Url("-_8="), std::string("\xFB\xFF", 2));
    EXPECT_EQ(decodeBase64Url("AAABAAAB"), std::string("\x00\x00\x01\x00\x00\x01", 6));
    EXPECT_FALSE(decodeBase64Url("ab+/").has_value())
        << "the standard alphabet's own digits are not base64url";
    EXPECT_FALSE(decodeBase64Url("abcde").has_value());
}

TEST(DnsAnswer, ResolvesServiceNamesToLoopbackOverIPv4Only) {
    const auto answer = answerDnsQuery(dnsQuery("API.Orvex.test", 1));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->substr(0, 2), "\x12\x34");
    EXPECT_EQ(static_cast<unsigned char>((*answer)[2]) & 0x80, 0x80) << "a response";
    EXPECT_EQ(static_cast<unsigned char>((*answer)[2]) & 0x01, 0x01) << "recursion desired is repeated";
    EXPECT_EQ(rcodeOf(*answer), 0);
    ASSERT_EQ(answerCount(*answer), 1);
    EXPECT_EQ(answer->substr(answer->size() - 4), std::string("\x7F\x00\x00\x01", 4));

    const auto ipv6 = answerDnsQuery(dnsQuery("media.orvex.test", 28));
    ASSERT_TRUE(ipv6.has_value());
    EXPECT_EQ(rcodeOf(*ipv6), 0);
    EXPECT_EQ(answerCount(*ipv6), 0);

    const auto apex = answerDnsQuery(dnsQuery("orvex.test", 1));
    ASSERT_TRUE(apex.has_value());
    EXPECT_EQ(answerCount(*apex), 1);
}

TEST(DnsAnswer, AnswersNxdomainOutsideTheZoneAndForOtherTypes) {
    for (const auto& [name, type] : {std::pair{std::string("example.com"), 1},
                                     {"notorvex.test", 1},
                                     {"orvex.test.example.com", 1},
                                     {"api.orvex.test", 16}}) {
        const auto answer = answerDnsQuery(dnsQuery(name, static_cast<std::uint16_t>(type)));
        ASSERT_TRUE(answer.has_value()) << name;
        EXPECT_EQ(rcodeOf(*answer), 3) << name;
        EXPECT_EQ(answerCount(*answer), 0) << name;
    }
}

TEST(DnsAnswer, RefusesMalformedMessages) {
    const std::string good = dnsQuery("api.orvex.test", 1);
    EXPECT_FALSE(answerDnsQuery(good.substr(0, 11)).has_value());
    EXPECT_FALSE(answerDnsQuery(good.substr(0, good.size() - 1)).has_value());
    EXPECT_FALSE(answerDnsQuery(dnsQuery("api.orvex.test", 1, 1, 0x8100)).has_value())
        << "a response is no query";
    EXPECT_FALSE(answerDnsQuery(dnsQuery("api.orvex.test", 1, 1, 0x2100)).has_value()) << "opcode 4";
    std::string twoQuestions = good;
    twoQuestions[5] = 2;
    EXPECT_FALSE(answerDnsQuery(twoQuestions).has_value());
    std::string pointer = good;
    pointer[12] = static_cast<char>(0xC0);
    EXPECT_FALSE(answerDnsQuery(pointer).has_value());
    EXPECT_FALSE(answerDnsQuery(dnsQuery(std::string(64, 'a') + ".orvex.test", 1)).has_value())
        << "label over 63";
}

TEST(ByteRange, ClampsAndRefusesAsTheRfcSays) {
    struct Case {
        const char* header;
        std::size_t length;
        RangeAnswer::Kind kind;
        std::size_t first;
        std::size_t last;
    };
    using K = RangeAnswer::Kind;
    const Case cases[] = {
        {"", 100, K::whole, 0, 0},
        {"bytes=0-9", 100, K::partial, 0, 9},
        {"bytes=90-", 100, K::partial, 90, 99},
        {"bytes=50-5000", 100, K::partial, 50, 99},
        {"bytes=-10", 100, K::partial, 90, 99},
        {"bytes=-500", 100, K::partial, 0, 99},
        {"bytes=100-", 100, K::unsatisfiable, 0, 0},
        {"bytes=2000000-", 100, K::unsatisfiable, 0, 0},
        {"bytes=-0", 100, K::unsatisfiable, 0, 0},
        {"bytes=0-", 0, K::unsatisfiable, 0, 0},
        {"bytes=9-3", 100, K::whole, 0, 0},
        {"bytes=0-1,5-6", 100, K::whole, 0, 0},
        {"items=0-1", 100, K::whole, 0, 0},
        {"bytes=x-1", 100, K::whole, 0, 0},
    };
    for (const auto& c : cases) {
        const RangeAnswer answer = resolveRange(c.header, c.length);
        EXPECT_EQ(answer.kind, c.kind) << c.header;
        if (c.kind == K::partial) {
            EXPECT_EQ(answer.first, c.first) << c.header;
            EXPECT_EQ(answer.last, c.last) << c.header;
        }
    }
}

TEST(RequestLine, QuestionMarksInAQueryAreEscapedAndTheRestIsKept) {
    EXPECT_EQ(escapeQueryMarks("GET /api/feedback?a=b?c&d=/?e HTTP/1.1\r\n"),
              "GET /api/feedback?a=b%3Fc&d=/%3Fe HTTP/1.1\r\n");
    EXPECT_EQ(escapeQueryMarks("GET /api/feedback?a=1 HTTP/1.1\r\n"), "GET /api/feedback?a=1 HTTP/1.1\r\n");
    EXPECT_EQ(escapeQueryMarks("POST /api/login HTTP/1.1\r\n"), "POST /api/login HTTP/1.1\r\n");
    EXPECT_EQ(escapeQueryMarks("GET /?? HTTP/1.1\r\n"), "GET /?%3F HTTP/1.1\r\n");
    EXPECT_EQ(escapeQueryMarks("garbage?a?b"), "garbage?a?b");
    EXPECT_EQ(escapeQueryMarks(""), "");
    const auto decoded = parseFormText("a=b%3Fc&d=/%3Fe");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->at("a"), "b?c");
    EXPECT_EQ(decoded->at("d"), "/?e");
}
