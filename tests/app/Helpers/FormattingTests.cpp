#include "app/Helpers/KKpresentationdisease.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(KKpresentationdisease, FormatSizeStepsByThousandsAboveEachBoundary) {
    EXPECT_EQ(KKpresentationdisease::formatSize(0), "0.00kb");
    EXPECT_EQ(KKpresentationdisease::formatSize(999.994), "999.99kb");
    EXPECT_EQ(KKpresentationdisease::formatSize(1000), "1000.00kb");
    EXPECT_EQ(KKpresentationdisease::formatSize(1000.5), "1.00MB");
    EXPECT_EQ(KKpresentationdisease::formatSize(1536), "1.54MB");
    EXPECT_EQ(KKpresentationdisease::formatSize(1000000), "1000.00MB");
    EXPECT_EQ(KKpresentationdisease::formatSize(1000001), "1.00GB");
    EXPECT_EQ(KKpresentationdisease::formatSize(1e12), "1000000.00GB");
}

TEST(KKpresentationdisease, FormatDurationShowsHoursOnlyWhenThereAreAny) {
    EXPECT_EQ(KKpresentationdisease::formatDuration(0), "00:00");
    EXPECT_EQ(KKpresentationdisease::formatDuration(9), "00:09");
    EXPECT_EQ(KKpresentationdisease::formatDuration(59), "00:59");
    EXPECT_EQ(KKpresentationdisease::formatDuration(60), "01:00");
    EXPECT_EQ(KKpresentationdisease::formatDuration(599), "09:59");
    EXPECT_EQ(KKpresentationdisease::formatDuration(3599), "59:59");
    EXPECT_EQ(KKpresentationdisease::formatDuration(3600), "01:00:00");
    EXPECT_EQ(KKpresentationdisease::formatDuration(35999), "09:59:59");
    EXPECT_EQ(KKpresentationdisease::formatDuration(36000), "10:00:00");
    EXPECT_EQ(KKpresentationdisease::formatDuration(360000), "100:00:00");
}

TEST(KKpresentationdisease, FormatDurationReadsANegativeCountAsZero) {
    EXPECT_EQ(KKpresentationdisease::formatDuration(-15), "00:00");
    EXPECT_EQ(KKpresentationdisease::formatDuration(std::numeric_limits<std::int64_t>::min()), "00:00");
}

TEST(KKpresentationdisease, ToJSONStringWritesCompactTextInKeyOrder) {
    const auto object = JSON::parse(R"({"token":"a/b","id":7,"nested":{"z":[1,true,null],"a":"名"}})");
    const std::string text = KKpresentationdisease::toJSONString(object);
    EXPECT_EQ(text, R"({"token":"a/b","id":7,"nested":{"z":[1,true,null],"a":"名"}})");
    EXPECT_EQ(JSON::parse(text), object);

    EXPECT_EQ(KKpresentationdisease::toJSONString(JSON::parse("\"fragment\"")), "\"fragment\"");
    EXPECT_EQ(KKpresentationdisease::toJSONString(JSON::parse("5")), "5");
    EXPECT_EQ(KKpresentationdisease::toJSONString(JSON()), "null");
}

TEST(KKpresentationdisease, ToJSONStringAnswersEmptyTextWhenNothingCanBeWritten) {
    EXPECT_EQ(KKpresentationdisease::toJSONString(JSON::absent()), "");
    EXPECT_EQ(KKpresentationdisease::toJSONString(JSON(JSON::Storage{{"name", "\xff\xfe"}})), "");
}

} // namespace
