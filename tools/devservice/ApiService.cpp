#include "tools/devservice/ApiService.h"

#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace devservice {
namespace {

constexpr std::size_t kSuggestionCount = 10;
constexpr std::size_t kLargestPage = 100000;
constexpr std::size_t kLargestPageSize = 100;

enum class Access {
    anyone,  // a valid token is optional
    user,    // any signed-in user, tourist or member
    member,  // a registered member
    renewal, // the tourist sign-in: takes any token, valid or not
};

// What one endpoint sees of its request.
struct ApiCall {
    const FormParameters& parameters;
    const Bearer& bearer;
    const Catalogue& catalogue;
    Accounts& accounts;
    const std::string& origin;
    bool samePage;

    bool has(const char* key) const { return parameters.count(key) != 0; }
    std::string text(const char* key) const {
        const auto found = parameters.find(key);
        return found == parameters.end() ? std::string() : found->second;
    }
};

using Endpoint = ApiResult (*)(const ApiCall&);

struct Route {
    std::string_view path;
    std::string_view method;
    int service; // base URL 1 or 2
    Access access;
    Endpoint endpoint;
};

ApiResult missing(const char* key) {
    return ApiResult::failure(codes::badParameter, std::string("参数错误：") + key);
}

ApiResult videoNotFound() {
    return ApiResult::failure(codes::notFound, "视频不存在");
}

std::optional<std::size_t> readCount(const std::string& text, std::size_t largest) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 ||
        value > largest) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> readTypeId(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "page" (required) and the size key (optional, 15 by default).
std::optional<Paging> readPaging(const ApiCall& call, const char* sizeKey = "pageSize") {
    const auto page = readCount(call.text("page"), kLargestPage);
    const auto size =
        call.has(sizeKey) ? readCount(call.text(sizeKey), kLargestPageSize) : std::optional<std::size_t>(15);
    if (!page || !size) {
        return std::nullopt;
    }
    return Paging{*page, *size};
}

// --- catalogue -------------------------------------------------------------------------

ApiResult homeLabels(const ApiCall& call) {
    return ApiResult::success(call.catalogue.homeLabels());
}

ApiResult homeFeed(const ApiCall& call) {
    return ApiResult::success(call.catalogue.homeFeed());
}

ApiResult filterTree(const ApiCall& call) {
    return ApiResult::success(call.catalogue.filterTree());
}

template <bool recommended> ApiResult categoryPage(const ApiCall& call) {
    const auto paging = readPaging(call);
    const auto typeId = readTypeId(call.text("type_id"));
    if (!paging || !typeId) {
        return missing(!paging ? "page" : "type_id");
    }
    const auto titles = recommended ? call.catalogue.recommended(*typeId) : call.catalogue.category(*typeId);
    return ApiResult::success(Catalogue::page(titles, *paging));
}

ApiResult libraryPage(const ApiCall& call) {
    const auto paging = readPaging(call);
    if (!paging) {
        return missing("page");
    }
    LibraryFilter filter;
    if (!call.text("type_id").empty()) {
        filter.typeId = readTypeId(call.text("type_id"));
        if (!filter.typeId) {
            return missing("type_id");
        }
    }
    const auto optionalText = [&](const char* key) {
        return call.has(key) ? std::optional<std::string>(call.text(key)) : std::nullopt;
    };
    filter.area = optionalText("area");
    filter.lang = optionalText("lang");
    filter.year = optionalText("year");
    filter.className = optionalText("class");
    return ApiResult::success(Catalogue::page(call.catalogue.library(filter), *paging));
}

ApiResult searchSuggestions(const ApiCall& call) {
    auto titles = call.catalogue.search(call.text("keyword"));
    titles.resize(std::min(titles.size(), kSuggestionCount));
    return ApiResult::success(Catalogue::summaries(titles));
}

ApiResult searchResults(const ApiCall& call) {
    const auto paging = readPaging(call);
    if (!paging) {
        return missing("page");
    }
    return ApiResult::success(Catalogue::page(call.catalogue.search(call.text("keyword")), *paging));
}

ApiResult hotSearches(const ApiCall& call) {
    return ApiResult::success(call.catalogue.hotSearches());
}

ApiResult topicList(const ApiCall& call) {
    const auto paging = readPaging(call);
    return paging ? ApiResult::success(call.catalogue.topicList(*paging)) : missing("page");
}

ApiResult topicInfo(const ApiCall& call) {
    const auto paging = readPaging(call);
    if (!paging) {
        return missing("page");
    }
    auto topic = call.catalogue.topicInfo(call.text("topic_id"), *paging);
    return topic ? ApiResult::success(std::move(*topic)) : ApiResult::failure(codes::notFound, "专题不存在");
}

ApiResult resourceList(const ApiCall& call) {
    const Title* title = call.catalogue.title(call.text("vod_id"));
    return title ? ApiResult::success(call.catalogue.resources(*title)) : videoNotFound();
}

ApiResult videoInfo(const ApiCall& call) {
    const std::string id = call.text("vod_id");
    const Title* title =
        call.text("type") == "douban" ? call.catalogue.titleByDouban(id) : call.catalogue.title(id);
    if (title == nullptr) {
        return videoNotFound();
    }
    const bool collected = call.bearer.state == Bearer::State::valid &&
                           call.accounts.isFavourite(call.bearer.userId, title->vodId);
    return ApiResult::success(call.catalogue.detail(*title, collected));
}

ApiResult episodeList(const ApiCall& call) {
    const Title* title = call.catalogue.title(call.text("vod_id"));
    const PlaySource* source = call.catalogue.source(call.text("type"));
    if (title == nullptr || source == nullptr ||
        std::find(title->sources.begin(), title->sources.end(), source->type) == title->sources.end()) {
        return videoNotFound();
    }
    return ApiResult::success(call.catalogue.episodeList(*title, *source));
}

ApiResult parse(const ApiCall& call) {
    const auto episode = call.catalogue.episodeAt(call.text("type"), call.text("url"));
    if (!episode) {
        return ApiResult::failure(codes::notFound, "解析失败，资源不存在");
    }
    const std::string media = call.origin + "/media/" + episode->source->type + "/" + episode->title->vodId +
                              "/" + std::to_string(episode->index + 1) + "/master.m3u8";
    Json answer = {{"url", MIUAES::encryptPayload(media)}};
    if (episode->source->userAgent) {
        answer["user_agent"] = *episode->source->userAgent;
    }
    if (episode->source->headers) {
        answer["headers"] = *episode->source->headers;
    }
    return ApiResult::success(std::move(answer));
}

ApiResult shortVideos(const ApiCall& call) {
    const auto paging = readPaging(call, "num");
    return paging ? ApiResult::success(call.catalogue.shortVideos(*paging, call.samePage)) : missing("page");
}

ApiResult adverts(const ApiCall& call) {
    return ApiResult::success(call.catalogue.adverts(call.text("position")));
}

ApiResult notices(const ApiCall& call) {
    return ApiResult::success(call.catalogue.notices());
}

// --- users -----------------------------------------------------------------------------

ApiResult touristLogin(const ApiCall& call) {
    return call.accounts.touristLogin(call.text("id"), call.bearer);
}

ApiResult login(const ApiCall& call) {
    return call.accounts.login(call.text("username"), call.text("password"));
}

ApiResult loginWithCode(const ApiCall& call) {
    return call.accounts.loginWithCode(call.text("username"), call.text("code"));
}

ApiResult sendCode(const ApiCall& call) {
    return call.accounts.sendCode(call.text("username"), call.text("randstr"), call.text("ticket"),
                                  call.text("type"));
}

ApiResult registerMember(const ApiCall& call) {
    return call.accounts.registerMember(call.text("username"), call.text("password"), call.text("code"));
}

ApiResult resetPassword(const ApiCall& call) {
    return call.accounts.resetPassword(call.text("username"), call.text("password"), call.text("code"));
}

ApiResult setNickName(const ApiCall& call) {
    return call.accounts.setNickName(call.bearer.userId, call.text("nick_name"));
}

ApiResult logout(const ApiCall& call) {
    return call.accounts.logout(call.bearer);
}

ApiResult feedback(const ApiCall& call) {
    const std::int64_t user = call.bearer.state == Bearer::State::valid ? call.bearer.userId : 0;
    return call.accounts.addFeedback(user, call.text("type"), call.text("title"), call.text("content"));
}

ApiResult collectionState(const ApiCall& call) {
    const std::string state = call.text("state");
    if (state != "1" && state != "0") {
        return missing("state");
    }
    if (call.catalogue.title(call.text("vod_id")) == nullptr) {
        return videoNotFound();
    }
    return call.accounts.setFavourite(call.bearer.userId, call.text("vod_id"), state == "1");
}

ApiResult collectionList(const ApiCall& call) {
    std::vector<const Title*> titles;
    for (const auto& id : call.accounts.favourites(call.bearer.userId)) {
        if (const Title* title = call.catalogue.title(id)) {
            titles.push_back(title);
        }
    }
    return ApiResult::success(Catalogue::summaries(titles));
}

constexpr Route kRoutes[] = {
    {"api/getParse", "POST", 1, Access::anyone, parse},
    {"api/getAdvertInfo", "POST", 1, Access::anyone, adverts},
    {"api/touristLogin", "POST", 1, Access::renewal, touristLogin},
    {"api/login", "POST", 1, Access::anyone, login},
    {"api/loginMailCode", "POST", 1, Access::anyone, loginWithCode},
    {"api/mail", "POST", 1, Access::anyone, sendCode},
    {"api/register", "POST", 1, Access::anyone, registerMember},
    {"api/forgotPwd", "POST", 1, Access::anyone, resetPassword},
    {"api/setNickName", "POST", 1, Access::user, setNickName},
    {"api/feedback", "GET", 1, Access::anyone, feedback},
    {"api/indexVodList", "POST", 1, Access::anyone, categoryPage<false>},
    {"api/indexVodRecList", "POST", 1, Access::anyone, categoryPage<true>},
    {"api/vodList", "POST", 1, Access::anyone, libraryPage},
    {"api/searchText", "POST", 1, Access::anyone, searchSuggestions},
    {"api/searchList", "POST", 1, Access::anyone, searchResults},
    {"api/themeList", "POST", 1, Access::anyone, topicList},
    {"api/themeInfo", "POST", 1, Access::anyone, topicInfo},
    {"api/vodResourceList", "POST", 1, Access::anyone, resourceList},
    {"api/getVideoInfo", "GET", 1, Access::anyone, videoInfo},
    {"api/getVideoList", "POST", 1, Access::anyone, episodeList},
    {"api/collectionState", "POST", 1, Access::member, collectionState},
    {"api/v1/video/display", "GET", 2, Access::anyone, shortVideos},
    {"api/tagList", "GET", 1, Access::anyone, filterTree},
    {"api/getNotice", "POST", 1, Access::anyone, notices},
    {"api/indexLabelList", "GET", 1, Access::anyone, homeLabels},
    {"api/getCollectionList", "GET", 1, Access::member, collectionList},
    {"api/indexList", "GET", 1, Access::anyone, homeFeed},
    {"api/searchTipList", "GET", 1, Access::anyone, hotSearches},
    {"api/logout", "POST", 1, Access::user, logout},
};

const Route* findRoute(const std::string& path) {
    for (const auto& route : kRoutes) {
        if (route.path == path) {
            return &route;
        }
    }
    return nullptr;
}

HttpAnswer answer(const ApiResult& result, const std::string& origin) {
    std::string data;
    if (result.succeeded() && result.data) {
        data = MIUAES::encryptPayload(withOrigin(*result.data, origin).dump());
    }
    return {200, envelope(result.code, result.message, data)};
}

bool wellFormedTimestamp(const std::string& text) {
    return !text.empty() && text.size() <= 12 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string bearerToken(const std::string& authorization) {
    constexpr std::string_view scheme = "Bearer ";
    return authorization.starts_with(scheme) ? authorization.substr(scheme.size()) : std::string();
}

// Why the bearer may not call a route; nothing when it may.
std::optional<ApiResult> refusal(Access access, const Bearer& bearer, const Accounts& accounts) {
    if (access == Access::renewal) {
        return std::nullopt;
    }
    if (bearer.state == Bearer::State::expired) {
        return ApiResult::failure(codes::loginExpired, "登录已过期，请重新登录");
    }
    if (bearer.state == Bearer::State::unknown) {
        return ApiResult::failure(codes::loginInvalid, "登录信息无效，请重新登录");
    }
    const bool signedIn = bearer.state == Bearer::State::valid;
    if ((access == Access::user && !signedIn) ||
        (access == Access::member && !(signedIn && accounts.isMember(bearer.userId)))) {
        return ApiResult::failure(codes::loginRequired, "请先登录");
    }
    return std::nullopt;
}

} // namespace

std::string envelope(int code, const std::string& message, const std::string& data) {
    return Json{{"code", code}, {"message", message}, {"data", data}}.dump();
}

ApiService::ApiService(const Catalogue& catalogue, Accounts& accounts, Options options)
    : catalogue_(catalogue), accounts_(accounts), options_(std::move(options)) {}

HttpAnswer ApiService::handle(const ApiRequest& request) const {
    const Route* route = findRoute(request.path);
    if (route == nullptr || route->service != request.service) {
        return {404, envelope(codes::unknownPath, "接口不存在", "")};
    }
    if (route->method != request.method && !(route->method == "GET" && request.method == "HEAD")) {
        return {405, envelope(codes::wrongMethod, "请求方式错误", "")};
    }
    if (!request.parameters) {
        return answer(ApiResult::failure(codes::badParameter, "参数格式错误"), request.origin);
    }
    const FormParameters& parameters = *request.parameters;
    const auto timestamp = parameters.find("timestamp");
    if (timestamp == parameters.end() || !wellFormedTimestamp(timestamp->second) ||
        (options_.timestampWindow > 0 &&
         std::fabs(std::stod(timestamp->second) - options_.now()) > options_.timestampWindow)) {
        return answer(ApiResult::failure(codes::badParameter, "时间戳无效"), request.origin);
    }
    FormParameters signedParameters = parameters;
    const auto sign = signedParameters.find("sign");
    const std::string presented = sign == signedParameters.end() ? std::string() : sign->second;
    if (sign != signedParameters.end()) {
        signedParameters.erase(sign);
    }
    if (presented.empty() || presented != KKpresentationdisease::signParameters(signedParameters)) {
        return answer(ApiResult::failure(codes::badSignature, "签名错误"), request.origin);
    }

    const Bearer bearer = accounts_.identify(bearerToken(request.authorization));
    if (auto refused = refusal(route->access, bearer, accounts_)) {
        return answer(*refused, request.origin);
    }
    const ApiCall call{signedParameters, bearer, catalogue_, accounts_, request.origin, request.samePage};
    return answer(route->endpoint(call), request.origin);
}

} // namespace devservice
