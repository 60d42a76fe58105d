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
             "5",
             "-7",
             "0",
             "-0",
             "1e2",
             "-0.0",
             "\"text\"",
             "true",
             "null",
             "[]",
             "  [ 1 , 2 ]  ",
             "18446744073709551615",
             "9223372036854775808",
             "-9223372036854775808",
             "1.7976931348623157e308",
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
    const std::vector<std::string> texts{"18446744073709551616",
                                         "-9223372036854775809",
                                         "1E400",
                                         "",
                                         "{",
                                         "[1,]",
                                         "\"\\ud800\"",
                                         "nul",
                                         "{\"a\" 1}",
                                         "\"\xff\"",
                                         "01",
                                         "5 6",
                                         std::string(2000, '[') + std::string(2000, ']')};
    for (const auto& text : texts) {
        expectSameAsNlohmann(text);
    }
    // Numbers beyond 64 bits and deep nesting still parse, through nlohmann.
    EXPECT_EQ(JSON::parse("18446744073709551616").storage().dump(), "1.8446744073709552e+19");
    EXPECT_TRUE(JSON::parse(std::string(2000, '[') + std::string(2000, ']')).exists());
    EXPECT_FALSE(JSON::parse("[1,]").exists());
}

TEST(JSONFastParse, RepeatedKeysKeepTheirFirstPlaceAndTakeTheLastValue) {
    // Many keys, so that different keys share bits of the quick check of repeats; keys
    // differing only in their last byte or their length; repeats of every kind of value.
    std::string text = "{";
    for (int i = 0; i < 200; ++i) {
        text += "\"key" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    }
    text +=
        R"("key7":{"x":[1]},"key70":"seven","key7":[true,{"y":null}],"":1,"":2,"k\u0000":3,"k":4,"key199":-1})";
    expectSameAsNlohmann(text);
    const auto object = parseJSONQuickly(text);
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(object->size(), 203u);
    EXPECT_EQ(object->at("key7").dump(), R"([true,{"y":null}])");
    EXPECT_EQ(object->at("key70"), "seven");
    EXPECT_EQ(object->at("key199"), -1);
    EXPECT_EQ(object->at(""), 2);
    EXPECT_EQ(object->at(std::string("k\0", 2)), 3);
    EXPECT_EQ(object->at("k"), 4);
    const auto& members = object->get_ref<const JSON::Storage::object_t&>();
    EXPECT_EQ(members.begin()->first, "key0");
    EXPECT_EQ((members.begin() + 7)->first, "key7");
    EXPECT_EQ((members.begin() + 200)->first, "");
    EXPECT_EQ((members.begin() + 202)->first, "k");

    // Repeats within nested objects are each their own object's.
    const std::string nested = R"({"a":{"a":1,"b":2,"a":3},"b":[{"c":1,"c":{"c":2}}],"a":{"z":0}})";
    expectSameAsNlohmann(nested);
    EXPECT_EQ(parseJSONQuickly(nested)->dump(), R"({"a":{"z":0},"b":[{"c":{"c":2}}]})");
}

TEST(JSONFastParse, DeepNestingAndTextThatIsNotUTF8) {
    // Deep values within simdjson's limit are built here; deeper ones by nlohmann. Both
    // are let go without exhausting the stack.
    const std::string deepArrays = std::string(1000, '[') + std::string(1000, ']');
    ASSERT_TRUE(parseJSONQuickly(deepArrays).has_value());
    expectSameAsNlohmann(deepArrays);
    std::string deepObjects;
    for (int i = 0; i < 1000; ++i) {
        deepObjects += R"({"k":"v","k":)";
    }
    deepObjects += "0" + std::string(1000, '}');
    ASSERT_TRUE(parseJSONQuickly(deepObjects).has_value());
    expectSameAsNlohmann(deepObjects);
    const JSON deeper = JSON::parse(std::string(100000, '[') + std::string(100000, ']'));
    EXPECT_TRUE(deeper.exists());

    for (const std::string text :
         {"{\"a\":\"\xc3\"}", "{\"\xe9\":1}", "[\"\xed\xa0\x80\"]", "\"\xf4\x90\x80\x80\""}) {
        EXPECT_FALSE(parseJSONQuickly(text).has_value()) << text;
        EXPECT_FALSE(JSON::parse(text).exists()) << text;
    }
    const auto text = parseJSONQuickly("[\"\xe4\xb8\xad\xf0\x9f\x98\x80\"]");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->at(0), "\xe4\xb8\xad\xf0\x9f\x98\x80");
}
