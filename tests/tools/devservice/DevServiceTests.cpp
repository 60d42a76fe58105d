#include "tests/tools/devservice/RawClient.h"

#include "app/Crypto/MIUAES.h"
#include "platform/Foundation/AtomicFile.h"
#include "tests/support/TestSupport.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

using devservicetest::dnsQuery;
using devservicetest::fetch;
using devservicetest::Reply;
using devservicetest::RequestOptions;
using devservicetest::ServiceFixture;
using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kMember = "13800138000";

std::string token(ServiceFixture& fixture) {
    const Json user = fixture.api("POST", "api/touristLogin", {{"id", "0"}});
    return user["payload"].value("token", "");
}

// Passes the captcha, has a code sent for `type` and answers the code.
std::string smsCode(ServiceFixture& fixture, const std::string& number, const std::string& type) {
    const auto ticket = fixture.service().solveCaptcha();
    const Json sent = fixture.api(
        "POST", "api/mail",
        {{"username", number}, {"randstr", ticket.randstr}, {"ticket", ticket.ticket}, {"type", type}});
    EXPECT_EQ(sent["code"], 20000) << sent.dump();
    return fixture.service().lastSmsCode(number).value_or("");
}

Json registerMember(ServiceFixture& fixture, const std::string& number, const std::string& password) {
    const std::string code = smsCode(fixture, number, "register");
    return fixture.api("POST", "api/register",
                       {{"username", number}, {"password", password}, {"code", code}});
}

RequestOptions trusted(ServiceFixture& fixture) {
    RequestOptions options;
    options.caFile = fixture.service().caFile().string();
    options.resolve = fixture.resolveEntries();
    return options;
}

std::string base64Url(const std::string& bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    std::uint32_t bits = 0;
    int count = 0;
    for (const unsigned char c : bytes) {
        bits = (bits << 8) | c;
        count += 8;
        while (count >= 6) {
            count -= 6;
            text += digits[(bits >> count) & 63];
        }
    }
    if (count > 0) {
        text += digits[(bits << (6 - count)) & 63];
    }
    return text;
}

unsigned bigEndian32(const std::string& bytes, std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
}

} // namespace

TEST(DevServiceTls, VerifiesWithItsAuthorityForEveryServiceName) {
    ServiceFixture fixture;
    const std::string port = std::to_string(fixture.service().port1());
    for (const std::string host :
         {"api.orvex.test", "dns.orvex.test", "media.orvex.test", "localhost", "127.0.0.1"}) {
        const Reply reply =
            fetch("https://" + host + ":" + port + "/images/poster/1001.png", trusted(fixture));
        EXPECT_EQ(reply.curlCode, CURLE_OK) << host;
        EXPECT_EQ(reply.status, 200) << host;
    }
    RequestOptions provider = trusted(fixture);
    provider.resolve.push_back("captcha.orvex.test:" + port + ":127.0.0.1");
    EXPECT_EQ(fetch("https://captcha.orvex.test:" + port + "/widget/slider.js", provider).curlCode, CURLE_OK);
    const Reply second = fetch("https://api.orvex.test:" + std::to_string(fixture.service().port2()) +
                                   "/images/poster/1001.png",
                               trusted(fixture));
    EXPECT_EQ(second.curlCode, CURLE_OK);

    RequestOptions otherName = trusted(fixture);
    otherName.resolve.push_back("other.orvex.test:" + port + ":127.0.0.1");
    EXPECT_EQ(fetch("https://other.orvex.test:" + port + "/", otherName).curlCode,
              CURLE_PEER_FAILED_VERIFICATION);
    RequestOptions systemStore = trusted(fixture);
    systemStore.caFile.clear();
    EXPECT_EQ(fetch("https://api.orvex.test:" + port + "/", systemStore).curlCode,
              CURLE_PEER_FAILED_VERIFICATION);
}

TEST(DevServiceTls, KeepsItsAuthorityAcrossRestartsAndWritesTheClientConfiguration) {
    const auto dataDir = testsupport::freshFolder("restart");
    DevService::Options options;
    options.dataDir = dataDir;
    options.mediaDir = testsupport::sharedMediaDir();
    std::string firstAuthority;
    {
        DevService service(options);
        ASSERT_TRUE(service.start()) << service.lastError();
        firstAuthority = readWholeFile(service.caFile()).value_or("");
        service.writeClientConfiguration(dataDir / "client" / "service.json");
        const Json configuration =
            Json::parse(readWholeFile(dataDir / "client" / "service.json").value_or("{}"));
        EXPECT_EQ(configuration["baseURL1"],
                  "https://api.orvex.test:" + std::to_string(service.port1()) + "/");
        EXPECT_EQ(configuration["baseURL2"],
                  "https://api.orvex.test:" + std::to_string(service.port2()) + "/");
        EXPECT_EQ(configuration["dohURL"],
                  "https://dns.orvex.test:" + std::to_string(service.port1()) + "/dns-query");
        EXPECT_EQ(configuration["dohAddress"], "127.0.0.1");
        EXPECT_EQ(configuration["caFile"], std::filesystem::absolute(service.caFile()).string());
    }
    DevService again(options);
    ASSERT_TRUE(again.start()) << again.lastError();
    EXPECT_FALSE(firstAuthority.empty());
    EXPECT_EQ(readWholeFile(again.caFile()).value_or(""), firstAuthority);
}

TEST(DevServiceTls, RefusesToStartOnStateItCannotRead) {
    const auto dataDir = testsupport::freshFolder("broken");
    ASSERT_TRUE(writeFileAtomically(dataDir / "users.json", R"({"users":[{"id":"not a number"}]})"));
    DevService::Options options;
    options.dataDir = dataDir;
    options.mediaDir = testsupport::sharedMediaDir();
    DevService service(options);
    EXPECT_FALSE(service.start());
    EXPECT_NE(service.lastError().find("users.json"), std::string::npos) << service.lastError();
    EXPECT_EQ(service.port1(), 0);
}

TEST(DevServiceDoh, AnswersWireQueriesOverPostAndGet) {
    ServiceFixture fixture;
    const std::string url =
        "https://dns.orvex.test:" + std::to_string(fixture.service().port2()) + "/dns-query";
    RequestOptions post = trusted(fixture);
    post.method = "POST";
    post.body = dnsQuery("api.orvex.test", 1, 0);
    post.headers = {"Content-Type: application/dns-message", "Accept: application/dns-message"};
    const Reply answer = fetch(url, post);
    ASSERT_EQ(answer.status, 200);
    EXPECT_EQ(answer.header("content-type"), "application/dns-message");
    ASSERT_GE(answer.body.size(), post.body.size() + 16);
    EXPECT_EQ(answer.body[3] & 0x0F, 0) << "NOERROR";
    EXPECT_EQ(answer.body[7], 1) << "one answer";
    const std::size_t record = post.body.size();
    EXPECT_EQ(answer.body.substr(record, 2), "\xC0\x0C");
    EXPECT_EQ(bigEndian32(answer.body, record + 6), 60u) << "TTL";
    EXPECT_EQ(answer.body.substr(record + 12, 4), std::string("\x7F\x00\x00\x01", 4));

    const Reply unknown = fetch(url + "?dns=" + base64Url(dnsQuery("example.com", 1, 7)), trusted(fixture));
    ASSERT_EQ(unknown.status, 200);
    EXPECT_EQ(unknown.body[3] & 0x0F, 3) << "NXDOMAIN";
    EXPECT_EQ(unknown.body.substr(0, 2), std::string("\x00\x07", 2));

    EXPECT_EQ(fetch(url + "?dns=AAAA", trusted(fixture)).status, 400);
    EXPECT_EQ(fetch(url, trusted(fixture)).status, 400);

    // Answered queries are counted by name, in the canonical form; refused ones are not.
    EXPECT_EQ(fixture.service().resolverQueries("api.orvex.test"), 1u);
    EXPECT_EQ(fixture.service().resolverQueries("example.com"), 1u);
    EXPECT_EQ(fixture.service().resolverQueries("media.orvex.test"), 0u);
    post.body = dnsQuery("MEDIA.Orvex.Test", 28, 0);
    ASSERT_EQ(fetch(url, post).status, 200);
    EXPECT_EQ(fixture.service().resolverQueries("media.orvex.test"), 1u);
}

TEST(DevServiceDoh, LibcurlResolvesTheServiceNamesThroughIt) {
    ServiceFixture fixture;
    const std::string port = std::to_string(fixture.service().port1());
    RequestOptions options;
    options.caFile = fixture.service().caFile().string();
    options.resolve = {"dns.orvex.test:" + port + ":127.0.0.1"};
    options.dohUrl = "https://dns.orvex.test:" + port + "/dns-query";
    const Reply reply = fetch("https://media.orvex.test:" + port + "/images/cover/1.png", options);
    EXPECT_EQ(reply.curlCode, CURLE_OK);
    EXPECT_EQ(reply.status, 200);
    const auto requests = fixture.service().requests();
    EXPECT_TRUE(
        std::any_of(requests.begin(), requests.end(), [](const auto& r) { return r.path == "/dns-query"; }));
}

TEST(DevServiceApi, SignedRequestsGetEncryptedPayloadsInTheShapesTheScreensRead) {
    ServiceFixture fixture;
    const std::string origin = "https://media.orvex.test:" + std::to_string(fixture.service().port1());

    const Json labels = fixture.api("GET", "api/indexLabelList");
    ASSERT_EQ(labels["code"], 20000) << labels.dump();
    EXPECT_EQ(labels["payload"][0]["type_name"], "推荐");
    EXPECT_TRUE(labels["payload"][1]["type_id"].is_number());

    const Json detail = fixture.api("GET", "api/getVideoInfo", {{"vod_id", "1001"}});
    const Json& video = detail["payload"];
    EXPECT_EQ(video["vod_id"], "1001");
    EXPECT_EQ(video["vod_pic"], origin + "/images/poster/1001.png");
    EXPECT_EQ(video["is_collection"], false);
    for (const char* key : {"vod_name", "vod_douban_score", "actor", "director", "area", "year", "blurb",
                            "pubdate", "className"}) {
        EXPECT_TRUE(video[key].is_string()) << key;
    }
    ASSERT_FALSE(video["list"].empty());
    const std::string type = video["list"][0]["type"];
    EXPECT_TRUE(video["list"][0]["vod_url"].is_string());
    EXPECT_TRUE(video["list"][0]["name"].is_string());

    const Json episodes = fixture.api("POST", "api/getVideoList", {{"vod_id", "1001"}, {"type", type}});
    ASSERT_TRUE(episodes["payload"].is_array());
    EXPECT_EQ(episodes["payload"][0]["src"], video["list"][0]["vod_url"]);
    EXPECT_TRUE(episodes["payload"][0]["item"].is_string());

    const Json resources = fixture.api("POST", "api/vodResourceList", {{"vod_id", "1001"}});
    ASSERT_EQ(resources["payload"].size(), video["list"].size());
    for (const char* key : {"vod_name", "vodTypeName", "typeName", "vod_id", "type"}) {
        EXPECT_TRUE(resources["payload"][0][key].is_string()) << key;
    }

    const Json home = fixture.api("GET", "api/indexList");
    for (const char* key : {"rec", "banner", "recList"}) {
        EXPECT_TRUE(home["payload"][key].is_array()) << key;
    }
    EXPECT_TRUE(home["payload"]["banner"][0]["req_type"].is_number());

    const Json shorts = fixture.api("GET", "api/v1/video/display", {{"page", "1"}, {"num", "16"}}, "", 2);
    ASSERT_EQ(shorts["payload"]["list"].size(), 16u);
    EXPECT_TRUE(
        shorts["payload"]["list"][0]["play_addr"].get<std::string>().starts_with(origin + "/media/short/"));

    const Json tags = fixture.api("GET", "api/tagList");
    EXPECT_TRUE(tags["payload"][0]["type_id"].is_string());
    const Json library = fixture.api(
        "POST", "api/vodList",
        {{"page", "1"}, {"type_id", "1"}, {"pageSize", "15"}, {"class", tags["payload"][0]["class"][0]}});
    EXPECT_EQ(library["payload"].size(), 15u);

    const std::string name = video["vod_name"];
    const Json results =
        fixture.api("POST", "api/searchList", {{"page", "1"}, {"keyword", name}, {"pageSize", "15"}});
    EXPECT_EQ(results["payload"][0]["vod_id"], "1001");
    const Json beyond =
        fixture.api("POST", "api/searchList", {{"page", "2"}, {"keyword", name}, {"pageSize", "15"}});
    EXPECT_EQ(beyond["code"], 20000);
    EXPECT_TRUE(beyond["payload"].empty());

    const Json empty = fixture.api("POST", "api/getAdvertInfo", {{"position", "12"}});
    EXPECT_EQ(empty["payload"], Json::array());
    const Json missing = fixture.api("GET", "api/getVideoInfo", {{"vod_id", "9"}});
    EXPECT_EQ(missing["code"], 40004);
    EXPECT_EQ(missing["message"], "视频不存在");
    EXPECT_EQ(missing["data"], "");
}

TEST(DevServiceApi, RefusesBadSignaturesTimestampsMethodsAndBaseUrls) {
    ServiceFixture fixture;
    RequestOptions post = trusted(fixture);
    post.method = "POST";
    post.headers = {"Content-Type: application/x-www-form-urlencoded"};
    const auto envelopeOf = [&](const std::string& url, RequestOptions options) {
        return fixture.envelope(fetch(url, options));
    };

    auto parameters = devservicetest::signedParameters({{"position", "7"}});
    parameters["position"] = "8";
    post.body = devservicetest::formText(parameters);
    EXPECT_EQ(envelopeOf(fixture.apiUrl("api/getAdvertInfo"), post)["code"], 40002)
        << "signed over other values";

    parameters = devservicetest::signedParameters({{"position", "7"}});
    parameters.erase("sign");
    post.body = devservicetest::formText(parameters);
    EXPECT_EQ(envelopeOf(fixture.apiUrl("api/getAdvertInfo"), post)["code"], 40002);

    parameters = devservicetest::signedParameters({{"position", "7"}});
    parameters.erase("timestamp");
    post.body = devservicetest::formText(parameters);
    EXPECT_EQ(envelopeOf(fixture.apiUrl("api/getAdvertInfo"), post)["code"], 40001);

    post.body.clear();
    const Json inQuery =
        envelopeOf(fixture.apiUrl("api/getAdvertInfo") + "?" +
                       devservicetest::formText(devservicetest::signedParameters({{"position", "7"}})),
                   post);
    EXPECT_EQ(inQuery["code"], 40001) << "a POST carries its form in the body";

    const Reply wrongMethod = fixture.call("POST", "api/indexList", {});
    EXPECT_EQ(wrongMethod.status, 405);
    EXPECT_EQ(fixture.envelope(wrongMethod)["code"], 40500);
    const Reply displayOnFirst =
        fixture.call("GET", "api/v1/video/display", {{"page", "1"}, {"num", "16"}}, "", 1);
    EXPECT_EQ(displayOnFirst.status, 404);
    const Reply labelsOnSecond = fixture.call("GET", "api/indexLabelList", {}, "", 2);
    EXPECT_EQ(labelsOnSecond.status, 404);
    EXPECT_EQ(fixture.envelope(fixture.call("GET", "api/nothing", {}))["code"], 40400);

    const Json badPage = fixture.api("POST", "api/themeList", {{"page", "0"}, {"pageSize", "15"}});
    EXPECT_EQ(badPage["code"], 40001);
}

TEST(DevServiceAccounts, TouristRegistrationSignInAndPasswordReset) {
    ServiceFixture fixture;
    const Json tourist = fixture.api("POST", "api/touristLogin", {{"id", "0"}});
    ASSERT_EQ(tourist["code"], 20000);
    for (const char* key : {"id", "expires_in", "group_id", "nick_name", "phone", "portrait", "token",
                            "token_type", "username"}) {
        EXPECT_TRUE(tourist["payload"].contains(key)) << key;
    }
    EXPECT_EQ(tourist["payload"]["group_id"], "1");
    EXPECT_EQ(tourist["payload"]["token_type"], "Bearer");
    const std::string touristToken = tourist["payload"]["token"];
    EXPECT_EQ(fixture.api("POST", "api/collectionState", {{"vod_id", "1001"}, {"state", "1"}},
                          touristToken)["code"],
              40003);

    const Json noCaptcha = fixture.api(
        "POST", "api/mail", {{"username", kMember}, {"randstr", "x"}, {"ticket", "y"}, {"type", "register"}});
    EXPECT_EQ(noCaptcha["code"], 40012);
    EXPECT_EQ(fixture.api("POST", "api/mail", {{"username", "12345"}, {"type", "register"}})["code"], 40010);

    const std::string code = smsCode(fixture, kMember, "register");
    ASSERT_EQ(code.size(), 6u);
    const auto lines = fixture.logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string("SMS code for ") + kMember + ": " + code),
              lines.end());
    EXPECT_EQ(fixture.api("POST", "api/register",
                          {{"username", kMember},
                           {"password", "secret1"},
                           {"code", code == "000000" ? "000001" : "000000"}})["code"],
              40011);
    const Json member =
        fixture.api("POST", "api/register", {{"username", kMember}, {"password", "secret1"}, {"code", code}});
    ASSERT_EQ(member["code"], 20000) << member.dump();
    EXPECT_EQ(member["payload"]["group_id"], "2");
    EXPECT_EQ(member["payload"]["username"], kMember);
    EXPECT_EQ(member["payload"]["phone"], "138****8000");
    EXPECT_EQ(fixture.api("POST", "api/register",
                          {{"username", kMember}, {"password", "secret1"}, {"code", code}})["code"],
              40010)
        << "a number registers once";

    EXPECT_EQ(fixture.api("POST", "api/login", {{"username", kMember}, {"password", "wrong1"}})["code"],
              40010);
    const Json signedIn = fixture.api("POST", "api/login", {{"username", kMember}, {"password", "secret1"}});
    ASSERT_EQ(signedIn["code"], 20000);
    EXPECT_EQ(signedIn["payload"]["id"], member["payload"]["id"]);
    EXPECT_NE(signedIn["payload"]["token"], member["payload"]["token"]);

    const std::string loginCode = smsCode(fixture, kMember, "loginMailCode");
    EXPECT_EQ(fixture.api("POST", "api/loginMailCode", {{"username", kMember}, {"code", loginCode}})["code"],
              20000);
    EXPECT_EQ(fixture.api("POST", "api/loginMailCode", {{"username", kMember}, {"code", loginCode}})["code"],
              40011)
        << "a code is used once";

    const std::string resetCode = smsCode(fixture, kMember, "forgotPwd");
    const Json reset = fixture.api("POST", "api/forgotPwd",
                                   {{"username", kMember}, {"password", "better2"}, {"code", resetCode}});
    EXPECT_EQ(reset["code"], 20000);
    EXPECT_EQ(fixture.api("POST", "api/login", {{"username", kMember}, {"password", "secret1"}})["code"],
              40010);
    EXPECT_EQ(fixture.api("POST", "api/login", {{"username", kMember}, {"password", "better2"}})["code"],
              20000);
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList", {}, signedIn["payload"]["token"])["code"], 70002)
        << "a new password signs every device out";
}

TEST(DevServiceAccounts, FavouritesNicknameLogoutAndExpiredTokens) {
    ServiceFixture fixture;
    const Json member = registerMember(fixture, kMember, "secret1");
    const std::string memberToken = member["payload"]["token"];
    const std::string memberId = member["payload"]["id"].dump();

    EXPECT_EQ(
        fixture.api("POST", "api/collectionState", {{"vod_id", "1002"}, {"state", "1"}}, memberToken)["code"],
        20000);
    EXPECT_EQ(
        fixture.api("GET", "api/getVideoInfo", {{"vod_id", "1002"}}, memberToken)["payload"]["is_collection"],
        true);
    EXPECT_EQ(fixture.api("GET", "api/getVideoInfo", {{"vod_id", "1002"}})["payload"]["is_collection"],
              false);
    const Json favourites = fixture.api("GET", "api/getCollectionList", {}, memberToken);
    ASSERT_EQ(favourites["payload"].size(), 1u);
    EXPECT_EQ(favourites["payload"][0]["vod_id"], "1002");
    EXPECT_EQ(
        fixture.api("POST", "api/collectionState", {{"vod_id", "1002"}, {"state", "0"}}, memberToken)["code"],
        20000);
    EXPECT_TRUE(fixture.api("GET", "api/getCollectionList", {}, memberToken)["payload"].empty());
    EXPECT_EQ(fixture.api("GET", "api/getCollectionList")["code"], 40003);

    EXPECT_EQ(fixture.api("POST", "api/setNickName", {{"nick_name", "  新名字 "}}, memberToken)["code"],
              20000);
    const Json refreshed = fixture.api("POST", "api/touristLogin", {{"id", memberId}}, memberToken);
    EXPECT_EQ(refreshed["payload"]["nick_name"], "新名字");
    EXPECT_EQ(refreshed["payload"]["group_id"], "2");

    fixture.service().expireToken(memberToken);
    const Json expired = fixture.api("GET", "api/indexLabelList", {}, memberToken);
    EXPECT_GE(expired["code"].get<int>(), 70001);
    EXPECT_LE(expired["code"].get<int>(), 79999);
    const Json renewed = fixture.api("POST", "api/touristLogin", {{"id", memberId}}, memberToken);
    EXPECT_EQ(renewed["payload"]["id"].dump(), memberId) << "the renewal keeps the member";
    const std::string renewedToken = renewed["payload"]["token"];
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList", {}, renewedToken)["code"], 20000);

    const Json stranger = fixture.api("POST", "api/touristLogin", {{"id", memberId}});
    EXPECT_EQ(stranger["payload"]["group_id"], "1") << "a member's id alone signs nobody in as that member";
    EXPECT_NE(stranger["payload"]["id"].dump(), memberId);

    EXPECT_EQ(fixture.api("POST", "api/logout", {}, renewedToken)["code"], 20000);
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList", {}, renewedToken)["code"], 70002);
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList", {}, "")["code"], 20000);

    const Json feedback =
        fixture.api("GET", "api/feedback",
                    {{"type", "播放问题"}, {"title", "卡顿"}, {"content", "第3集卡顿"}}, token(fixture));
    EXPECT_EQ(feedback["code"], 20000);
    EXPECT_EQ(fixture.api("GET", "api/feedback", {{"type", "其他"}, {"title", ""}, {"content", "x"}})["code"],
              40001);
}

TEST(DevServiceMedia, ParseAnswersPlayableMediaThatNeedsItsHeaders) {
    ServiceFixture fixture;
    ASSERT_TRUE(fixture.service().waitForMedia(300));
    const Json video = fixture.api("GET", "api/getVideoInfo", {{"vod_id", "1001"}})["payload"];
    std::string guarded;
    for (const auto& source : video["list"]) {
        if (source["type"] == "lzm3u8") {
            guarded = source["vod_url"];
        }
    }
    ASSERT_FALSE(guarded.empty());
    const Json parsed =
        fixture.api("POST", "api/getParse", {{"type", "lzm3u8"}, {"url", guarded}})["payload"];
    const std::string media = MIUAES::MIUAESDecrypt(parsed["url"].get<std::string>());
    EXPECT_TRUE(media.starts_with("https://media.orvex.test:" + std::to_string(fixture.service().port1()) +
                                  "/media/lzm3u8/1001/1/"))
        << media;
    std::vector<std::string> headers = {"User-Agent: " + parsed["user_agent"].get<std::string>()};
    for (const auto& header : parsed["headers"]) {
        headers.push_back(header["key"].get<std::string>() + ": " + header["val"].get<std::string>());
    }

    EXPECT_EQ(fetch(media, trusted(fixture)).status, 403);
    RequestOptions withHeaders = trusted(fixture);
    withHeaders.headers = headers;
    const Reply master = fetch(media, withHeaders);
    ASSERT_EQ(master.status, 200);
    EXPECT_TRUE(master.body.starts_with("#EXTM3U"));
    EXPECT_EQ(master.header("content-type"), "application/vnd.apple.mpegurl");
    const std::string variant = media.substr(0, media.rfind('/') + 1) + "v0/index.m3u8";
    const Reply playlist = fetch(variant, withHeaders);
    ASSERT_NE(playlist.body.find("seg000.ts"), std::string::npos);

    RequestOptions ranged = withHeaders;
    ranged.headers.push_back("Range: bytes=0-187");
    const std::string segment = media.substr(0, media.rfind('/') + 1) + "v0/seg000.ts";
    const Reply packet = fetch(segment, ranged);
    EXPECT_EQ(packet.status, 206);
    ASSERT_EQ(packet.body.size(), 188u);
    EXPECT_EQ(packet.body[0], 0x47) << "an MPEG-TS sync byte";
    const std::string total =
        packet.header("content-range").substr(packet.header("content-range").find('/') + 1);
    RequestOptions beyond = withHeaders;
    beyond.headers.push_back("Range: bytes=" + total + "-");
    const Reply unsatisfiable = fetch(segment, beyond);
    EXPECT_EQ(unsatisfiable.status, 416);
    EXPECT_EQ(unsatisfiable.header("content-range"), "bytes */" + total);
    EXPECT_EQ(fetch(media.substr(0, media.rfind('/') + 1) + "../../../../users.json", withHeaders).status,
              404);

    const Json plain = fixture.api("POST", "api/getVideoList", {{"vod_id", "1002"}, {"type", "hnm3u8"}});
    ASSERT_EQ(plain["code"], 20000);
    const Json openParse = fixture.api("POST", "api/getParse",
                                       {{"type", "hnm3u8"}, {"url", plain["payload"][0]["src"]}})["payload"];
    EXPECT_FALSE(openParse.contains("user_agent"));
    EXPECT_FALSE(openParse.contains("headers"));
    EXPECT_EQ(fetch(MIUAES::MIUAESDecrypt(openParse["url"].get<std::string>()), trusted(fixture)).status,
              200);

    const Json shorts = fixture.api("GET", "api/v1/video/display", {{"page", "1"}, {"num", "16"}}, "", 2);
    EXPECT_EQ(fetch(shorts["payload"]["list"][0]["play_addr"], trusted(fixture)).status, 200);

    EXPECT_EQ(fixture.api("POST", "api/getParse", {{"type", "lzm3u8"}, {"url", guarded + "9"}})["code"],
              40004);
}

TEST(DevServiceFaults, InjectedFaultsHitChosenPathsUntilCleared) {
    ServiceFixture fixture;
    fixture.service().setFault("api/indexList", {0, 502, std::string("<html>bad gateway</html>"), false, -1});
    const Reply broken = fixture.call("GET", "api/indexList", {});
    EXPECT_EQ(broken.status, 502);
    EXPECT_EQ(broken.body, "<html>bad gateway</html>");
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList")["code"], 20000) << "other paths are untouched";

    fixture.service().setFault("/api/indexLabelList", {0, std::nullopt, std::nullopt, true, 1});
    const Reply dropped = fixture.call("GET", "api/indexLabelList", {});
    EXPECT_NE(dropped.curlCode, CURLE_OK);
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList")["code"], 20000) << "a fault for one request hits once";

    fixture.service().setFault("images/*", {0.05, 404, std::nullopt, false, -1});
    EXPECT_EQ(fetch(fixture.apiUrl("images/poster/1001.png"), trusted(fixture)).status, 404);
    fixture.service().clearFaults();
    EXPECT_EQ(fetch(fixture.apiUrl("images/poster/1001.png"), trusted(fixture)).status, 200);
    EXPECT_EQ(fixture.call("GET", "api/indexList", {}).status, 200);

    fixture.service().setFault("api/getNotice", {0.05, std::nullopt, std::nullopt, false, -1});
    EXPECT_EQ(fixture.api("POST", "api/getNotice")["code"], 20000) << "a delay alone still answers";
    fixture.service().clearFault("api/getNotice");
}

TEST(DevServiceFaults, TheSamePageFaultAnswersTheShortVideosFirstItemsEveryTime) {
    ServiceFixture fixture;
    const auto page = [&] {
        const Json answer = fixture.api("GET", "api/v1/video/display", {{"page", "1"}, {"num", "16"}}, "",
                                        2)["payload"]["list"];
        std::vector<std::string> vids;
        for (const auto& item : answer) {
            vids.push_back(item["vid"].get<std::string>());
        }
        return vids;
    };
    // Unhurt, page 1 goes on where its previous answer ended.
    const auto first = page();
    ASSERT_EQ(first.size(), 16u);
    EXPECT_NE(page().front(), first.front());

    fixture.service().setFault("api/v1/video/display", {.times = 2, .samePage = true});
    EXPECT_EQ(page(), first);
    EXPECT_EQ(page(), first) << "the same items again";
    EXPECT_NE(page(), first) << "the fault hits only the requests it was set for";
}

TEST(DevServiceFaults, AHeldRequestIsAnsweredOnlyOnceReleased) {
    ServiceFixture fixture;
    fixture.service().clearRequests();
    fixture.service().setFault("api/getParse",
                               {.status = 200, .rawBody = std::string("{\"code\":40004}"), .held = true});
    std::atomic<bool> answered{false};
    Reply reply;
    std::thread caller([&] {
        reply = fixture.call("POST", "api/getParse", {{"url", "x"}});
        answered = true;
    });
    for (int wait = 0; wait < 6000 && fixture.service().requests().empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(fixture.service().requests().size(), 1u);
    EXPECT_EQ(fixture.api("GET", "api/indexLabelList")["code"], 20000) << "other paths are untouched";
    EXPECT_FALSE(answered) << "held";
    fixture.service().releaseHeldRequests();
    caller.join();
    EXPECT_EQ(reply.body, "{\"code\":40004}");
    EXPECT_EQ(fixture.call("POST", "api/getParse", {{"url", "x"}}).body, "{\"code\":40004}")
        << "the fault still answers, no longer held";
}

// A client keeps many connections busy at once (a player's segments, a page's posters, the
// name lookups, the API): a connection past any fixed number is served all the same, not
// left waiting until a busy one ends.
TEST(DevServiceConnections, EveryConnectionIsServedHoweverManyOthersAreBusy) {
    constexpr std::size_t kBusy = 40;
    ServiceFixture fixture;
    fixture.service().clearRequests();
    fixture.service().setFault("api/getParse", {.status = 200, .rawBody = std::string("{}"), .held = true});
    std::vector<std::thread> callers;
    for (std::size_t i = 0; i < kBusy; ++i) {
        callers.emplace_back([&fixture] { fixture.call("POST", "api/getParse", {{"url", "x"}}); });
    }
    for (int wait = 0; wait < 6000 && fixture.service().requests().size() < kBusy; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::size_t arrived = fixture.service().requests().size();
    const int otherCode = arrived == kBusy ? fixture.api("GET", "api/indexLabelList").value("code", 0) : 0;
    fixture.service().releaseHeldRequests();
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(arrived, kBusy) << "every busy connection reached the service";
    EXPECT_EQ(otherCode, 20000) << "a further connection is answered while they are busy";
}

TEST(DevServiceLog, RecordsEveryRequestWithItsPortMethodHeadersAndParameters) {
    ServiceFixture fixture;
    fixture.service().clearRequests();
    fixture.call("GET", "api/v1/video/display", {{"page", "1"}, {"num", "16"}}, "abc", 2);
    fixture.call("POST", "api/searchText", {{"keyword", "星河"}});
    const auto requests = fixture.service().requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].port, fixture.service().port2());
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/api/v1/video/display");
    EXPECT_EQ(requests[0].header("authorization"), "Bearer abc");
    EXPECT_EQ(requests[0].parameters.at("num"), "16");
    EXPECT_EQ(requests[0].parameters.count("sign"), 1u);
    EXPECT_EQ(requests[1].port, fixture.service().port1());
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].parameters.at("keyword"), "星河");
    EXPECT_EQ(requests[1].header("Accept"), "application/prs.Orvex.v2+json");
}

TEST(DevServiceImages, ServesGeneratedPictures) {
    ServiceFixture fixture;
    const Reply poster = fetch(fixture.apiUrl("images/poster/1001.png"), trusted(fixture));
    ASSERT_EQ(poster.status, 200);
    EXPECT_EQ(poster.header("content-type"), "image/png");
    ASSERT_GT(poster.body.size(), 24u);
    EXPECT_EQ(poster.body.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(bigEndian32(poster.body, 16), 300u);
    EXPECT_EQ(bigEndian32(poster.body, 20), 420u);
    EXPECT_EQ(fetch(fixture.apiUrl("images/poster/1001.png"), trusted(fixture)).body, poster.body);
    EXPECT_NE(fetch(fixture.apiUrl("images/poster/1002.png"), trusted(fixture)).body, poster.body);
    EXPECT_EQ(fetch(fixture.apiUrl("images/nothing/1.png"), trusted(fixture)).status, 404);
    EXPECT_EQ(fetch(fixture.apiUrl("down/qrcode.png"), trusted(fixture)).status, 200);
}

TEST(DevServiceCaptcha, ThePageLoadsItsWidgetAndTicketsFromTheProvidersHost) {
    ServiceFixture fixture;
    const std::string provider = "https://captcha.orvex.test:" + std::to_string(fixture.service().port1());
    RequestOptions options = trusted(fixture);
    options.resolve.push_back("captcha.orvex.test:" + std::to_string(fixture.service().port1()) +
                              ":127.0.0.1");

    const Reply page = fetch(fixture.apiUrl("captcha"), options);
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("jsIOS"), std::string::npos);
    EXPECT_NE(page.body.find("<script src=\"" + provider + "/widget/slider.js\">"), std::string::npos);
    // The provider's host serves the widget and nothing of the service; the service's host
    // does not serve the widget.
    const Reply widget = fetch(provider + "/widget/slider.js", options);
    EXPECT_EQ(widget.status, 200);
    EXPECT_EQ(widget.header("content-type"), "text/javascript; charset=utf-8");
    EXPECT_EQ(fetch(fixture.apiUrl("widget/slider.js"), options).status, 404);
    EXPECT_EQ(fetch(provider + "/captcha", options).status, 404);

    // Tickets go to pages of the service's own sites only, shared with that page's origin.
    RequestOptions ask = options;
    ask.method = "POST";
    EXPECT_EQ(fetch(provider + "/widget/verify", ask).status, 403);
    ask.headers = {"Origin: https://elsewhere.example"};
    EXPECT_EQ(fetch(provider + "/widget/verify", ask).status, 403);
    const std::string site = "https://api.orvex.test:" + std::to_string(fixture.service().port1());
    ask.headers = {"Origin: " + site};
    const Reply verified = fetch(provider + "/widget/verify", ask);
    ASSERT_EQ(verified.status, 200);
    EXPECT_EQ(verified.header("access-control-allow-origin"), site);
    const Json ticket = Json::parse(verified.body);
    EXPECT_EQ(ticket["ret"], 0);
    const auto mail = [&] {
        return fixture.api("POST", "api/mail",
                           {{"username", kMember},
                            {"randstr", ticket.value("randstr", "")},
                            {"ticket", ticket.value("ticket", "")},
                            {"type", "register"}});
    };
    const Json sent = mail();
    EXPECT_EQ(sent["code"], 20000) << sent.dump();
    EXPECT_EQ(sent["data"], "");
    EXPECT_EQ(mail()["code"], 40012) << "each ticket is taken once";
}
