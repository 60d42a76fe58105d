#pragma once

#include "platform/Foundation/JSON.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One short video as the short-video endpoint delivers it (an element of "list"). Every
// field is absent when the JSON given has no elements (empty object or array, null, a
// scalar); otherwise every field holds a value, read leniently ("", 0 or an empty list
// for missing keys). Items are shared by reference between the grid, the feed and the
// share poster.
class KKcontrastpierce {
  public:
    // Nested "mix_items" deeper than this decode as empty lists, so that a broken or
    // hostile answer cannot exhaust the stack; no screen reads the nested items.
    static constexpr int maximumMixDepth = 8;

    explicit KKcontrastpierce(const JSON& json) : KKcontrastpierce(json, 0) {}
    KKcontrastpierce() = delete;

    std::optional<std::string> avatar;
    std::optional<std::string> cover;       // cover picture address
    std::optional<std::string> cover1;      // "cover_1"
    std::optional<std::int64_t> createTime; // "create_time"
    std::optional<std::string> desc;
    std::optional<std::string> douban;                                      // catalogue id of the collection
    std::optional<std::int64_t> mixId;                                      // "mix_id"
    std::optional<std::vector<std::shared_ptr<KKcontrastpierce>>> mixItems; // "mix_items"
    std::optional<std::string> mixName; // "mix_name", the collection's name
    std::optional<std::string> nickname;
    std::optional<std::int64_t> no;
    std::optional<std::string> playAddr; // "play_addr", the media address
    std::optional<std::string> title;
    std::optional<std::int64_t> type;
    std::optional<double> updateTime; // "update_time"
    std::optional<std::string> vid;

  private:
    KKcontrastpierce(const JSON& json, int depth);
};

// Whether `text` is an absolute http or https address with a host (what the player, the
// proxy and the image loader accept).
bool isWebAddress(const std::string& text);
