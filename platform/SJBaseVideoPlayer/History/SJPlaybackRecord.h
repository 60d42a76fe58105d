#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum SJMediaType : std::int64_t {
    SJMediaTypeVideo = 0,
};

// Where a user stopped in one media: what the playback-history store keeps. A store
// has one record per (mediaId, userId, mediaType).
class SJPlaybackRecord {
  public:
    std::int64_t mediaId = 0;
    SJMediaType mediaType = SJMediaTypeVideo;
    std::int64_t userId = 0;
    double position = 0; // seconds
    // Seconds since 1970 of the last save; set by the store.
    double updatedTime = 0;

    // The application's own fields, stored as columns of the same names; absent until set.
    std::optional<std::string> vodId;
    std::optional<std::string> title;
    std::optional<std::string> cover;
    std::optional<std::string> index;
    std::optional<std::string> episode;
    std::optional<std::string> duration;
};
