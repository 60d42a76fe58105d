#include "platform/Foundation/JSON.h"

#include <gtest/gtest.h>

namespace {

TEST(JSON, MissingKeysAndIndexesReadAsAbsentNeverThrow) {
    auto json = JSON::parse(R"({"a": {"b": [1, 2]}, "n": null})");
    EXPECT_TRUE(json.exists());
    EXPECT_EQ(json["a"]["b"][1].intValue(), 2);
    EXPECT_FALSE(json["a"]["b"][5].exists());
    EXPECT_FALSE(json["a"]["b"][-1].exists());
    EXPECT_FALSE(json["missing"]["deeper"].exists());
    EXPECT_FALSE(json["a"]["b"]["key on array"].exists());
    EXPECT_TRUE(json["n"].exists());
    EXPECT_TRUE(json["n"].isNull());
    EXPECT_EQ(json["missing"].stringValue(), "");
}

TEST(JSON, ParsesFragmentsAndRejectsInvalidText) {
    EXPECT_EQ(JSON::parse("5").intValue(), 5);
    EXPECT_EQ(JSON::parse("\"x\"").stringValue(), "x");
    EXPECT_EQ(JSON::parse("[1]").count(), 1u);
    EXPECT_FALSE(JSON::parse("{").exists());
    EXPECT_FALSE(JSON::parse("").exists());
    EXPECT_FALSE(JSON::parse("\xff\xfe").exists());
    EXPECT_TRUE(JSON::parse("{").isNull());
}

TEST(JSON, TextValueConvertsNumbersAndBooleans) {
    auto json = JSON::parse(R"({"i": 123, "f": 1.5, "neg": -7, "t": true, "f2": false, "o": {}, "a": []})");
    EXPECT_EQ(json["i"].stringValue(), "123");
    EXPECT_EQ(json["f"].stringValue(), "1.5");
    EXPECT_EQ(json["neg"].stringValue(), "-7");
    EXPECT_EQ(json["t"].stringValue(), "true");
    EXPECT_EQ(json["f2"].stringValue(), "false");
    EXPECT_EQ(json["o"].stringValue(), "");
    EXPECT_EQ(json["a"].stringValue(), "");
    EXPECT_FALSE(json["i"].string().has_value());
}

TEST(JSON, IntegerValueParsesTextsAndTruncates) {
    auto json =
        JSON::parse(R"({"s": "7", "x": "x", "f": 7.9, "nf": -7.9, "t": true, "big": 1e300, "sf": "12.5"})");
    EXPECT_EQ(json["s"].int64Value(), 7);
    EXPECT_EQ(json["x"].int64Value(), 0);
    EXPECT_EQ(json["f"].int64Value(), 7);
    EXPECT_EQ(json["nf"].int64Value(), -7);
    EXPECT_EQ(json["t"].int64Value(), 1);
    EXPECT_EQ(json["big"].int64Value(), INT64_MAX);
    EXPECT_EQ(json["sf"].int64Value(), 12);
    EXPECT_EQ(json["missing"].int64Value(), 0);
}

TEST(JSON, BooleanValueAcceptsTheUsualSpellings) {
    for (const char* text :
         {R"(1)", R"("1")", R"("yes")", R"("TRUE")", R"("Y")", R"("t")", R"(true)", R"(2.5)"}) {
        EXPECT_TRUE(JSON::parse(text).boolValue()) << text;
    }
    for (const char* text : {R"(0)", R"("0")", R"("no")", R"(false)", R"(null)", R"("truthy")", R"({})"}) {
        EXPECT_FALSE(JSON::parse(text).boolValue()) << text;
    }
    EXPECT_FALSE(JSON::absent().boolValue());
}

TEST(JSON, EmptinessAndCompactTextKeepKeyOrder) {
    EXPECT_TRUE(JSON::parse("{}").isEmpty());
    EXPECT_TRUE(JSON::parse("[]").isEmpty());
    EXPECT_TRUE(JSON::parse("\"text\"").isEmpty());
    EXPECT_FALSE(JSON::parse(R"({"a":1})").isEmpty());
    auto json = JSON::parse(R"({ "z": 1, "a": "中文", "m": [true, null] })");
    EXPECT_EQ(json.rawString(), R"({"z":1,"a":"中文","m":[true,null]})");
    EXPECT_EQ(json.keys(), (std::vector<std::string>{"z", "a", "m"}));
    EXPECT_EQ(JSON::absent().rawString(), "");
}

TEST(JSON, CopiesOutliveTheValueTheyWereTakenFrom) {
    JSON copy;
    JSON member;
    {
        const JSON original = JSON::parse(R"({"list":[{"name":"a","tags":["x",{"deep":[1,2]}]}],"n":5})");
        copy = original;
        member = original["list"][0];
        JSON moved = JSON(original);
        const JSON taken = std::move(moved);
        EXPECT_EQ(taken, original);
    }
    EXPECT_EQ(copy.rawString(), R"({"list":[{"name":"a","tags":["x",{"deep":[1,2]}]}],"n":5})");
    EXPECT_EQ(member["tags"][1]["deep"][1].intValue(), 2);
    EXPECT_FALSE(JSON::absent().exists());
    const JSON absentCopy = JSON::absent();
    EXPECT_FALSE(JSON(absentCopy).exists());
}

} // namespace
