#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace devservice {

using Json = nlohmann::ordered_json;

// Text in the data files that stands for the service's own origin
// ("https://media.orvex.test:<port>"), filled in when a payload is sent.
inline constexpr std::string_view kOriginPlaceholder = "{{origin}}";

// One play source (a site that carries titles) and the request headers its media needs.
struct PlaySource {
    std::string type;
    std::string typeName;
    std::optional<std::string> userAgent; // the parse answer's "user_agent", when it has one
    std::optional<Json> headers;          // the parse answer's "headers", when it has one
    // Every header a media request of this source must carry, name and value.
    std::vector<std::pair<std::string, std::string>> requiredHeaders() const;
};

struct Title {
    Json summary; // the film object of every list
    std::string vodId;
    std::string name;
    int typeId = 0;
    std::string area;
    std::string lang;
    std::string year;
    std::string className;
    std::string actor;
    std::string director;
    std::string doubanId;
    double score = 0;
    std::vector<std::string> sources;  // play-source types, in the order shown
    std::vector<std::string> episodes; // episode names, shared by every source
    bool longMedia = false;            // its episodes play the two-minute stream ("long_media")
};

struct Paging {
    std::size_t page = 1; // from 1
    std::size_t pageSize = 15;
};

// Filters of the library grid; an absent value, or the "all" value of the filter tree,
// filters nothing.
struct LibraryFilter {
    std::optional<int> typeId;
    std::optional<std::string> area;
    std::optional<std::string> lang;
    std::optional<std::string> year;
    std::optional<std::string> className;
};

// An episode named by its source address.
struct EpisodeRef {
    const Title* title = nullptr;
    const PlaySource* source = nullptr;
    std::size_t index = 0; // from 0
};

// The sample catalogue, read once from the JSON data files of a folder and read-only
// afterwards (safe to share between threads). Payloads are answered in the shapes the
// application's screens read; addresses still hold the origin placeholder.
class Catalogue {
  public:
    // Reads and cross-checks categories.json, titles.json, sources.json, home.json,
    // search.json, topics.json, notices.json, ads.json and shorts.json. Answers nothing,
    // with the file and the fault in `error`, when one is missing or inconsistent.
    static std::optional<Catalogue> load(const std::filesystem::path& folder, std::string& error);

    const Title* title(const std::string& vodId) const;
    const Title* titleByDouban(const std::string& doubanId) const;
    const PlaySource* source(const std::string& type) const;
    const Json& categories() const { return categories_; }
    bool knownCategory(int typeId) const;

    std::vector<const Title*> category(int typeId) const;    // catalogue order
    std::vector<const Title*> recommended(int typeId) const; // best rated first
    std::vector<const Title*> library(const LibraryFilter& filter) const;
    std::vector<const Title*> search(const std::string& keyword) const;

    static Json page(const std::vector<const Title*>& titles, const Paging& paging);
    static Json summaries(const std::vector<const Title*>& titles);

    Json homeLabels() const;  // api/indexLabelList
    Json filterTree() const;  // api/tagList
    Json homeFeed() const;    // api/indexList
    Json hotSearches() const; // api/searchTipList
    Json topicList(const Paging& paging) const;
    std::optional<Json> topicInfo(const std::string& topicId, const Paging& paging) const;
    Json resources(const Title& title) const;
    Json detail(const Title& title, bool isCollection) const;
    Json episodeList(const Title& title, const PlaySource& source) const;
    // Page 1 goes on where its previous answer ended; `fromStart` answers it from the
    // first short video without moving on.
    Json shortVideos(const Paging& paging, bool fromStart = false) const;
    Json adverts(const std::string& position) const;
    const Json& notices() const { return notices_; }
    std::size_t shortVideoCount() const { return shorts_.size(); }

    // The source address of an episode ("https://play.orvex.test/<type>/<vod_id>/<n>"),
    // and back.
    static std::string episodeAddress(const Title& title, const PlaySource& source, std::size_t index);
    std::optional<EpisodeRef> episodeAt(const std::string& type, const std::string& address) const;

  private:
    Catalogue() = default;
    static std::optional<Catalogue> loadChecked(const std::filesystem::path& folder, std::string& error);
    std::vector<const Title*> titlesFromIds(const Json& ids) const;
    bool matchesFilter(const std::string& value, const std::optional<std::string>& wanted) const;

    std::vector<Title> titles_;
    std::map<std::string, std::size_t> byId_;
    std::map<std::string, std::size_t> byDouban_;
    std::vector<PlaySource> sources_;
    Json categories_ = Json::array();
    std::string allValue_;
    Json home_;
    Json hot_ = Json::array();
    Json topics_ = Json::array();
    Json notices_ = Json::array();
    Json adverts_ = Json::object();
    Json shorts_ = Json::array();
    // Short videos handed out as page 1 so far: page 1 is a recommendation feed that goes
    // on where its previous answer ended (wrapping around), as the real feed does.
    std::shared_ptr<std::atomic<std::size_t>> shortsServed_ = std::make_shared<std::atomic<std::size_t>>(0);
};

// Replaces the origin placeholder in every text of a payload.
Json withOrigin(const Json& payload, const std::string& origin);

} // namespace devservice
