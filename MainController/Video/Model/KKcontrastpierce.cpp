#include "MainController/Video/Model/KKcontrastpierce.h"

#include <curl/curl.h>

KKcontrastpierce::KKcontrastpierce(const JSON& json, int depth) {
    if (json.isEmpty()) {
        return;
    }
    avatar = json["avatar"].stringValue();
    cover = json["cover"].stringValue();
    cover1 = json["cover_1"].stringValue();
    createTime = json["create_time"].int64Value();
    desc = json["desc"].stringValue();
    douban = json["douban"].stringValue();
    mixId = json["mix_id"].int64Value();
    mixItems.emplace();
    if (depth < maximumMixDepth) {
        for (const auto& element : json["mix_items"].arrayValue()) {
            mixItems->push_back(std::shared_ptr<KKcontrastpierce>(new KKcontrastpierce(element, depth + 1)));
        }
    }
    mixName = json["mix_name"].stringValue();
    nickname = json["nickname"].stringValue();
    no = json["no"].int64Value();
    playAddr = json["play_addr"].stringValue();
    title = json["title"].stringValue();
    type = json["type"].int64Value();
    updateTime = json["update_time"].doubleValue();
    vid = json["vid"].stringValue();
}

bool isWebAddress(const std::string& text) {
    CURLU* url = curl_url();
    bool valid = false;
    if (url != nullptr && curl_url_set(url, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK) {
        char* scheme = nullptr;
        char* host = nullptr;
        if (curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(url, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
            const std::string schemeText = scheme;
            valid = (schemeText == "http" || schemeText == "https") && host[0] != '\0';
        }
        curl_free(scheme);
        curl_free(host);
    }
    curl_url_cleanup(url);
    return valid;
}
