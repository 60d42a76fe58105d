#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <gtest/gtest.h>

using namespace mcs::http;

TEST(HttpMessage, ParsesRequestHeadsWithEitherLineEnd) {
    for (const std::string text :
         {"GET /a/b?x=1 HTTP/1.1\r\nHost: 127.0.0.1:80\r\nRange:  bytes=0-9 \r\n\r\nextra",
          "GET /a/b?x=1 HTTP/1.1\nHost: 127.0.0.1:80\nRange: bytes=0-9\n\nextra"}) {
        HttpRequest request;
        std::size_t consumed = 0;
        ASSERT_EQ(parseRequestHead(text, request, consumed), ParseStatus::Complete) << text;
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.target, "/a/b?x=1");
        EXPECT_EQ(request.header("range"), "bytes=0-9");
        EXPECT_EQ(text.substr(consumed), "extra");
        EXPECT_TRUE(request.wantsKeepAlive());
    }
    HttpRequest old;
    std::size_t consumed = 0;
    ASSERT_EQ(parseRequestHead("GET / HTTP/1.0\r\n\r\n", old, consumed), ParseStatus::Complete);
    EXPECT_FALSE(old.wantsKeepAlive());
    ASSERT_EQ(parseRequestHead("GET / HTTP/1.1\r\nConnection: close\r\n\r\n", old, consumed),
              ParseStatus::Complete);
    EXPECT_FALSE(old.wantsKeepAlive());
    EXPECT_EQ(parseRequestHead("GET / HTTP/1.1\r\nHost: x\r\n", old, consumed), ParseStatus::Incomplete);
}

TEST(HttpMessage, RefusesMalformedOrOversizedHeads) {
    const char* invalid[] = {
        "GET / HTTP/2.0\r\n\r\n",                       // unknown version
        "GET  / HTTP/1.1\r\n\r\n",                      // empty target between two spaces
        "G@T / HTTP/1.1\r\n\r\n",                       // method is not a token
        "GET / HTTP/1.1\r\nHost: a\r\n folded\r\n\r\n", // obsolete line folding
        "GET / HTTP/1.1\r\nBad Name: a\r\n\r\n",        // space in a field name
        "GET / HTTP/1.1\r\nX: a\x01b\r\n\r\n",          // control character in a value
        "GET /\x80 HTTP/1.1\r\n\r\n",                   // raw byte in the target
        "GET / HTTP/1.1\r\nNoColon\r\n\r\n",
    };
    for (const char* text : invalid) {
        HttpRequest request;
        std::size_t consumed = 0;
        EXPECT_EQ(parseRequestHead(text, request, consumed), ParseStatus::Invalid) << text;
    }
    HttpRequest request;
    std::size_t consumed = 0;
    const std::string huge = "GET / HTTP/1.1\r\nX: " + std::string(kMaxRequestHead, 'a');
    EXPECT_EQ(parseRequestHead(huge, request, consumed), ParseStatus::TooLarge);
}

TEST(HttpMessage, EvaluatesRangesAsRfc9110Requires) {
    struct Case {
        const char* header;
        std::uint64_t total;
        RangeDecision::Kind kind;
        std::uint64_t first;
        std::uint64_t last;
    };
    const Case cases[] = {
        {"bytes=0-99", 1000, RangeDecision::Partial, 0, 99},
        {"bytes=500-", 1000, RangeDecision::Partial, 500, 999},
        {"bytes=900-5000", 1000, RangeDecision::Partial, 900, 999}, // end clamped
        {"bytes=-100", 1000, RangeDecision::Partial, 900, 999},     // suffix
        {"bytes=-5000", 1000, RangeDecision::Partial, 0, 999},      // suffix longer than the body
        {"bytes=1000-", 1000, RangeDecision::Unsatisfiable, 0, 0},  // starts at the end
        {"bytes=2000-3000", 1000, RangeDecision::Unsatisfiable, 0, 0},
        {"bytes=-0", 1000, RangeDecision::Unsatisfiable, 0, 0},
        {"bytes=0-", 0, RangeDecision::Unsatisfiable, 0, 0},
        {"bytes=5-1", 1000, RangeDecision::Whole, 0, 0},     // inverted: ignored
        {"bytes=0-1,5-6", 1000, RangeDecision::Whole, 0, 0}, // several ranges: whole body
        {"items=0-1", 1000, RangeDecision::Whole, 0, 0},
        {"bytes=abc-", 1000, RangeDecision::Whole, 0, 0},
        {"bytes=99999999999999999999-", 1000, RangeDecision::Whole, 0, 0},
    };
    for (const auto& c : cases) {
        const auto decision = evaluateRange(std::string_view(c.header), c.total);
        EXPECT_EQ(decision.kind, c.kind) << c.header;
        if (c.kind == RangeDecision::Partial) {
            EXPECT_EQ(decision.range.first, c.first) << c.header;
            EXPECT_EQ(decision.range.last, c.last) << c.header;
        }
    }
    EXPECT_EQ(evaluateRange(std::nullopt, 10).kind, RangeDecision::Whole);
}

TEST(HttpMessage, ParsesContentRange) {
    const auto range = parseContentRange("bytes 10-19/100");
    ASSERT_TRUE(range && range->range && range->total);
    EXPECT_EQ(range->range->first, 10u);
    EXPECT_EQ(range->range->last, 19u);
    EXPECT_EQ(*range->total, 100u);
    const auto unknown = parseContentRange("bytes 0-9/*");
    ASSERT_TRUE(unknown);
    EXPECT_FALSE(unknown->total);
    EXPECT_FALSE(parseContentRange("bytes 10-200/100"));
    EXPECT_FALSE(parseContentRange("bytes 9-1/100"));
    EXPECT_FALSE(parseContentRange("items 0-1/2"));
}
