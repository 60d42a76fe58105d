#pragma once

#include "platform/AVFoundation/AVURLAsset.h"
#include "platform/Foundation/NSError.h"

#include <memory>
#include <optional>
#include <string>

// Posted with the item (a std::shared_ptr<AVPlayerItem>) when it has played to its end.
inline constexpr const char* AVPlayerItemDidPlayToEndTimeNotification =
    "AVPlayerItemDidPlayToEndTimeNotification";
// Posted with the item when it fails after it had become ready to play.
inline constexpr const char* AVPlayerItemFailedToPlayToEndTimeNotification =
    "AVPlayerItemFailedToPlayToEndTimeNotification";
inline constexpr const char* AVFoundationErrorDomain = "AVFoundationErrorDomain";

enum AVPlayerItemStatus {
    AVPlayerItemStatusUnknown = 0,
    AVPlayerItemStatusReadyToPlay = 1,
    AVPlayerItemStatusFailed = 2,
};

struct AVPresentationSize {
    double width = 0;
    double height = 0;
    bool operator==(const AVPresentationSize&) const = default;
};

class AVPlayer;

// One asset as a player plays it: what is known about it so far. Its values change
// while a player plays it (see AVPlayer's observers).
class AVPlayerItem {
  public:
    static std::shared_ptr<AVPlayerItem> playerItemWithURL(const std::string& URL);
    static std::shared_ptr<AVPlayerItem> playerItemWithAsset(std::shared_ptr<AVURLAsset> asset);

    const std::shared_ptr<AVURLAsset>& asset() const { return asset_; }
    AVPlayerItemStatus status() const { return status_; }
    // Present when the status is failed.
    const std::optional<NSError>& error() const { return error_; }
    const std::string& errorDescription() const { return errorDescription_; }
    // Seconds; 0 while unknown.
    double duration() const { return duration_; }
    // Seconds of media loaded from the start.
    double loadedDuration() const { return loadedDuration_; }
    AVPresentationSize presentationSize() const { return presentationSize_; }
    bool hasPlayedToEnd() const { return ended_; }

    // Where a player starts the item, in seconds (0: the start). Set it before the item is
    // given to a player; the engine then opens the media right there.
    double startTime() const { return startTime_; }
    void setStartTime(double seconds) { startTime_ = seconds; }

  private:
    friend class AVPlayer;
    explicit AVPlayerItem(std::shared_ptr<AVURLAsset> asset) : asset_(std::move(asset)) {}

    std::shared_ptr<AVURLAsset> asset_;
    AVPlayerItemStatus status_ = AVPlayerItemStatusUnknown;
    std::optional<NSError> error_;
    std::string errorDescription_;
    double duration_ = 0;
    double loadedDuration_ = 0;
    AVPresentationSize presentationSize_;
    bool ended_ = false;
    double startTime_ = 0;
};
