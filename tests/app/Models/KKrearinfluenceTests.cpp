#include "app/Models/KKrearinfluence.h"

#include "platform/Foundation/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

class KKrearinfluenceTest : public testing::Test {
  protected:
    void SetUp() override { UserDefaults::standard().removeObject("login"); }
    void TearDown() override { UserDefaults::standard().removeObject("login"); }
};

TEST_F(KKrearinfluenceTest, ReadsEveryFieldAsText) {
    KKrearinfluence user(JSON::parse(R"({"id":42,"expires_in":7200,"group_id":2,"nick_name":"游客",
        "phone":"13800000000","portrait":"https://a/p.png","token":"tkn","token_type":"Bearer","username":"u"})"));
    EXPECT_EQ(user.id, "42");
    EXPECT_EQ(user.expiresIn, "7200");
    EXPECT_EQ(user.groupId, "2");
    EXPECT_EQ(user.nickName, "游客");
    EXPECT_EQ(user.phone, "13800000000");
    EXPECT_EQ(user.portrait, "https://a/p.png");
    EXPECT_EQ(user.token, "tkn");
    EXPECT_EQ(user.tokenType, "Bearer");
    EXPECT_EQ(user.username, "u");
}

TEST_F(KKrearinfluenceTest, KeepsAbsentAndEmptyTokensApart) {
    EXPECT_FALSE(KKrearinfluence(JSON::parse("{}")).token.has_value());
    EXPECT_EQ(KKrearinfluence(JSON::parse(R"({"id":"1"})")).token, "");
    EXPECT_EQ(KKrearinfluence(JSON::parse(R"({"token":null})")).token, "");
}

TEST_F(KKrearinfluenceTest, StoredUserFollowsTheLoginDefault) {
    EXPECT_FALSE(KKrearinfluence::storedUser().has_value());

    UserDefaults::standard().setString("login", R"({"id":"7","token":"abc"})");
    auto user = KKrearinfluence::storedUser();
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->token, "abc");

    // Nothing is cached: a new text is seen at once.
    UserDefaults::standard().setString("login", R"({"id":"8"})");
    EXPECT_EQ(KKrearinfluence::storedUser()->id, "8");

    UserDefaults::standard().setString("login", "not json");
    user = KKrearinfluence::storedUser();
    ASSERT_TRUE(user.has_value());
    EXPECT_FALSE(user->id.has_value());
    EXPECT_FALSE(user->groupId.has_value());
}

} // namespace
