#include "app/Models/KKfinancerub.h"

#include <gtest/gtest.h>

namespace {

TEST(KKfinancerub, EmptyJSONLeavesEveryFieldAbsent) {
    for (const char* text : {"{}", "[]", "\"text\"", "5", "true", "null", "not json"}) {
        KKfinancerub film(JSON::parse(text));
        EXPECT_FALSE(film.vodId.has_value()) << text;
        EXPECT_FALSE(film.typeId.has_value()) << text;
        EXPECT_FALSE(film.typeId1.has_value()) << text;
        EXPECT_FALSE(film.isCollection.has_value()) << text;
        EXPECT_FALSE(film.classTypeName.has_value()) << text;
    }
}

TEST(KKfinancerub, AnyMemberFillsEveryFieldWithItsEmptyValue) {
    for (const char* text : {R"({"unrelated":1})", "[1]"}) {
        KKfinancerub film(JSON::parse(text));
        for (const auto* field :
             {&film.actor, &film.area, &film.blurb, &film.classTypeName, &film.director, &film.pubdate,
              &film.vodDoubanScore, &film.vodId, &film.vodName, &film.vodPic, &film.year}) {
            EXPECT_EQ(*field, std::optional<std::string>("")) << text;
        }
        EXPECT_EQ(film.typeId, std::optional<std::int64_t>(0));
        EXPECT_EQ(film.typeId1, std::optional<std::int64_t>(0));
        EXPECT_EQ(film.isCollection, std::optional<bool>(false));
    }
}

TEST(KKfinancerub, ReadsServiceKeysLeniently) {
    KKfinancerub film(JSON::parse(R"({
        "vod_id": 123, "vod_name": "片名", "vod_pic": "https://img/1.jpg", "vod_douban_score": 8.5,
        "actor": "A", "director": "D", "area": "CN", "year": 2023, "blurb": "B", "pubdate": "2023-01-01",
        "className": "剧情", "type_id": "7", "type_id_1": 2.9, "is_collection": "TRUE"})"));
    EXPECT_EQ(film.vodId, "123");
    EXPECT_EQ(film.vodName, "片名");
    EXPECT_EQ(film.vodPic, "https://img/1.jpg");
    EXPECT_EQ(film.vodDoubanScore, "8.5");
    EXPECT_EQ(film.year, "2023");
    EXPECT_EQ(film.classTypeName, "剧情");
    EXPECT_EQ(film.typeId, 7);
    EXPECT_EQ(film.typeId1, 2);
    EXPECT_EQ(film.isCollection, true);

    EXPECT_EQ(KKfinancerub(JSON::parse(R"({"type_id":"x"})")).typeId, 0);
}

TEST(KKfinancerub, CollectionFlagAcceptsTheServiceSpellingsOfTrue) {
    for (const char* truthy : {"1", "\"1\"", "\"yes\"", "\"Yes\"", "\"true\"", "\"TRUE\"", "true"}) {
        KKfinancerub film(JSON::parse(std::string(R"({"is_collection":)") + truthy + "}"));
        EXPECT_EQ(film.isCollection, true) << truthy;
    }
    for (const char* falsy : {"0", "\"0\"", "\"no\"", "false", "null", "\"2\""}) {
        KKfinancerub film(JSON::parse(std::string(R"({"is_collection":)") + falsy + "}"));
        EXPECT_EQ(film.isCollection, false) << falsy;
    }
    EXPECT_EQ(KKfinancerub(JSON::parse(R"({"vod_id":"1"})")).isCollection, false);
}

} // namespace
