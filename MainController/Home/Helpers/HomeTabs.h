#pragma once

#include "platform/Foundation/JSON.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The home page's category tabs as "api/indexLabelList" sends them and as the page keeps
// them under "home_parseJSON" for the next launch.
struct HomeTab {
    std::int64_t typeId = 0; // "type_id", 0 when missing
    std::string title;       // "type_name", "" when missing
};

// The user default that keeps the last tab list (compact JSON text).
inline constexpr const char* homeTabsCacheKey = "home_parseJSON";

// The tabs of a tab-list array, in order; no tabs for anything that is not an array.
std::vector<HomeTab> homeTabsFromJSON(const JSON& json);
// The tabs of the cached text; no tabs for an empty or unreadable text.
std::vector<HomeTab> homeTabsFromCache(const std::string& text);

// The title of the tab that is the recommend page when it comes first.
const std::string& recommendTabTitle();
// The search button's placeholder text.
const std::string& searchPlaceholder();

// The user default that records that the notice of `createTime` was shown. Kept apart
// from every other key, so that no notice can overwrite the stored user or the search
// history, whatever its time text.
std::string noticeShownKey(const std::string& createTime);
