#pragma once

#include "platform/Foundation/JSON.h"

#include <cstdint>
#include <optional>
#include <string>

// The summary of one title (film or series) as the list, search, topic, favourites and
// detail answers of the service carry it. Every field is absent when the JSON given was
// empty; otherwise every field holds a value, read leniently (possibly "", 0 or false).
class KKfinancerub {
  public:
    explicit KKfinancerub(const JSON& json);
    KKfinancerub() = delete;

    std::optional<std::string> actor;
    std::optional<std::string> area;
    std::optional<std::string> blurb;
    std::optional<std::string> classTypeName; // "className"
    std::optional<std::string> director;
    std::optional<std::string> pubdate;
    std::optional<std::int64_t> typeId;  // "type_id"
    std::optional<std::int64_t> typeId1; // "type_id_1"
    std::optional<std::string> vodDoubanScore;
    std::optional<std::string> vodId;
    std::optional<std::string> vodName;
    std::optional<std::string> vodPic; // cover image address
    std::optional<std::string> year;
    std::optional<bool> isCollection; // the title is in the user's favourites
};
