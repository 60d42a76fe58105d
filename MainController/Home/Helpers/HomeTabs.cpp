#include "MainController/Home/Helpers/HomeTabs.h"

#include "app/Crypto/MIUGTMBase64.h"

namespace {

// Texts kept as Base64 of their UTF-8 bytes; one that does not decode reads as "".
std::string decoded(const char* base64) {
    return MIUGTMBase64::decodeBase64String(base64).value_or("");
}

} // namespace

std::vector<HomeTab> homeTabsFromJSON(const JSON& json) {
    std::vector<HomeTab> tabs;
    for (const auto& element : json.arrayValue()) {
        tabs.push_back({element["type_id"].int64Value(), element["type_name"].stringValue()});
    }
    return tabs;
}

std::vector<HomeTab> homeTabsFromCache(const std::string& text) {
    return homeTabsFromJSON(JSON::parse(text));
}

const std::string& recommendTabTitle() {
    static const std::string title = decoded("5o6o6I2Q");
    return title;
}

const std::string& searchPlaceholder() {
    static const std::string text = decoded("5pCc57Si55S15b2x44CB5Ymn6ZuG44CB57u86Im644CB5Yqo5ryr4oCm");
    return text;
}

std::string noticeShownKey(const std::string& createTime) {
    return "home_notice_shown:" + createTime;
}
