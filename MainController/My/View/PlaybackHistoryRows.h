#pragma once

#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The rows of the playback history: the records in the order given (newest first), one
// per title, the first record of each title kept. Records without a title id count as one
// title; an empty id is the same as none.
std::vector<std::shared_ptr<SJPlaybackRecord>>
newestPerTitle(const std::vector<std::shared_ptr<SJPlaybackRecord>>& records);

// "观看至:" + episode + " " + the position as a duration; nothing without an episode.
// A position that is not a finite number of seconds, or is below zero, reads as 0.
std::optional<std::string> progressText(const SJPlaybackRecord& record);

// The title id of a record, nothing when it has none or an empty one.
std::optional<std::string> titleId(const SJPlaybackRecord& record);
