#include "app/Helpers/KKpresentationdisease.h"

#include "platform/Foundation/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

class TouristTest : public testing::Test {
  protected:
    void SetUp() override { UserDefaults::standard().removeObject("login"); }
    void TearDown() override { UserDefaults::standard().removeObject("login"); }

    static bool touristWithStored(const std::string& text) {
        UserDefaults::standard().setString("login", text);
        return KKpresentationdisease::checkUserGroup();
    }
};

TEST_F(TouristTest, NoStoredUserIsNeitherTouristNorMember) {
    EXPECT_FALSE(KKpresentationdisease::checkUserGroup());
}

TEST_F(TouristTest, OnlyGroupTwoIsAMember) {
    EXPECT_FALSE(touristWithStored(R"({"id":"1","group_id":"2"})"));
    EXPECT_FALSE(touristWithStored(R"({"id":"1","group_id":2})"));
    EXPECT_TRUE(touristWithStored(R"({"id":"1","group_id":"1"})"));
    EXPECT_TRUE(touristWithStored(R"({"id":"1"})"));
    EXPECT_TRUE(touristWithStored(R"({"id":"1","group_id":" 2"})"));
    EXPECT_TRUE(touristWithStored(R"({"id":"1","group_id":2.5})"));
    EXPECT_TRUE(touristWithStored("{}"));
    EXPECT_TRUE(touristWithStored("not json"));
}

TEST_F(TouristTest, StoredTextWrittenByToJSONStringReadsBack) {
    const auto member = JSON::parse(R"({"id":"9","group_id":"2","token":"t"})");
    UserDefaults::standard().setString("login", KKpresentationdisease::toJSONString(member));
    EXPECT_FALSE(KKpresentationdisease::checkUserGroup());
}

} // namespace
