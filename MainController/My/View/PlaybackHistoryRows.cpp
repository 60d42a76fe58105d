#include "MainController/My/View/PlaybackHistoryRows.h"

#include "MainController/My/View/MyTexts.h"
#include "app/Helpers/KKpresentationdisease.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <utility>

std::optional<std::string> titleId(const SJPlaybackRecord& record) {
    if (!record.vodId || record.vodId->empty()) {
        return std::nullopt;
    }
    return record.vodId;
}

std::vector<std::shared_ptr<SJPlaybackRecord>>
newestPerTitle(const std::vector<std::shared_ptr<SJPlaybackRecord>>& records) {
    std::vector<std::shared_ptr<SJPlaybackRecord>> rows;
    std::unordered_set<std::string_view> seen;
    seen.reserve(records.size());
    bool seenWithoutId = false;
    for (const auto& record : records) {
        if (!record) {
            continue;
        }
        // The ids are looked at in place: the records outlive the set.
        const bool first = record->vodId && !record->vodId->empty() ? seen.insert(*record->vodId).second
                                                                    : !std::exchange(seenWithoutId, true);
        if (first) {
            rows.push_back(record);
        }
    }
    return rows;
}

std::optional<std::string> progressText(const SJPlaybackRecord& record) {
    if (!record.episode) {
        return std::nullopt;
    }
    constexpr double largest = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    const double position = std::isfinite(record.position) ? std::clamp(record.position, 0.0, largest) : 0.0;
    return decodedText("6KeC55yL6IezOg==") + *record.episode + " " +
           KKpresentationdisease::formatDuration(static_cast<std::int64_t>(position));
}
