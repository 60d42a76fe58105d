#include "tools/devservice/Catalogue.h"

#include "platform/Foundation/AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <tuple>

namespace devservice {
namespace {

constexpr std::string_view kEpisodeAddressPrefix = "https://play.orvex.test/";
constexpr const char* kSummaryKeys[] = {
    "vod_id", "vod_name", "vod_pic", "vod_douban_score", "actor",     "director", "area",
    "year",   "blurb",    "pubdate", "type_id",          "type_id_1", "className"};

// Reports the first fault found while reading the data files.
class Problems {
  public:
    explicit Problems(std::string& error) : error_(error) {}
    bool fail(const std::string& file, const std::string& what) {
        if (error_.empty()) {
            error_ = file + ": " + what;
        }
        return false;
    }
    bool ok() const { return error_.empty(); }

  private:
    std::string& error_;
};

std::optional<Json> readJsonFile(const std::filesystem::path& path, Problems& problems) {
    const auto text = readWholeFile(path);
    if (!text) {
        problems.fail(path.filename().string(), "cannot be read");
        return std::nullopt;
    }
    Json parsed = Json::parse(*text, nullptr, false);
    if (parsed.is_discarded()) {
        problems.fail(path.filename().string(), "is not JSON");
        return std::nullopt;
    }
    return parsed;
}

std::string textOf(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool hasText(const Json& object, const char* key) {
    return object.is_object() && object.contains(key) && object[key].is_string() &&
           !object[key].get<std::string>().empty();
}

double scoreOf(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool parseIndex(std::string_view text, std::size_t& value) {
    if (text.empty() || text.size() > 6) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

Json pageOfArray(const Json& items, const Paging& paging) {
    Json page = Json::array();
    const std::size_t first = (paging.page - 1) * paging.pageSize;
    for (std::size_t i = first; i < items.size() && i < first + paging.pageSize; ++i) {
        page.push_back(items[i]);
    }
    return page;
}

} // namespace

std::vector<std::pair<std::string, std::string>> PlaySource::requiredHeaders() const {
    std::vector<std::pair<std::string, std::string>> required;
    if (userAgent && !userAgent->empty()) {
        required.emplace_back("User-Agent", *userAgent);
    }
    if (headers) {
        for (const auto& header : *headers) {
            required.emplace_back(textOf(header, "key"), textOf(header, "val"));
        }
    }
    return required;
}

std::optional<Catalogue> Catalogue::load(const std::filesystem::path& folder, std::string& error) {
    error.clear();
    try {
        return loadChecked(folder, error);
    } catch (const nlohmann::json::exception& failure) {
        if (error.empty()) {
            error = std::string("a value has the wrong type: ") + failure.what();
        }
        return std::nullopt;
    }
}

std::optional<Catalogue> Catalogue::loadChecked(const std::filesystem::path& folder, std::string& error) {
    Problems problems(error);
    Catalogue catalogue;

    const auto categories = readJsonFile(folder / "categories.json", problems);
    if (categories) {
        catalogue.allValue_ = textOf(*categories, "all");
        catalogue.categories_ = categories->value("categories", Json::array());
        if (!catalogue.categories_.is_array() || catalogue.categories_.empty()) {
            problems.fail("categories.json", "has no categories");
        }
        for (const auto& category : catalogue.categories_) {
            if (!category.is_object() || !category.contains("type_id") ||
                !category["type_id"].is_number_integer() || !hasText(category, "type_name")) {
                problems.fail("categories.json", "a category lacks \"type_id\" or \"type_name\"");
            }
        }
    }

    if (const auto sources = readJsonFile(folder / "sources.json", problems)) {
        for (const auto& entry : sources->is_array() ? *sources : Json::array()) {
            PlaySource source{textOf(entry, "type"), textOf(entry, "typeName"), std::nullopt, std::nullopt};
            if (entry.contains("user_agent")) {
                source.userAgent = textOf(entry, "user_agent");
            }
            if (entry.contains("headers")) {
                source.headers = entry["headers"];
                for (const auto& header : *source.headers) {
                    if (!hasText(header, "key") || !header.contains("val")) {
                        problems.fail("sources.json",
                                      "a header of " + source.type + " lacks \"key\" or \"val\"");
                    }
                }
            }
            if (source.type.empty() || source.typeName.empty()) {
                problems.fail("sources.json", "a source lacks \"type\" or \"typeName\"");
            }
            catalogue.sources_.push_back(std::move(source));
        }
    }

    if (const auto titles = readJsonFile(folder / "titles.json", problems)) {
        for (const auto& entry : titles->is_array() ? *titles : Json::array()) {
            Title title;
            title.vodId = textOf(entry, "vod_id");
            title.name = textOf(entry, "vod_name");
            title.typeId = entry.value("type_id", 0);
            title.area = textOf(entry, "area");
            title.lang = textOf(entry, "lang");
            title.year = textOf(entry, "year");
            title.className = textOf(entry, "className");
            title.actor = textOf(entry, "actor");
            title.director = textOf(entry, "director");
            title.doubanId = textOf(entry, "douban_id");
            title.score = scoreOf(textOf(entry, "vod_douban_score"));
            title.longMedia = entry.value("long_media", false);
            title.summary = Json::object();
            for (const char* key : kSummaryKeys) {
                title.summary[key] = entry.value(key, Json(""));
            }
            for (const auto& type : entry.value("sources", Json::array())) {
                title.sources.push_back(type.is_string() ? type.get<std::string>() : std::string());
                if (catalogue.source(title.sources.back()) == nullptr) {
                    problems.fail("titles.json", title.vodId + " names an unknown source");
                }
            }
            for (const auto& episode : entry.value("episodes", Json::array())) {
                title.episodes.push_back(episode.is_string() ? episode.get<std::string>() : std::string());
            }
            if (title.vodId.empty() || title.name.empty() || title.sources.empty() ||
                title.episodes.empty()) {
                problems.fail("titles.json", "a title lacks its id, name, sources or episodes");
            }
            if (!catalogue.knownCategory(title.typeId)) {
                problems.fail("titles.json", title.vodId + " has an unknown \"type_id\"");
            }
            if (!catalogue.byId_.emplace(title.vodId, catalogue.titles_.size()).second) {
                problems.fail("titles.json", "the id " + title.vodId + " is used twice");
            }
            if (!title.doubanId.empty()) {
                catalogue.byDouban_.emplace(title.doubanId, catalogue.titles_.size());
            }
            catalogue.titles_.push_back(std::move(title));
        }
    }

    const auto checkIds = [&](const std::string& file, const Json& ids) {
        if (!ids.is_array()) {
            return problems.fail(file, "a list of title ids is missing");
        }
        for (const auto& id : ids) {
            if (!id.is_string() || catalogue.title(id.get<std::string>()) == nullptr) {
                return problems.fail(file, "names an unknown title " + id.dump());
            }
        }
        return true;
    };

    if (auto home = readJsonFile(folder / "home.json", problems)) {
        catalogue.home_ = std::move(*home);
        for (const char* key : {"rec", "recList"}) {
            for (const auto& group : catalogue.home_.value(key, Json::array())) {
                checkIds("home.json", group.value("vod_ids", Json()));
            }
        }
    }
    if (const auto search = readJsonFile(folder / "search.json", problems)) {
        catalogue.hot_ = search->value("hot", Json());
        checkIds("search.json", catalogue.hot_);
    }
    if (auto topics = readJsonFile(folder / "topics.json", problems)) {
        catalogue.topics_ = std::move(*topics);
        for (const auto& topic : catalogue.topics_) {
            if (!hasText(topic, "topic_id")) {
                problems.fail("topics.json", "a topic lacks \"topic_id\"");
            }
            checkIds("topics.json", topic.value("vod_ids", Json()));
        }
    }
    if (auto notices = readJsonFile(folder / "notices.json", problems)) {
        catalogue.notices_ = std::move(*notices);
    }
    if (auto adverts = readJsonFile(folder / "ads.json", problems)) {
        catalogue.adverts_ = std::move(*adverts);
    }
    if (auto shorts = readJsonFile(folder / "shorts.json", problems)) {
        catalogue.shorts_ = std::move(*shorts);
    }
    for (const auto& [file, value, kind] : {std::tuple{"topics.json", &catalogue.topics_, 'a'},
                                            std::tuple{"notices.json", &catalogue.notices_, 'a'},
                                            std::tuple{"shorts.json", &catalogue.shorts_, 'a'},
                                            std::tuple{"ads.json", &catalogue.adverts_, 'o'}}) {
        if ((kind == 'a' && !value->is_array()) || (kind == 'o' && !value->is_object())) {
            problems.fail(file, kind == 'a' ? "is not an array" : "is not an object");
        }
    }
    if (!problems.ok()) {
        return std::nullopt;
    }
    return catalogue;
}

const Title* Catalogue::title(const std::string& vodId) const {
    const auto found = byId_.find(vodId);
    return found == byId_.end() ? nullptr : &titles_[found->second];
}

const Title* Catalogue::titleByDouban(const std::string& doubanId) const {
    const auto found = byDouban_.find(doubanId);
    return found == byDouban_.end() ? nullptr : &titles_[found->second];
}

const PlaySource* Catalogue::source(const std::string& type) const {
    for (const auto& source : sources_) {
        if (source.type == type) {
            return &source;
        }
    }
    return nullptr;
}

bool Catalogue::knownCategory(int typeId) const {
    return std::any_of(categories_.begin(), categories_.end(), [typeId](const Json& category) {
        const auto found = category.find("type_id");
        return found != category.end() && found->is_number_integer() && found->get<int>() == typeId;
    });
}

std::vector<const Title*> Catalogue::category(int typeId) const {
    std::vector<const Title*> found;
    for (const auto& title : titles_) {
        if (title.typeId == typeId) {
            found.push_back(&title);
        }
    }
    return found;
}

std::vector<const Title*> Catalogue::recommended(int typeId) const {
    auto found = category(typeId);
    std::stable_sort(found.begin(), found.end(),
                     [](const Title* a, const Title* b) { return a->score > b->score; });
    return found;
}

bool Catalogue::matchesFilter(const std::string& value, const std::optional<std::string>& wanted) const {
    return !wanted || wanted->empty() || *wanted == allValue_ || *wanted == value;
}

std::vector<const Title*> Catalogue::library(const LibraryFilter& filter) const {
    std::vector<const Title*> found;
    for (const auto& title : titles_) {
        if ((!filter.typeId || title.typeId == *filter.typeId) && matchesFilter(title.area, filter.area) &&
            matchesFilter(title.lang, filter.lang) && matchesFilter(title.year, filter.year) &&
            matchesFilter(title.className, filter.className)) {
            found.push_back(&title);
        }
    }
    return found;
}

std::vector<const Title*> Catalogue::search(const std::string& keyword) const {
    std::vector<const Title*> found;
    const std::string wanted = lowerAscii(keyword);
    if (wanted.empty()) {
        return found;
    }
    for (const auto& title : titles_) {
        for (const std::string* field : {&title.name, &title.actor, &title.director}) {
            if (lowerAscii(*field).find(wanted) != std::string::npos) {
                found.push_back(&title);
                break;
            }
        }
    }
    return found;
}

Json Catalogue::page(const std::vector<const Title*>& titles, const Paging& paging) {
    Json page = Json::array();
    const std::size_t first = (paging.page - 1) * paging.pageSize;
    for (std::size_t i = first; i < titles.size() && i < first + paging.pageSize; ++i) {
        page.push_back(titles[i]->summary);
    }
    return page;
}

Json Catalogue::summaries(const std::vector<const Title*>& titles) {
    return page(titles, Paging{1, titles.size() + 1});
}

std::vector<const Title*> Catalogue::titlesFromIds(const Json& ids) const {
    std::vector<const Title*> found;
    for (const auto& id : ids) {
        found.push_back(title(id.get<std::string>()));
    }
    return found;
}

Json Catalogue::homeLabels() const {
    return home_.value("labels", Json::array());
}

Json Catalogue::filterTree() const {
    Json tree = categories_;
    for (auto& category : tree) {
        category["type_id"] = std::to_string(category["type_id"].get<int>());
    }
    return tree;
}

Json Catalogue::homeFeed() const {
    Json feed = Json::object();
    feed["banner"] = home_.value("banner", Json::array());
    for (const char* key : {"rec", "recList"}) {
        Json groups = Json::array();
        for (Json group : home_.value(key, Json::array())) {
            group["list"] = summaries(titlesFromIds(group["vod_ids"]));
            group.erase("vod_ids");
            groups.push_back(std::move(group));
        }
        feed[key] = std::move(groups);
    }
    return feed;
}

Json Catalogue::hotSearches() const {
    return summaries(titlesFromIds(hot_));
}

Json Catalogue::topicList(const Paging& paging) const {
    Json topics = Json::array();
    for (const auto& topic : topics_) {
        topics.push_back({{"topic_id", topic["topic_id"]},
                          {"topic_name", topic.value("topic_name", "")},
                          {"topic_pic", topic.value("topic_pic", "")},
                          {"vod_num", topic["vod_ids"].size()}});
    }
    return pageOfArray(topics, paging);
}

std::optional<Json> Catalogue::topicInfo(const std::string& topicId, const Paging& paging) const {
    for (const auto& topic : topics_) {
        if (topic["topic_id"] == topicId) {
            return Json{{"topic_id", topic["topic_id"]},
                        {"topic_name", topic.value("topic_name", "")},
                        {"topic_pic", topic.value("topic_pic", "")},
                        {"topic_blurb", topic.value("topic_blurb", "")},
                        {"vod_num", topic["vod_ids"].size()},
                        {"vod_list", page(titlesFromIds(topic["vod_ids"]), paging)}};
        }
    }
    return std::nullopt;
}

Json Catalogue::resources(const Title& title) const {
    std::string categoryName;
    for (const auto& category : categories_) {
        if (category["type_id"] == title.typeId) {
            categoryName = category["type_name"].get<std::string>();
        }
    }
    Json list = Json::array();
    for (const auto& type : title.sources) {
        const PlaySource* playSource = source(type);
        list.push_back({{"vod_id", title.vodId},
                        {"vod_name", title.name},
                        {"vod_pic", title.summary["vod_pic"]},
                        {"vodTypeName", categoryName},
                        {"typeName", playSource->typeName},
                        {"type", type}});
    }
    return list;
}

Json Catalogue::detail(const Title& title, bool isCollection) const {
    Json detail = title.summary;
    detail["lang"] = title.lang;
    detail["is_collection"] = isCollection;
    Json list = Json::array();
    for (const auto& type : title.sources) {
        const PlaySource* playSource = source(type);
        list.push_back({{"type", type},
                        {"typeName", playSource->typeName},
                        {"name", title.episodes.front()},
                        {"vod_url", episodeAddress(title, *playSource, 0)}});
    }
    detail["list"] = std::move(list);
    return detail;
}

Json Catalogue::episodeList(const Title& title, const PlaySource& source) const {
    Json list = Json::array();
    for (std::size_t i = 0; i < title.episodes.size(); ++i) {
        list.push_back({{"item", title.episodes[i]}, {"src", episodeAddress(title, source, i)}});
    }
    return list;
}

Json Catalogue::shortVideos(const Paging& paging, bool fromStart) const {
    if (paging.page != 1 || shorts_.empty()) {
        return Json{{"list", pageOfArray(shorts_, paging)}};
    }
    const std::size_t count = std::min(paging.pageSize, shorts_.size());
    const std::size_t first = fromStart ? 0 : shortsServed_->fetch_add(count);
    Json list = Json::array();
    for (std::size_t i = 0; i < count; ++i) {
        list.push_back(shorts_[(first + i) % shorts_.size()]);
    }
    return Json{{"list", std::move(list)}};
}

Json Catalogue::adverts(const std::string& position) const {
    return adverts_.value(position, Json::array());
}

std::string Catalogue::episodeAddress(const Title& title, const PlaySource& source, std::size_t index) {
    return std::string(kEpisodeAddressPrefix) + source.type + "/" + title.vodId + "/" +
           std::to_string(index + 1);
}

std::optional<EpisodeRef> Catalogue::episodeAt(const std::string& type, const std::string& address) const {
    if (!address.starts_with(kEpisodeAddressPrefix)) {
        return std::nullopt;
    }
    const std::string_view rest = std::string_view(address).substr(kEpisodeAddressPrefix.size());
    const std::size_t slash1 = rest.find('/');
    const std::size_t slash2 = slash1 == std::string_view::npos ? slash1 : rest.find('/', slash1 + 1);
    std::size_t number = 0;
    if (slash2 == std::string_view::npos || rest.substr(0, slash1) != type ||
        !parseIndex(rest.substr(slash2 + 1), number) || number == 0) {
        return std::nullopt;
    }
    const Title* found = title(std::string(rest.substr(slash1 + 1, slash2 - slash1 - 1)));
    const PlaySource* playSource = source(type);
    if (found == nullptr || playSource == nullptr || number > found->episodes.size() ||
        std::find(found->sources.begin(), found->sources.end(), type) == found->sources.end()) {
        return std::nullopt;
    }
    return EpisodeRef{found, playSource, number - 1};
}

Json withOrigin(const Json& payload, const std::string& origin) {
    switch (payload.type()) {
    case Json::value_t::string: {
        std::string text = payload.get<std::string>();
        for (std::size_t at = text.find(kOriginPlaceholder); at != std::string::npos;
             at = text.find(kOriginPlaceholder, at + origin.size())) {
            text.replace(at, kOriginPlaceholder.size(), origin);
        }
        return text;
    }
    case Json::value_t::array:
    case Json::value_t::object: {
        Json copy = payload;
        for (auto& element : copy) {
            element = withOrigin(element, origin);
        }
        return copy;
    }
    default:
        return payload;
    }
}

} // namespace devservice
