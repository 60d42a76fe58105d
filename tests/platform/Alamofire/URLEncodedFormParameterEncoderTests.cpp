#include "platform/Alamofire/URLEncodedFormParameterEncoder.h"

#include <gtest/gtest.h>

TEST(URLEncodedFormParameterEncoder, LeavesOnlyUnreservedCharactersQuestionMarkAndSlash) {
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape("AZaz09-._~?/"), "AZaz09-._~?/");
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape(":#[]@!$&'()*+,;="),
              "%3A%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D");
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape("a b"), "a%20b");
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape("%\"<>\\^`{|}\n"), "%25%22%3C%3E%5C%5E%60%7B%7C%7D%0A");
}

TEST(URLEncodedFormParameterEncoder, EscapesUTF8BytesInUpperCaseHex) {
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape("视频"), "%E8%A7%86%E9%A2%91");
    EXPECT_EQ(URLEncodedFormParameterEncoder::escape(std::string("\0\xff", 2)), "%00%FF");
}

TEST(URLEncodedFormParameterEncoder, WritesPairsInAscendingKeyOrder) {
    const Parameters parameters{
        {"b", "2"}, {"a", "1"}, {"timestamp", "1800000000"}, {"B", "x y"}, {"sign", ""}};
    EXPECT_EQ(URLEncodedFormParameterEncoder::encode(parameters),
              "B=x%20y&a=1&b=2&sign=&timestamp=1800000000");
    EXPECT_EQ(URLEncodedFormParameterEncoder::encode({}), "");
}

TEST(URLEncodedFormParameterEncoder, PutsParametersInTheQueryForGetAndInTheBodyForPost) {
    const auto& encoder = URLEncodedFormParameterEncoder::defaultEncoder();
    EXPECT_TRUE(encoder.encodesIntoQuery(HTTPMethod::get));
    EXPECT_FALSE(encoder.encodesIntoQuery(HTTPMethod::post));
    EXPECT_TRUE(URLEncodedFormParameterEncoder(URLEncodedFormParameterEncoder::Destination::queryString)
                    .encodesIntoQuery(HTTPMethod::post));
}
