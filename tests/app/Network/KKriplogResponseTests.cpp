// What callers receive from the client: envelopes, decryption, errors, toasts and the
// renewal of an expired login.

#include "app/Crypto/MIUAES.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/QMUIKit/QMUITips.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <set>

using namespace networktest;

namespace {

constexpr const char* path = "api/getVideoInfo";

class ResponseTest : public ServiceTest {
  protected:
    Answer get() {
        return await([](auto done) {
            apiClient.sendRequest(HTTPMethod::get, path, {{"vod_id", "1"}}, done);
        });
    }

    std::vector<std::string> errorToasts() const {
        std::vector<std::string> texts;
        for (const auto& tip : QMUITips::shownTips()) {
            if (tip.kind == QMUITips::Kind::error) {
                texts.push_back(tip.text);
            }
        }
        return texts;
    }

    std::vector<devservice::RecordedRequest> renewals() const {
        auto requests = apiRequests();
        std::erase_if(requests, [](const auto& request) { return request.path != "/api/touristLogin"; });
        return requests;
    }

    // Error toasts in the order they were shown, also those that a later answer (a renewal's,
    // which may arrive in the same turn of the main loop) has hidden again.
    std::vector<std::string> errorToastsShown;
    void recordErrorToasts() {
        QMUITips::setChangeHandler([this] {
            for (const auto& tip : QMUITips::shownTips()) {
                if (tip.kind == QMUITips::Kind::error && seenTips_.insert(tip.identifier).second) {
                    errorToastsShown.push_back(tip.text);
                }
            }
        });
    }
    void TearDown() override {
        QMUITips::setChangeHandler(nullptr);
        ServiceTest::TearDown();
    }

    // Runs until the renewal has ended (or none was started).
    void settleRenewal() {
        EXPECT_TRUE(RunLoop::main().runUntil([] { return !apiClient.isRenewingLogin(); }, 60));
    }

  private:
    std::set<std::uint64_t> seenTips_;
};

} // namespace

TEST_F(ResponseTest, SuccessHandsOnTheDecryptedPayload) {
    answer(path, envelope(20000, "ok",
                          JSON(JSON::Storage(MIUAES::encryptPayload(R"({"vod_name":"视频"})"))).rawString()));
    ConsoleCapture console;
    const Answer answer = get();
    ASSERT_FALSE(answer.error.has_value());
    EXPECT_EQ((*answer.json)["vod_name"].stringValue(), "视频");
    // The answer and the decrypted path are logged, in that order, off the main thread.
    ASSERT_TRUE(console.waitFor(path, 10));
    const auto lines = console.lines();
    const auto logged = std::find(lines.begin(), lines.end(), path);
    ASSERT_NE(logged, lines.begin());
    EXPECT_NE((logged - 1)->find("\"code\":20000"), std::string::npos) << *(logged - 1);
    EXPECT_TRUE(errorToasts().empty());
}

TEST_F(ResponseTest, AnEmptyDataTextOrCleartextDataIsHandedOnAsItCame) {
    answer(path, envelope(20000, "", "\"\""));
    const Answer empty = get();
    ASSERT_FALSE(empty.error.has_value());
    EXPECT_EQ(empty.json->string(), "");

    answer(path, envelope(20000, "", R"({"a":[1,2]})"));
    const Answer object = get();
    ASSERT_FALSE(object.error.has_value());
    EXPECT_EQ(object.json->rawString(), R"({"a":[1,2]})");

    answer(path, R"({"code":"20000","message":"m"})");
    const Answer missing = get();
    ASSERT_FALSE(missing.error.has_value());
    EXPECT_FALSE(missing.json->exists());
}

TEST_F(ResponseTest, APayloadThatDoesNotDecryptToJSONIsAnError) {
    const auto encrypted = [](const std::string& plain) {
        return JSON(JSON::Storage(MIUAES::encryptPayload(plain))).rawString();
    };
    // Plain text that would be JSON but for a byte that is not UTF-8 is no JSON either.
    for (const std::string& data :
         {std::string("\"zz-not-hex\""), std::string("12345"), encrypted("not json"),
          encrypted("{\"a\":\"\xff\"}"), encrypted("[\"\xc3\"]"), encrypted("\"\xed\xa0\x80\"")}) {
        answer(path, envelope(20000, "ok", data));
        const Answer answer = get();
        EXPECT_FALSE(answer.json.has_value()) << data;
        EXPECT_EQ(answer.error, (NSError{"网络异常", 404})) << data;
    }
    EXPECT_TRUE(errorToasts().empty());
}

// However the envelope is written, the answer is read the same way: a key named twice
// counts with its last value, the success code may come as text or after the payload,
// and a payload that is an escaped text decrypts as the plain one does.
TEST_F(ResponseTest, EnvelopesAreReadAlikeWhateverTheirOrderSpellingOrRepeatedKeys) {
    const auto encrypted = [](const std::string& json) {
        return JSON(JSON::Storage(MIUAES::encryptPayload(json))).rawString();
    };
    answer(path, R"({"data":)" + encrypted(R"({"n":1})") + R"(,"message":"","code":20000})");
    const Answer reordered = get();
    ASSERT_TRUE(reordered.json.has_value());
    EXPECT_EQ((*reordered.json)["n"].intValue(), 1);

    answer(path, R"({"code":"20000","data":)" + encrypted(R"({"n":2})") + "}");
    const Answer textCode = get();
    ASSERT_TRUE(textCode.json.has_value());
    EXPECT_EQ((*textCode.json)["n"].intValue(), 2);

    answer(path, R"({"code":20000,"data":)" + encrypted(R"({"n":3})") + R"(,"data":)" +
                     encrypted(R"({"n":4})") + "}");
    const Answer twoPayloads = get();
    ASSERT_TRUE(twoPayloads.json.has_value());
    EXPECT_EQ((*twoPayloads.json)["n"].intValue(), 4);

    answer(path,
           R"({"code":20000,"message":"参数错误","data":)" + encrypted(R"({"n":5})") + R"(,"code":40004})");
    const Answer overruled = get();
    EXPECT_EQ(overruled.error, (NSError{"参数错误", 40004}));
    EXPECT_EQ(errorToasts(), (std::vector<std::string>{"参数错误"}));

    // Any character of the payload text may be written as a JSON escape.
    std::string escaped = encrypted(R"({"n":6})");
    char code[8];
    std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(escaped[1]));
    escaped.replace(1, 1, code);
    answer(path, R"({"code":20000,"data":)" + escaped + "}");
    const Answer unescaped = get();
    ASSERT_TRUE(unescaped.json.has_value());
    EXPECT_EQ((*unescaped.json)["n"].intValue(), 6);
}

TEST_F(ResponseTest, ServiceErrorsReachTheCallerAndTheUserUnlessTheVideoIsMissing) {
    answer(path, envelope(40004, "参数错误"));
    const Answer shown = get();
    EXPECT_EQ(shown.error, (NSError{"参数错误", 40004}));
    EXPECT_FALSE(shown.json.has_value());
    EXPECT_EQ(errorToasts(), (std::vector<std::string>{"参数错误"}));
    // Callers learn which errors the person has seen already.
    EXPECT_TRUE(KKriplog::showsErrorItself(*shown.error));

    answer(path, envelope(40404, "抱歉，该视频不存在或已下架"));
    const Answer missing = get();
    EXPECT_EQ(missing.error, (NSError{"抱歉，该视频不存在或已下架", 40404}));
    EXPECT_TRUE(errorToasts().empty()); // the earlier toast was hidden when this answer came
    EXPECT_FALSE(KKriplog::showsErrorItself(*missing.error));

    answer(path, envelope(50000, ""));
    EXPECT_EQ(get().error, (NSError{"", 50000}));
    EXPECT_TRUE(errorToasts().empty());
    EXPECT_FALSE(KKriplog::showsErrorItself(NSError{"", 50000}));

    // The HTTP status plays no part.
    answer(path, envelope(20000, "", R"({"x":1})"), 500);
    const Answer despiteStatus = get();
    ASSERT_FALSE(despiteStatus.error.has_value());
    EXPECT_EQ((*despiteStatus.json)["x"].intValue(), 1);
}

TEST_F(ResponseTest, RepliesThatAreNoEnvelopeOrNoJSONOrNothingAreErrorsWithoutToasts) {
    for (const char* fragment : {"[1,2]", "42", "\"text\""}) {
        answer(path, fragment);
        EXPECT_EQ(get().error, (NSError{"", 0})) << fragment;
    }
    answer(path, "<html>busy</html>");
    EXPECT_EQ(get().error, (NSError{"网络异常", 404}));
    answer(path, "", 204);
    EXPECT_EQ(get().error, (NSError{"网络异常", 404}));

    answer(path, "", 200);
    EXPECT_EQ(get().error, (NSError{"网络错误", 404}));
    devservice::Fault drop;
    drop.dropConnection = true;
    service().setFault(path, drop);
    const Answer dropped = get();
    EXPECT_EQ(dropped.error, (NSError{"网络错误", 404}));
    EXPECT_FALSE(dropped.json.has_value());
    EXPECT_TRUE(errorToasts().empty());
    EXPECT_FALSE(KKriplog::showsErrorItself(*dropped.error));
    EXPECT_FALSE(KKriplog::showsErrorItself(NSError{"网络异常", 404}));
}

TEST_F(ResponseTest, EveryAnswerHidesTheTipsThatWereShowing) {
    QMUITips::showLoadingInView(nullptr);
    QMUITips::showWithText("稍等");
    const Answer answer =
        await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexLabelList", {}, done); });
    EXPECT_FALSE(answer.error.has_value());
    EXPECT_TRUE(QMUITips::shownTips().empty());
}

TEST_F(ResponseTest, ExpiredLoginCodesRenewTheStoredUserAsTourist) {
    recordErrorToasts();
    for (const std::int64_t code : {70001, 79999}) {
        const JSON user = storeTourist();
        service().clearRequests();
        answer(path, envelope(code, "登录已过期"));
        errorToastsShown.clear();
        const Answer answer = get();
        EXPECT_EQ(answer.error, (NSError{"登录已过期", code}));
        settleRenewal();
        EXPECT_EQ(errorToastsShown, (std::vector<std::string>{"登录已过期"}));
        const auto sent = renewals();
        ASSERT_EQ(sent.size(), 1u) << code;
        EXPECT_EQ(sent[0].parameters.at("id"), user["id"].stringValue());
        EXPECT_EQ(sent[0].header("Authorization"), "Bearer " + user["token"].stringValue());
        const JSON stored = JSON::parse(UserDefaults::standard().stringForKey("login").value_or(""));
        EXPECT_EQ(stored["id"].stringValue(), user["id"].stringValue());
        EXPECT_NE(stored["token"].stringValue(), user["token"].stringValue());
        service().clearFaults();
    }
}

TEST_F(ResponseTest, OtherCodesAndAMissingUserStartNoRenewal) {
    for (const std::int64_t code : {70000, 80000}) {
        storeTourist();
        service().clearRequests();
        answer(path, envelope(code, "错误"));
        EXPECT_EQ(get().error, (NSError{"错误", code}));
        EXPECT_FALSE(apiClient.isRenewingLogin());
        EXPECT_TRUE(renewals().empty()) << code;
        service().clearFaults();
    }

    UserDefaults::standard().removeObject("login");
    service().clearRequests();
    answer(path, envelope(70001, ""));
    EXPECT_EQ(get().error, (NSError{"", 70001}));
    EXPECT_FALSE(apiClient.isRenewingLogin());
    EXPECT_TRUE(renewals().empty());
    EXPECT_TRUE(errorToasts().empty()); // an empty message shows nothing
}

TEST_F(ResponseTest, ARenewalThatIsRefusedDoesNotRenewItselfAgain) {
    const JSON user = storeTourist();
    const std::string storedBefore = UserDefaults::standard().stringForKey("login").value_or("");
    service().clearRequests();
    answer(path, envelope(70001, "登录已过期"));
    answer("api/touristLogin", envelope(70002, "登录信息无效"));
    EXPECT_EQ(get().error, (NSError{"登录已过期", 70001}));
    settleRenewal();
    EXPECT_EQ(renewals().size(), 1u);
    EXPECT_EQ(errorToasts(), (std::vector<std::string>{"登录信息无效"}));
    EXPECT_EQ(UserDefaults::standard().stringForKey("login"), storedBefore); // nothing stored on failure
}

TEST_F(ResponseTest, RequestsExpiringTogetherShareOneRenewal) {
    storeTourist();
    service().clearRequests();
    answer(path, envelope(70001, "登录已过期"));
    Answer first;
    Answer second;
    auto record = [](Answer& into) {
        return [&into](std::optional<JSON> json, std::optional<NSError> error) {
            into.json = std::move(json);
            into.error = std::move(error);
            ++into.calls;
        };
    };
    apiClient.sendRequest(HTTPMethod::get, path, {}, record(first));
    apiClient.sendRequest(HTTPMethod::get, path, {}, record(second));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return first.calls == 1 && second.calls == 1; }, 60));
    settleRenewal();
    EXPECT_EQ(renewals().size(), 1u);
    EXPECT_EQ(first.calls + second.calls, 2);
}

TEST_F(ResponseTest, AnExpiryForATokenAlreadyReplacedStartsNoRenewal) {
    storeTourist();
    service().clearRequests();
    answer(path, envelope(70001, "登录已过期"));
    Answer refused;
    apiClient.sendRequest(HTTPMethod::get, path, {},
                          [&](std::optional<JSON> json, std::optional<NSError> error) {
                              refused.json = std::move(json);
                              refused.error = std::move(error);
                              ++refused.calls;
                          });
    // The stored login changes while the request is on its way (as when another request's
    // renewal finishes first): the refusal concerns the old token only.
    UserDefaults::standard().setString("login", R"({"id":"9","group_id":"1","token":"newer"})");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return refused.calls == 1; }, 60));
    settleRenewal();
    ASSERT_TRUE(refused.error.has_value());
    EXPECT_EQ(refused.error->code, 70001);
    EXPECT_TRUE(renewals().empty());
}

TEST_F(ResponseTest, AnExpiredTokenIsRenewedByTheServiceAndTheNextRequestUsesTheNewOne) {
    const JSON user = storeTourist();
    service().expireToken(user["token"].stringValue());
    const Answer expired =
        await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexList", {}, done); });
    ASSERT_TRUE(expired.error.has_value());
    EXPECT_GE(expired.error->code, 70001);
    EXPECT_LE(expired.error->code, 79999);
    settleRenewal();

    const JSON renewed = JSON::parse(UserDefaults::standard().stringForKey("login").value_or(""));
    ASSERT_NE(renewed["token"].stringValue(), user["token"].stringValue());
    service().clearRequests();
    const Answer after =
        await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexList", {}, done); });
    EXPECT_FALSE(after.error.has_value());
    EXPECT_EQ(apiRequests().back().header("Authorization"), "Bearer " + renewed["token"].stringValue());
}

TEST_F(ResponseTest, AMemberWhoSignsInWhileARenewalIsUnderWayStaysSignedIn) {
    const JSON tourist = storeTourist();
    service().clearRequests();
    service().expireToken(tourist["token"].stringValue());
    // The renewal's answer is held back until the member has signed in.
    service().setFault("api/touristLogin", devservice::Fault{.delaySeconds = 0.5});
    Answer expired;
    apiClient.sendRequest(HTTPMethod::get, "api/indexList", {},
                          [&](std::optional<JSON> json, std::optional<NSError> error) {
                              expired.json = std::move(json);
                              expired.error = std::move(error);
                              ++expired.calls;
                          });
    ASSERT_TRUE(RunLoop::main().runUntil([] { return apiClient.isRenewingLogin(); }, 60));
    const std::string member = R"({"id":"77","group_id":"2","token":"member-token","nickname":"会员"})";
    apiClient.storeLoginJSON(JSON::parse(member), std::nullopt);
    const auto signedIn = UserDefaults::standard().stringForKey("login");
    settleRenewal();
    EXPECT_EQ(renewals().size(), 1u) << "the renewal did run";
    EXPECT_EQ(UserDefaults::standard().stringForKey("login"), signedIn);

    // Without a sign-in in between, the renewal's answer is stored as before.
    service().clearFaults();
    const JSON other = storeTourist();
    service().expireToken(other["token"].stringValue());
    await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexList", {}, done); });
    settleRenewal();
    const JSON renewed = JSON::parse(UserDefaults::standard().stringForKey("login").value_or(""));
    EXPECT_NE(renewed["token"].stringValue(), other["token"].stringValue());
    EXPECT_FALSE(renewed["token"].stringValue().empty());
}
