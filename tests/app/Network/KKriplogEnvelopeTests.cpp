// The first look at an answer's body agrees with what a full parse of the body says,
// however the body is written or damaged.

#include "app/Network/KKriplogEnvelope.h"

#include "platform/Foundation/JSON.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The payload text as a full parse of the body gives it: an object naming "code" and
// "data" once each, the code the integer 20000, the data a text that is not empty.
std::optional<std::string> payloadByFullParse(const std::string& body) {
    int codes = 0;
    int datas = 0;
    const JSON::Storage::parser_callback_t countKeys = [&](int depth, JSON::Storage::parse_event_t event,
                                                           JSON::Storage& parsed) {
        if (event == JSON::Storage::parse_event_t::key && depth == 1) {
            codes += parsed == "code" ? 1 : 0;
            datas += parsed == "data" ? 1 : 0;
        }
        return true;
    };
    const JSON::Storage value = JSON::Storage::parse(body, countKeys, false);
    if (value.is_discarded() || !value.is_object() || codes != 1 || datas != 1) {
        return std::nullopt;
    }
    const JSON::Storage& code = value.at("code");
    const JSON::Storage& data = value.at("data");
    if (!code.is_number_integer() || code != 20000 || !data.is_string() ||
        data.get_ref<const std::string&>().empty()) {
        return std::nullopt;
    }
    return data.get<std::string>();
}

void expectAgreesWithFullParse(const std::string& body) {
    const std::optional<std::string_view> text = KKriplogEnvelope::successPayloadText(body);
    const std::optional<std::string> expected = payloadByFullParse(body);
    ASSERT_EQ(text.has_value(), expected.has_value()) << body;
    if (text) {
        EXPECT_EQ(*text, *expected) << body;
    }
}

bool liesInBody(std::string_view text, const std::string& body) {
    return text.data() >= body.data() && text.data() + text.size() <= body.data() + body.size();
}

const std::string kHex = "3a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f6071829aabb";

} // namespace

TEST(KKriplogEnvelope, TheUsualEnvelopeIsReadWhereItLies) {
    for (
        const std::string& body : std::vector<std::string>{
            R"({"code":20000,"message":"成功","data":")" + kHex + "\"}",
            " \r\n\t{ \"data\" : \"" + kHex + "\" ,\n\"code\"\t:\t20000 , \"message\":\"\" } \n",
            R"({"code":20000,"n":-12,"m":0,"o":-0,"p":123456789012345678,"t":true,"f":false,"z":null,"data":"é"})",
            R"({"":"","code":20000,"data":"a b"})",
        }) {
        expectAgreesWithFullParse(body);
        const auto text = KKriplogEnvelope::successPayloadText(body);
        ASSERT_TRUE(text.has_value()) << body;
        EXPECT_TRUE(liesInBody(*text, body)) << body;
    }
}

TEST(KKriplogEnvelope, OtherSpellingsAreLeftToTheParserWhichReadsThemAlike) {
    const std::string data = "\"" + kHex + "\"";
    for (const std::string& body : std::vector<std::string>{
             R"({"code":20000,"data":"\u0061b"})",
             R"({"code":20000,"message":"\"ok\"","data":)" + data + "}",
             R"({"co\u0064e":20000,"data":)" + data + "}",
             R"({"code":20000,"extra":{"a":[1,2]},"data":)" + data + "}",
             R"({"code":20000,"extra":[],"data":)" + data + "}",
             R"({"code":20000,"score":1.5,"data":)" + data + "}",
             R"({"code":20000,"big":1234567890123456789,"data":)" + data + "}",
             R"({"code":20000,"exp":1e3,"data":)" + data + "}",
         }) {
        expectAgreesWithFullParse(body);
        EXPECT_TRUE(KKriplogEnvelope::successPayloadText(body).has_value()) << body;
    }
    // An escape or a quote on either side of each 32-byte step of the scan.
    for (const std::size_t at : {0, 1, 30, 31, 32, 33, 63, 64, 65}) {
        std::string escaped = kHex;
        escaped.insert(at, "\\\"");
        expectAgreesWithFullParse(R"({"code":20000,"data":")" + escaped + "\"}");
        std::string cut = kHex;
        cut.insert(at, "\"");
        expectAgreesWithFullParse(R"({"code":20000,"data":")" + cut + "\"}");
    }
}

TEST(KKriplogEnvelope, AnyOtherBodyGivesNoText) {
    const std::string data = "\"" + kHex + "\"";
    for (const std::string& body : std::vector<std::string>{
             std::string(),
             std::string("[]"),
             std::string("\"x\""),
             std::string("{}"),
             R"({"code":20000})",
             R"({"data":)" + data + "}",
             R"({"code":20000,"data":""})",
             R"({"code":20000.0,"data":)" + data + "}",
             R"({"code":2e4,"data":)" + data + "}",
             R"({"code":"20000","data":)" + data + "}",
             R"({"code":020000,"data":)" + data + "}",
             R"({"code":-20000,"data":)" + data + "}",
             R"({"code":200000,"data":)" + data + "}",
             R"({"code":20000x,"data":)" + data + "}",
             R"({"code":20000,"code":20000,"data":)" + data + "}",
             R"({"code":20000,"data":)" + data + ",\"data\":" + data + "}",
             R"({"code":20000,"data":)" + data + "} x",
             R"({"code":20000,"data":)" + data + "}}",
             R"({"code":20000,"data":)" + data + ",}",
             R"({"code":20000,,"data":)" + data + "}",
             R"({"code":20000,"n":01,"data":)" + data + "}",
             R"({"code":20000,"n":-,"data":)" + data + "}",
             R"({"code":20000,"t":tru,"data":)" + data + "}",
             R"({"code":20000,"t":truex,"data":)" + data + "}",
             R"({"code":20000,"n":12345678901234567890123,"data":)" + data + "}",
             "{\"code\":20000,\"message\":\"\xc3\",\"data\":" + data + "}",
             "{\"code\":20000,\"data\":\"ab\xff\"}",
             "{\"code\":20000,\"data\":\"ab\x01\"}",
             "{\"code\":20000,\"data\":\"ab\xed\xa0\x80\"}",
             "\xef\xbb\xbf{\"code\":20000,\"data\":\"ab\"}",
         }) {
        EXPECT_FALSE(KKriplogEnvelope::successPayloadText(body).has_value()) << body;
    }
}

TEST(KKriplogEnvelope, CutOrDamagedBodiesAgreeWithTheFullParse) {
    const std::string body = R"({"code":20000,"message":"成功","n":-5,"t":true,"data":")" + kHex + "\"}";
    for (std::size_t length = 0; length <= body.size(); ++length) {
        expectAgreesWithFullParse(body.substr(0, length));
    }
    for (std::size_t at = 0; at < body.size(); ++at) {
        for (const char c : std::string("\"\\ {}[],:0-.ex\x01\x7f\x80\xff")) {
            std::string damaged = body;
            damaged[at] = c;
            expectAgreesWithFullParse(damaged);
            damaged = body;
            damaged.insert(at, 1, c);
            expectAgreesWithFullParse(damaged);
        }
    }
}
