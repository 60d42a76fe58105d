#include "app/Extensions/StringExtensions.h"

#include <gtest/gtest.h>

namespace {

TEST(StringExtensions, Md5StringIsLowerCaseHexOfTheUtf8Bytes) {
    EXPECT_EQ(md5String(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5String("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(md5String("中文"), "a7bac2239fcdcb3a067903d8077c4a07");
    EXPECT_EQ(md5String(std::string("a\0b", 3)), "70350f6027bce3713f6b76473084309b");
}

TEST(StringExtensions, SubstringsOutOfRangeAreAbsentNeverPartial) {
    const std::string text = "abcdef";
    EXPECT_FALSE(substringTo(text, 0));
    EXPECT_FALSE(substringTo(text, -1));
    EXPECT_FALSE(substringTo(text, 7));
    EXPECT_EQ(substringTo(text, 6), "abcdef");
    EXPECT_EQ(substringTo(text, 2), "ab");

    EXPECT_FALSE(substringFrom(text, 6));
    EXPECT_FALSE(substringFrom(text, -1));
    EXPECT_EQ(substringFrom(text, 0), "abcdef");
    EXPECT_EQ(substringFrom(text, 5), "f");

    EXPECT_FALSE(substringRange(text, 2, 2));
    EXPECT_FALSE(substringRange(text, 3, 2));
    EXPECT_FALSE(substringRange(text, -1, 2));
    EXPECT_FALSE(substringRange(text, 4, 7));
    EXPECT_EQ(substringRange(text, 1, 3), "bc");
    EXPECT_EQ(substringRange(text, 0, 6), "abcdef");

    EXPECT_FALSE(substringTo("", 1));
    EXPECT_FALSE(substringFrom("", 0));
    EXPECT_FALSE(substringRange("", 0, 1));
}

TEST(StringExtensions, SubstringsCountUserPerceivedCharacters) {
    // "a", a family emoji joined by zero-width joiners, "e" with a combining accent,
    // a flag made of two regional indicators, and a Chinese character.
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::string accented = "e\u0301";
    const std::string flag = "\U0001F1E8\U0001F1F3";
    const std::string text = "a" + family + accented + flag + "中";

    EXPECT_EQ(substringTo(text, 5), text);
    EXPECT_FALSE(substringTo(text, 6));
    EXPECT_EQ(substringTo(text, 2), "a" + family);
    EXPECT_EQ(substringFrom(text, 4), "中");
    EXPECT_FALSE(substringFrom(text, 5));
    EXPECT_EQ(substringRange(text, 1, 4), family + accented + flag);
    EXPECT_EQ(substringRange(text, 2, 3), accented);
    EXPECT_EQ(substringTo("\r\n!", 1), "\r\n");
}

} // namespace
