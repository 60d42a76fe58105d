// Each endpoint wrapper sends exactly its parameters, with its method, to its base URL.

#include "tests/app/Network/ServiceTestSupport.h"

using namespace networktest;

namespace {

struct Expected {
    std::string name;
    std::function<void(KKriplog::Completion)> call;
    std::string method;
    std::string path;
    devservice::FormParameters parameters; // without "timestamp" and "sign"
    int base = 1;
};

class EndpointTest : public ServiceTest {
  protected:
    void check(const Expected& expected) {
        service().clearRequests();
        await(expected.call);
        const auto requests = apiRequests();
        ASSERT_EQ(requests.size(), 1u) << expected.name;
        const auto& sent = requests.front();
        EXPECT_EQ(sent.method, expected.method) << expected.name;
        EXPECT_EQ(sent.path, "/" + expected.path) << expected.name;
        EXPECT_EQ(sent.port, expected.base == 1 ? service().port1() : service().port2()) << expected.name;
        auto parameters = sent.parameters;
        EXPECT_EQ(parameters.erase("timestamp"), 1u) << expected.name;
        EXPECT_EQ(parameters.erase("sign"), 1u) << expected.name;
        EXPECT_EQ(parameters, expected.parameters) << expected.name;
    }
};

} // namespace

TEST_F(EndpointTest, EachWrapperSendsItsPathMethodAndParameters) {
    const std::vector<Expected> table = {
        {"getParse",
         [](auto done) { apiClient.getParse("m3u8", "https://a/b.m3u8", done); },
         "POST",
         "api/getParse",
         {{"type", "m3u8"}, {"url", "https://a/b.m3u8"}}},
        {"getAdvertInfo",
         [](auto done) { apiClient.getAdvertInfo("7", done); },
         "POST",
         "api/getAdvertInfo",
         {{"position", "7"}}},
        {"touristLogin",
         [](auto done) { apiClient.touristLogin("0", done); },
         "POST",
         "api/touristLogin",
         {{"id", "0"}}},
        {"login",
         [](auto done) { apiClient.login("13800000000", "pw d", done); },
         "POST",
         "api/login",
         {{"username", "13800000000"}, {"password", "pw d"}}},
        {"loginMailCode",
         [](auto done) { apiClient.loginMailCode("13800000000", "1234", done); },
         "POST",
         "api/loginMailCode",
         {{"username", "13800000000"}, {"code", "1234"}}},
        {"sendMail",
         [](auto done) { apiClient.sendMail("13800000000", "r", "t", "register", done); },
         "POST",
         "api/mail",
         {{"username", "13800000000"}, {"randstr", "r"}, {"ticket", "t"}, {"type", "register"}}},
        {"register",
         [](auto done) { apiClient.register_("13800000000", "pw", "1234", done); },
         "POST",
         "api/register",
         {{"username", "13800000000"}, {"password", "pw"}, {"code", "1234"}}},
        {"forgotPwd",
         [](auto done) { apiClient.forgotPwd("13800000000", "pw", "1234", done); },
         "POST",
         "api/forgotPwd",
         {{"username", "13800000000"}, {"password", "pw"}, {"code", "1234"}}},
        {"setNickName",
         [](auto done) { apiClient.setNickName("小明", done); },
         "POST",
         "api/setNickName",
         {{"nick_name", "小明"}}},
        {"feedback",
         [](auto done) { apiClient.feedback("1", "标题", "内容 & more", done); },
         "GET",
         "api/feedback",
         {{"type", "1"}, {"title", "标题"}, {"content", "内容 & more"}}},
        {"indexVodList",
         [](auto done) { apiClient.indexVodList(3, "2", "15", done); },
         "POST",
         "api/indexVodList",
         {{"page", "3"}, {"type_id", "2"}, {"pageSize", "15"}}},
        {"indexVodRecList",
         [](auto done) { apiClient.indexVodRecList(1, "4", "15", done); },
         "POST",
         "api/indexVodRecList",
         {{"page", "1"}, {"type_id", "4"}, {"pageSize", "15"}}},
        {"searchText",
         [](auto done) { apiClient.searchText("斗罗", done); },
         "POST",
         "api/searchText",
         {{"keyword", "斗罗"}}},
        {"searchList",
         [](auto done) { apiClient.searchList(2, "斗罗", "15", done); },
         "POST",
         "api/searchList",
         {{"page", "2"}, {"keyword", "斗罗"}, {"pageSize", "15"}}},
        {"themeList",
         [](auto done) { apiClient.themeList(1, "15", done); },
         "POST",
         "api/themeList",
         {{"page", "1"}, {"pageSize", "15"}}},
        {"themeInfo",
         [](auto done) { apiClient.themeInfo(1, "9", "15", done); },
         "POST",
         "api/themeInfo",
         {{"page", "1"}, {"topic_id", "9"}, {"pageSize", "15"}}},
        {"vodResourceList",
         [](auto done) { apiClient.vodResourceList("12", done); },
         "POST",
         "api/vodResourceList",
         {{"vod_id", "12"}}},
        {"getVideoInfo",
         [](auto done) { apiClient.getVideoInfo("12", "douban", done); },
         "GET",
         "api/getVideoInfo",
         {{"vod_id", "12"}, {"type", "douban"}}},
        {"getVideoList",
         [](auto done) { apiClient.getVideoList("12", "m3u8", done); },
         "POST",
         "api/getVideoList",
         {{"vod_id", "12"}, {"type", "m3u8"}}},
        {"collectionState",
         [](auto done) { apiClient.collectionState("12", true, done); },
         "POST",
         "api/collectionState",
         {{"vod_id", "12"}, {"state", "1"}}},
        {"videoDisplay",
         [](auto done) { apiClient.videoDisplay(2, done); },
         "GET",
         "api/v1/video/display",
         {{"page", "2"}, {"num", "16"}},
         2},
    };
    for (const auto& expected : table) {
        check(expected);
    }
}

TEST_F(EndpointTest, OptionalParametersAreLeftOutWhenEmptyOrNotGiven) {
    check({"getVideoInfo without type",
           [](auto done) { apiClient.getVideoInfo("12", "", done); },
           "GET",
           "api/getVideoInfo",
           {{"vod_id", "12"}}});
    check({"collectionState false",
           [](auto done) { apiClient.collectionState("12", false, done); },
           "POST",
           "api/collectionState",
           {{"vod_id", "12"}, {"state", "0"}}});
    check({"vodList with an empty area and no language",
           [](auto done) { apiClient.vodList(1, "", "15", "", std::nullopt, "2024", "动作", done); },
           "POST",
           "api/vodList",
           {{"page", "1"}, {"type_id", ""}, {"pageSize", "15"}, {"year", "2024"}, {"class", "动作"}}});
    check({"vodList without a type",
           [](auto done) {
               apiClient.vodList(2, std::nullopt, "15", "大陆", "国语", std::nullopt, std::nullopt, done);
           },
           "POST",
           "api/vodList",
           {{"page", "2"}, {"pageSize", "15"}, {"area", "大陆"}, {"lang", "国语"}}});
}

// The form encoding leaves "?" and "/" of a query value as they are (RFC 3986 allows them
// there): the service reads such a request like any other and sees the exact texts.
TEST_F(EndpointTest, AQueryWithQuestionMarksAndSlashesIsAnsweredLikeAnyOther) {
    check({"feedback",
           [](auto done) { apiClient.feedback("1", "为什么?/why?", "a/b?c=d?e & f/?", done); },
           "GET",
           "api/feedback",
           {{"type", "1"}, {"title", "为什么?/why?"}, {"content", "a/b?c=d?e & f/?"}}});
    const Answer answer = await([](auto done) { apiClient.feedback("1", "?", "//??", done); });
    EXPECT_FALSE(answer.error.has_value()) << answer.error->domain << " " << answer.error->code;
}
