// Any decrypted payload, handed to every model and loader that reads the service's answers:
// titles, paged film lists, episode lists and parse answers (with the records that keep
// them), short-video items with their nesting, notices, home labels and their cache, the
// library's filter tree, ads, users (and the stored login) and the home and topic feeds'
// films. No input may crash, leak or hit undefined behaviour, and what is stored must read
// back as it was given. The seeds are the development service's own payloads.
#include "MainController/Home/Helpers/AdItem.h"
#include "MainController/Home/Helpers/FilmStars.h"
#include "MainController/Home/Helpers/HomeTabs.h"
#include "MainController/Library/Model/LibraryFilters.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "MainController/Video/Model/EpisodeStartRules.h"
#include "MainController/Video/Model/KKcontrastpierce.h"
#include "MainController/Video/Model/ShortVideoLoader.h"
#include "app/Base/PagedList.h"
#include "app/Crypto/MIUAES.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKfinancerub.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "app/Records/KKeditjerk.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/UserDefaults.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "payload models fuzzer: %s\n", what);
        std::abort();
    }
}

std::filesystem::path& dataRoot() {
    static std::filesystem::path root;
    return root;
}

bool sameUser(const KKrearinfluence& a, const KKrearinfluence& b) {
    return a.expiresIn == b.expiresIn && a.groupId == b.groupId && a.id == b.id && a.nickName == b.nickName &&
           a.phone == b.phone && a.portrait == b.portrait && a.token == b.token &&
           a.tokenType == b.tokenType && a.username == b.username;
}

std::size_t depthOf(const KKcontrastpierce& item) {
    std::size_t deepest = 0;
    for (const auto& nested : item.mixItems.value_or(std::vector<std::shared_ptr<KKcontrastpierce>>())) {
        deepest = std::max(deepest, depthOf(*nested) + 1);
    }
    return deepest;
}

// One element of a list answer, read as each model reads its own.
void readElement(const JSON& element) {
    const KKfinancerub film(element);
    (void)starsForScore(film.vodDoubanScore.value_or(""));

    const KKcontrastpierce video(element);
    require(depthOf(video) <= KKcontrastpierce::maximumMixDepth, "short videos nest past their limit");
    const std::string address = video.playAddr.value_or("");
    if (isWebAddress(address)) {
        (void)KKcandyleanViewController::assetIdentifier(address);
    }

    const AdItem ad(element);
    (void)ad.tapAction();
    (void)noticeShownKey(element["create_time"].stringValue());
    (void)KKrearinfluence(element);
    // The keys that pages read as texts themselves: episode lists, resource lists, notices,
    // topics and the home feed's rows.
    for (const char* key :
         {"item", "src", "name", "vod_url", "type", "typeName", "vodTypeName", "topic_id", "topic_name",
          "topic_pic", "topic_blurb", "vod_num", "title", "intro", "content"}) {
        (void)element[key].stringValue();
    }
    (void)element["type_id"].int64Value();
}

void readUser(const JSON& answer) {
    const KKrearinfluence user(answer);
    apiClient.storeLoginJSON(answer, std::nullopt);
    if (answer.type() == JSON::Type::dictionary) {
        const auto stored = KKrearinfluence::storedUser();
        require(stored && sameUser(*stored, user), "the stored login does not read back as the answer");
    }
    (void)KKpresentationdisease::checkUserGroup();
}

void readParseAnswer(const JSON& answer) {
    (void)EpisodeStartRules::mediaRequestOptions(answer);
    const std::string url = MIUAES::MIUAESDecrypt(answer["url"].stringValue());
    if (EpisodeStartRules::isPlayableAddress(url)) {
        (void)EpisodeStartRules::pathExtensionIsM3u8(url);
    }
    const std::string src = "https://play.orvex.test/lzm3u8/1001/1";
    require(static_cast<bool>(KKeditjerk::storeAnswer(src, answer)), "the parse answer was not stored");
    const auto stored = KKeditjerk::storedAnswer(src);
    require(static_cast<bool>(stored), "the stored parse answer cannot be read");
    if (answer.type() == JSON::Type::dictionary) {
        require(*stored && **stored == answer, "the stored parse answer differs from the answer");
    }
}

void readLists(const JSON& answer) {
    const auto tabs = homeTabsFromJSON(answer);
    const auto cached = homeTabsFromCache(KKpresentationdisease::toJSONString(answer));
    require(tabs.size() == cached.size(), "the cached home tabs differ from the answer");
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        require(tabs[i].typeId == cached[i].typeId && tabs[i].title == cached[i].title,
                "a cached home tab differs from the answer");
    }

    LibraryFilterTree::store(answer);
    if (answer.type() == JSON::Type::array) {
        require(LibraryFilterTree::cached() == answer.arrayValue(), "the cached filter tree differs");
    }

    // A paged film list that gets this answer for its first and its second page.
    PagedListBase::Update last;
    const auto pages = PagedList<KKfinancerub>::make(
        [&answer](int, PagedListBase::Completion completion) { completion(answer, std::nullopt); });
    pages->setListener([&last](const PagedListBase::Update& update) { last = update; });
    pages->refresh();
    const std::size_t films = answer.arrayValue().size();
    require(pages->size() == films && last.reachedEnd == (films == 0), "page 1 was not taken as it came");
    pages->loadMore();
    require(pages->size() == 2 * films, "page 2 was not appended");

    const auto shorts = shortVideoItems(answer);
    require(shorts.size() <= answer["list"].arrayValue().size(), "short videos appeared from nothing");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A private data root in memory: the user defaults and the records are written through
    // for every input.
    const std::filesystem::path shm = "/dev/shm";
    dataRoot() = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
                 ("orvex-payload-fuzzer-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dataRoot() / "Documents");
    Paths::setDataRoot(dataRoot());
    if (!ASConfigration::setDefaultDB(dataRoot() / "Documents" / "fflist.db", "fflist.db")) {
        std::fprintf(stderr, "payload models fuzzer: the records cannot be opened\n");
        std::abort();
    }
    std::atexit([] {
        ASConfigration::closeDefaultDB();
        std::error_code ignored;
        std::filesystem::remove_all(dataRoot(), ignored);
    });
    // Console lines (an address that does not decrypt says so) out of the way.
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const JSON answer = JSON::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!answer.exists()) {
        return 0;
    }
    readElement(answer);
    readUser(answer);
    readParseAnswer(answer);
    readLists(answer);
    // The lists of the home feed (its rows hold lists of films), the topic's films, the
    // filter tree's types and every other list answer.
    for (const JSON& list : {answer, answer["list"], answer["rec"], answer["banner"], answer["recList"],
                             answer["vod_list"], answer["class"]}) {
        for (const JSON& element : list.arrayValue()) {
            readElement(element);
            for (const char* key : {"bgpic", "rec_name", "type_name"}) {
                (void)element[key].string();
            }
            for (const JSON& film : element["list"].arrayValue()) {
                readElement(film);
            }
        }
    }
    return 0;
}
