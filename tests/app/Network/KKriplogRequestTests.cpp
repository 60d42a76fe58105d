// What the service receives from the request builder: form fields, signature, headers,
// method and the base URL chosen by path.

#include "app/Crypto/MIUAES.h"
#include "platform/Foundation/UserDefaults.h"
#include "tests/app/Network/ServiceTestSupport.h"

#include <openssl/evp.h>

using namespace networktest;

namespace {

std::string md5Hex(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 0x0F];
    }
    return out;
}

constexpr const char* salt = "Lp5vRc2nMx8dJw3F";
constexpr const char* timestamp = "1800000000";

class RequestBuilderTest : public ServiceTest {
  protected:
    devservice::RecordedRequest sendOne(HTTPMethod method, const std::string& path,
                                        KKriplog::Parameters parameters) {
        service().clearRequests();
        await([&](auto done) { apiClient.sendRequest(method, path, parameters, done); });
        const auto requests = apiRequests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? devservice::RecordedRequest{} : requests.front();
    }
};

} // namespace

TEST_F(RequestBuilderTest, StampsAndSignsTheFormOverSortedKeysAndValues) {
    const auto sent = sendOne(HTTPMethod::post, "api/searchText", {{"b", "2"}, {"a", "1"}});
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.parameters,
              (devservice::FormParameters{{"a", "1"},
                                          {"b", "2"},
                                          {"sign", md5Hex(std::string("a1b2timestamp") + timestamp + salt)},
                                          {"timestamp", timestamp}}));

    // A caller's own timestamp is replaced before signing.
    const auto replaced =
        sendOne(HTTPMethod::post, "api/searchText", {{"timestamp", "5"}, {"keyword", "a b+c"}});
    EXPECT_EQ(replaced.parameters.at("timestamp"), timestamp);
    EXPECT_EQ(replaced.parameters.at("keyword"), "a b+c");
    EXPECT_EQ(replaced.parameters.at("sign"),
              md5Hex(std::string("keyworda b+ctimestamp") + timestamp + salt));

    // An empty map is signed over the timestamp alone, also in a GET query.
    const auto empty = sendOne(HTTPMethod::get, "api/indexList", {});
    EXPECT_EQ(empty.method, "GET");
    EXPECT_EQ(empty.parameters,
              (devservice::FormParameters{{"sign", md5Hex(std::string("timestamp") + timestamp + salt)},
                                          {"timestamp", timestamp}}));
}

TEST_F(RequestBuilderTest, SendsTheMediaTypeAlwaysAndTheBearerWhenTheStoredUserHasAToken) {
    const auto anonymous = sendOne(HTTPMethod::get, "api/indexList", {});
    EXPECT_EQ(anonymous.header("Accept"), "application/prs.Orvex.v2+json");
    EXPECT_EQ(anonymous.headers.count("Authorization"), 0u);

    for (const char* withoutToken : {"{}", "not json", "[]"}) {
        storeLogin(withoutToken);
        EXPECT_EQ(sendOne(HTTPMethod::get, "api/indexList", {}).headers.count("Authorization"), 0u)
            << withoutToken;
    }

    // An empty token still sends the scheme ("Bearer "; the server reads the value
    // without its trailing white space, as HTTP defines).
    storeLogin(R"({"id":7,"token":""})");
    const auto emptyToken = sendOne(HTTPMethod::get, "api/indexList", {});
    ASSERT_EQ(emptyToken.headers.count("Authorization"), 1u);
    EXPECT_EQ(emptyToken.header("Authorization"), "Bearer");

    const JSON user = storeTourist();
    const auto signedIn = sendOne(HTTPMethod::get, "api/indexList", {});
    EXPECT_EQ(signedIn.header("Authorization"), "Bearer " + user["token"].stringValue());
    EXPECT_EQ(signedIn.header("Accept"), "application/prs.Orvex.v2+json");

    // The stored login is followed however it changes: removed, or read from the file
    // again by new defaults.
    UserDefaults::standard().removeObject("login");
    EXPECT_EQ(sendOne(HTTPMethod::get, "api/indexList", {}).headers.count("Authorization"), 0u);
    {
        UserDefaults elsewhere(UserDefaults::standard().file());
        elsewhere.setString("login", user.rawString());
    }
    UserDefaults::resetStandard();
    EXPECT_EQ(sendOne(HTTPMethod::get, "api/indexList", {}).header("Authorization"),
              "Bearer " + user["token"].stringValue());
}

TEST_F(RequestBuilderTest, OnlyTheExactDisplayPathGoesToTheSecondBaseURL) {
    const auto display = sendOne(HTTPMethod::get, "api/v1/video/display", {{"page", "1"}});
    EXPECT_EQ(display.port, service().port2());
    EXPECT_EQ(display.path, "/api/v1/video/display");

    const auto slashed = sendOne(HTTPMethod::get, "/api/v1/video/display", {});
    EXPECT_EQ(slashed.port, service().port1());
    EXPECT_EQ(slashed.path, "//api/v1/video/display");

    const auto longer = sendOne(HTTPMethod::get, "api/v1/video/displayX", {});
    EXPECT_EQ(longer.port, service().port1());

    const auto other = sendOne(HTTPMethod::post, "api/getNotice", {});
    EXPECT_EQ(other.port, service().port1());
    EXPECT_EQ(other.path, "/api/getNotice");
}

TEST_F(RequestBuilderTest, ARequestSucceedsEndToEndWithTheDecryptedPayload) {
    const Answer answer =
        await([](auto done) { apiClient.sendRequest(HTTPMethod::get, "api/indexLabelList", {}, done); });
    ASSERT_FALSE(answer.error.has_value()) << answer.error->domain;
    ASSERT_TRUE(answer.json.has_value());
    EXPECT_TRUE(answer.json->type() == JSON::Type::array || answer.json->type() == JSON::Type::dictionary);
    EXPECT_FALSE(answer.json->isEmpty());
}
