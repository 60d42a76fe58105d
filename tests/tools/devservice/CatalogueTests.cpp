#include "tools/devservice/Catalogue.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace devservice;

namespace {

std::filesystem::path shippedData() {
    return testsupport::sourceDir() / "tools" / "devservice" / "data";
}

Catalogue loadShipped() {
    std::string error;
    auto catalogue = Catalogue::load(shippedData(), error);
    EXPECT_TRUE(catalogue.has_value()) << error;
    return std::move(*catalogue);
}

bool hasChinese(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; });
}

} // namespace

TEST(Catalogue, ShippedDataIsCompleteAndConsistent) {
    const Catalogue catalogue = loadShipped();
    EXPECT_GE(catalogue.categories().size(), 4u);
    std::size_t titles = 0;
    std::set<std::string> sources;
    for (const auto& category : catalogue.categories()) {
        for (const Title* title : catalogue.category(category["type_id"].get<int>())) {
            ++titles;
            EXPECT_TRUE(hasChinese(title->name)) << title->vodId;
            EXPECT_TRUE(
                title->summary["vod_pic"].get<std::string>().starts_with("{{origin}}/images/poster/"));
            sources.insert(title->sources.begin(), title->sources.end());
        }
    }
    EXPECT_GE(titles, 80u);
    EXPECT_GE(sources.size(), 3u);
    EXPECT_GE(catalogue.shortVideoCount(), 16u);
    EXPECT_FALSE(catalogue.notices().empty());
    EXPECT_FALSE(catalogue.adverts("7").empty());
    EXPECT_TRUE(catalogue.adverts("99").empty());
    const Json feed = catalogue.homeFeed();
    EXPECT_FALSE(feed["banner"].empty());
    EXPECT_FALSE(feed["rec"][0]["list"].empty());
    EXPECT_FALSE(feed["recList"][0]["list"].empty());
    EXPECT_FALSE(feed["recList"][0].contains("vod_ids"));
    EXPECT_EQ(catalogue.homeLabels()[0]["type_name"], "推荐");
}

TEST(Catalogue, FilterTreeSendsTypeIdsAsTextAndAllMatchesEverything) {
    const Catalogue catalogue = loadShipped();
    const Json tree = catalogue.filterTree();
    ASSERT_TRUE(tree[0]["type_id"].is_string());
    const std::string all = tree[0]["class"][0];
    const int typeId = std::stoi(tree[0]["type_id"].get<std::string>());
    LibraryFilter everything;
    everything.typeId = typeId;
    everything.area = all;
    everything.className = "";
    EXPECT_EQ(catalogue.library(everything).size(), catalogue.category(typeId).size());

    LibraryFilter narrow;
    narrow.typeId = typeId;
    narrow.className = tree[0]["class"][1].get<std::string>();
    const auto found = catalogue.library(narrow);
    ASSERT_FALSE(found.empty());
    for (const Title* title : found) {
        EXPECT_EQ(title->className, *narrow.className);
    }
    narrow.year = "1890";
    EXPECT_TRUE(catalogue.library(narrow).empty());
}

TEST(Catalogue, PagesEndWithAnEmptyPage) {
    const Catalogue catalogue = loadShipped();
    const auto titles = catalogue.category(1);
    const std::size_t pages = (titles.size() + 14) / 15;
    EXPECT_EQ(Catalogue::page(titles, {pages, 15}).size(), titles.size() - (pages - 1) * 15);
    EXPECT_TRUE(Catalogue::page(titles, {pages + 1, 15}).empty());
    const Json topics = catalogue.topicList({1, 15});
    ASSERT_FALSE(topics.empty());
    const auto info = catalogue.topicInfo(topics[0]["topic_id"], {99, 15});
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE((*info)["vod_list"].empty());
    EXPECT_EQ((*info)["vod_num"], topics[0]["vod_num"]);
    EXPECT_FALSE(catalogue.topicInfo("no such topic", {1, 15}).has_value());
}

TEST(Catalogue, EpisodeAddressesLeadBackToTheirEpisode) {
    const Catalogue catalogue = loadShipped();
    const Title* title = catalogue.category(2).front();
    const PlaySource* source = catalogue.source(title->sources.back());
    const Json episodes = catalogue.episodeList(*title, *source);
    ASSERT_EQ(episodes.size(), title->episodes.size());
    const std::string last = episodes.back()["src"];
    const auto found = catalogue.episodeAt(source->type, last);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->title, title);
    EXPECT_EQ(found->index, title->episodes.size() - 1);
    EXPECT_FALSE(catalogue.episodeAt("otherm3u8", last).has_value()) << "an address belongs to its source";
    EXPECT_FALSE(catalogue.episodeAt(source->type, last + "0").has_value());
    EXPECT_FALSE(
        catalogue
            .episodeAt(source->type, "https://play.orvex.test/" + source->type + "/" + title->vodId + "/0")
            .has_value());

    const Json detail = catalogue.detail(*title, true);
    EXPECT_EQ(detail["is_collection"], true);
    EXPECT_EQ(detail["list"].size(), title->sources.size());
    for (std::size_t i = 0; i < title->sources.size(); ++i) {
        const PlaySource* each = catalogue.source(title->sources[i]);
        EXPECT_EQ(detail["list"][i]["vod_url"], catalogue.episodeList(*title, *each)[0]["src"]);
        EXPECT_EQ(detail["list"][i]["name"], title->episodes.front());
    }
}

TEST(Catalogue, SearchFindsNamesActorsAndDirectors) {
    const Catalogue catalogue = loadShipped();
    const Title* title = catalogue.category(3).front();
    const auto byName = catalogue.search(title->name);
    ASSERT_FALSE(byName.empty());
    EXPECT_EQ(byName.front(), title);
    const std::string director = title->director;
    const auto byDirector = catalogue.search(director);
    EXPECT_NE(std::find(byDirector.begin(), byDirector.end(), title), byDirector.end());
    EXPECT_TRUE(catalogue.search("").empty());
    EXPECT_TRUE(catalogue.search("不存在的片名ZZZ").empty());
}

TEST(Catalogue, OriginIsFilledIntoEveryText) {
    const Json payload = {{"a", "{{origin}}/x.png"}, {"b", {1, "{{origin}}{{origin}}"}}, {"c", 3}};
    const Json filled = withOrigin(payload, "https://127.0.0.1:1234");
    EXPECT_EQ(filled["a"], "https://127.0.0.1:1234/x.png");
    EXPECT_EQ(filled["b"][1], "https://127.0.0.1:1234https://127.0.0.1:1234");
    EXPECT_EQ(filled["c"], 3);
}

TEST(Catalogue, BrokenDataNamesTheFileAndTheFault) {
    const auto folder = testsupport::freshFolder("catalogue");
    for (const auto& entry : std::filesystem::directory_iterator(shippedData())) {
        std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
    }
    {
        std::ofstream sources(folder / "sources.json", std::ios::trunc);
        sources << R"([{"type":"lzm3u8","typeName":"量子资源"}])";
    }
    std::string error;
    EXPECT_FALSE(Catalogue::load(folder, error).has_value());
    EXPECT_NE(error.find("titles.json"), std::string::npos) << error;
    EXPECT_NE(error.find("unknown source"), std::string::npos) << error;

    std::filesystem::remove(folder / "notices.json");
    EXPECT_FALSE(Catalogue::load(folder, error).has_value());

    std::filesystem::copy_file(shippedData() / "sources.json", folder / "sources.json",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(shippedData() / "notices.json", folder / "notices.json");
    {
        std::ofstream categories(folder / "categories.json", std::ios::trunc);
        categories << R"({"all":"全部","categories":[{"type_id":"1","type_name":"电影"}]})";
    }
    EXPECT_FALSE(Catalogue::load(folder, error).has_value()) << "a text where a number belongs";
    EXPECT_NE(error.find("categories.json"), std::string::npos) << error;
}
