#include "platform/Foundation/JSONFastParse.h"

#include <gtest/gtest.h>

namespace {

// The quick parse gives nlohmann's value, or leaves the text to nlohmann.
void expectSameAsNlohmann(const std::string& text) {
    const auto quick = parseJSONQuickly(text);
    const auto reference = JSON::Storage::parse(text, nullptr, false);
    if (!quick) {
        return;
    }
    ASSERT_FALSE(reference.is_discarded()) << text;
    EXPECT_EQ(*quick, reference) << text;
    EXPECT_EQ(quick->dump(), reference.dump()) << text;
}

} // namespace

TEST(JSONFastParse, BuildsNlohmannsValueForEveryKind) {
    for (const std::string text : {
             R"({"code":20000,"message":"成功","data":"3a4b","list":[1,-2,3.5,true,false,null,{}]})",
             R"({"b":1,"a":{"z":[],"y":"\u00e9\ud83d\ude00\u0000"}})",
             R"({"a":1,"a":2,"b":3,"a":4})",
             "5", "-7", "0", "-0", "1e2", "-0.0", "\"text\"", "true", "null", "[]", "  [ 1 , 2 ]  ",
             "18446744073709551615", "9223372036854775808", "-9223372036854775808", "1.7976931348623157e308",
         }) {
        expectSameAsNlohmann(text);
        EXPECT_TRUE(parseJSONQuickly(text).has_value()) << text;
    }
    const auto object = parseJSONQuickly(R"({"b":1,"a":2,"b":3})");
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(object->dump(), R"({"b":3,"a":2})"); // first place, last value
    EXPECT_TRUE(parseJSONQuickly("7")->is_number_unsigned());
    EXPECT_TRUE(parseJSONQuickly("-7")->is_number_integer());
}

TEST(JSONFastParse, LeavesWhatItCannotRepresentToNlohmann) {
    const std::vector<std::string> texts{"18446744073709551616", "-9223372036854775809", "1E400", "", "{", "[1,]",
                                         "\"\\ud800\"", "nul", "{\"a\" 1}", "\"\xff\"", "01", "5 6",
                                         std::string(2000, '[') + std::string(2000, ']')};
    for (const auto& text : texts) {
        expectSameAsNlohmann(text);
    }
    // Numbers beyond 64 bits and deep nesting still parse, through nlohmann.
    EXPECT_EQ(JSON::parse("18446744073709551616").storage().dump(), "1.8446744073709552e+19");
    EXPECT_TRUE(JSON::parse(std::string(2000, '[') + std::string(2000, ']')).exists());
    EXPECT_FALSE(JSON::parse("[1,]").exists());
}
