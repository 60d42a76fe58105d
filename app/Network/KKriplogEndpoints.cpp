#include "app/Network/KKriplog.h"

// One wrapper per endpoint of the service: each builds its parameter map (every value a
// text) and hands it to the request builder with its path and method.

void KKriplog::getParse(const std::string& type, const std::string& url, Completion completion) {
    sendRequest(HTTPMethod::post, "api/getParse", {{"type", type}, {"url", url}}, std::move(completion));
}

void KKriplog::getAdvertInfo(const std::string& position, Completion completion) {
    sendRequest(HTTPMethod::post, "api/getAdvertInfo", {{"position", position}}, std::move(completion));
}

void KKriplog::touristLogin(const std::string& id, Completion completion) {
    sendRequest(HTTPMethod::post, "api/touristLogin", {{"id", id}}, std::move(completion));
}

void KKriplog::login(const std::string& username, const std::string& password, Completion completion) {
    sendRequest(HTTPMethod::post, "api/login", {{"username", username}, {"password", password}},
                std::move(completion));
}

void KKriplog::loginMailCode(const std::string& username, const std::string& code, Completion completion) {
    sendRequest(HTTPMethod::post, "api/loginMailCode", {{"username", username}, {"code", code}},
                std::move(completion));
}

void KKriplog::sendMail(const std::string& username, const std::string& randstr, const std::string& ticket,
                        const std::string& type, Completion completion) {
    sendRequest(HTTPMethod::post, "api/mail",
                {{"username", username}, {"randstr", randstr}, {"ticket", ticket}, {"type", type}},
                std::move(completion));
}

void KKriplog::submitAccountForm(const std::string& path, const std::string& username,
                                 const std::string& password, const std::string& code,
                                 Completion completion) {
    sendRequest(HTTPMethod::post, path, {{"username", username}, {"password", password}, {"code", code}},
                std::move(completion));
}

void KKriplog::register_(const std::string& username, const std::string& password, const std::string& code,
                         Completion completion) {
    submitAccountForm("api/register", username, password, code, std::move(completion));
}

void KKriplog::forgotPwd(const std::string& username, const std::string& password, const std::string& code,
                         Completion completion) {
    submitAccountForm("api/forgotPwd", username, password, code, std::move(completion));
}

void KKriplog::setNickName(const std::string& nickName, Completion completion) {
    sendRequest(HTTPMethod::post, "api/setNickName", {{"nick_name", nickName}}, std::move(completion));
}

void KKriplog::feedback(const std::string& type, const std::string& title, const std::string& content,
                        Completion completion) {
    sendRequest(HTTPMethod::get, "api/feedback", {{"type", type}, {"title", title}, {"content", content}},
                std::move(completion));
}

void KKriplog::fetchTypePage(const std::string& path, int page, const std::string& typeId,
                             const std::string& pageSize, Completion completion) {
    sendRequest(HTTPMethod::post, path,
                {{"page", std::to_string(page)}, {"type_id", typeId}, {"pageSize", pageSize}},
                std::move(completion));
}

void KKriplog::indexVodList(int page, const std::string& typeId, const std::string& pageSize,
                            Completion completion) {
    fetchTypePage("api/indexVodList", page, typeId, pageSize, std::move(completion));
}

void KKriplog::indexVodRecList(int page, const std::string& typeId, const std::string& pageSize,
                               Completion completion) {
    fetchTypePage("api/indexVodRecList", page, typeId, pageSize, std::move(completion));
}

void KKriplog::vodList(int page, const std::optional<std::string>& typeId, const std::string& pageSize,
                       const std::optional<std::string>& area, const std::optional<std::string>& lang,
                       const std::optional<std::string>& year, const std::optional<std::string>& class_,
                       Completion completion) {
    Parameters parameters{{"page", std::to_string(page)}, {"pageSize", pageSize}};
    if (typeId) {
        parameters["type_id"] = *typeId;
    }
    const std::pair<const char*, const std::optional<std::string>*> filters[] = {
        {"area", &area}, {"lang", &lang}, {"year", &year}, {"class", &class_}};
    for (const auto& [key, value] : filters) {
        if (*value && !(*value)->empty()) {
            parameters[key] = **value;
        }
    }
    sendRequest(HTTPMethod::post, "api/vodList", std::move(parameters), std::move(completion));
}

void KKriplog::searchText(const std::string& keyword, Completion completion) {
    sendRequest(HTTPMethod::post, "api/searchText", {{"keyword", keyword}}, std::move(completion));
}

void KKriplog::searchList(int page, const std::string& keyword, const std::string& pageSize,
                          Completion completion) {
    sendRequest(HTTPMethod::post, "api/searchList",
                {{"page", std::to_string(page)}, {"keyword", keyword}, {"pageSize", pageSize}},
                std::move(completion));
}

void KKriplog::themeList(int page, const std::string& pageSize, Completion completion) {
    sendRequest(HTTPMethod::post, "api/themeList", {{"page", std::to_string(page)}, {"pageSize", pageSize}},
                std::move(completion));
}

void KKriplog::themeInfo(int page, const std::string& topicId, const std::string& pageSize,
                         Completion completion) {
    sendRequest(HTTPMethod::post, "api/themeInfo",
                {{"page", std::to_string(page)}, {"topic_id", topicId}, {"pageSize", pageSize}},
                std::move(completion));
}

void KKriplog::vodResourceList(const std::string& vodId, Completion completion) {
    sendRequest(HTTPMethod::post, "api/vodResourceList", {{"vod_id", vodId}}, std::move(completion));
}

void KKriplog::getVideoInfo(const std::string& vodId, const std::string& type, Completion completion) {
    Parameters parameters{{"vod_id", vodId}};
    if (!type.empty()) {
        parameters["type"] = type;
    }
    sendRequest(HTTPMethod::get, "api/getVideoInfo", std::move(parameters), std::move(completion));
}

void KKriplog::getVideoList(const std::string& vodId, const std::string& type, Completion completion) {
    sendRequest(HTTPMethod::post, "api/getVideoList", {{"vod_id", vodId}, {"type", type}},
                std::move(completion));
}

void KKriplog::collectionState(const std::string& vodId, bool state, Completion completion) {
    sendRequest(HTTPMethod::post, "api/collectionState", {{"vod_id", vodId}, {"state", state ? "1" : "0"}},
                std::move(completion));
}

void KKriplog::videoDisplay(int page, Completion completion) {
    sendRequest(HTTPMethod::get, secondServicePath, {{"page", std::to_string(page)}, {"num", "16"}},
                std::move(completion));
}
