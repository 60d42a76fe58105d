#include "app/Models/KKrearinfluence.h"

#include "platform/Foundation/UserDefaults.h"

KKrearinfluence::KKrearinfluence(const JSON& json) {
    if (json.isEmpty()) {
        return;
    }
    id = json["id"].stringValue();
    expiresIn = json["expires_in"].stringValue();
    groupId = json["group_id"].stringValue();
    nickName = json["nick_name"].stringValue();
    phone = json["phone"].stringValue();
    portrait = json["portrait"].stringValue();
    token = json["token"].stringValue();
    tokenType = json["token_type"].stringValue();
    username = json["username"].stringValue();
}

std::optional<KKrearinfluence> KKrearinfluence::storedUser() {
    auto text = UserDefaults::standard().stringForKey(loginDefaultsKey);
    if (!text) {
        return std::nullopt;
    }
    return KKrearinfluence(JSON::parse(*text));
}
