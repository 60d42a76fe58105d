#pragma once

#include "platform/AVFoundation/AVURLAsset.h"
#include "platform/AliyunPlayer/AVPUrlSource.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"
#include "platform/SJBaseVideoPlayer/Playback/SJPlayModel.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// What a player plays: a media address with where to start and how to ask for it, and
// the application's title and playback record that travel with it.
class SJVideoPlayerURLAsset {
  public:
    // An asset of a platform asset (its header-fields option travels with it), or null
    // without one.
    static std::shared_ptr<SJVideoPlayerURLAsset> initWithAVAsset(std::shared_ptr<AVURLAsset> asset,
                                                                  double startPosition,
                                                                  std::shared_ptr<SJPlayModel> playModel);
    // An asset of the second engine's source (no header fields), or null without an address.
    static std::shared_ptr<SJVideoPlayerURLAsset> initWithSource(const AVPUrlSource& source,
                                                                 double startPosition);
    // An asset of a plain address (no header fields), or null without an address.
    static std::shared_ptr<SJVideoPlayerURLAsset> initWithURL(std::string URL, double startPosition);

    const std::string& mediaURL() const { return mediaURL_; }
    const std::shared_ptr<AVURLAsset>& avAsset() const { return avAsset_; }
    // Seconds from the start.
    double startPosition() const { return startPosition_; }
    const std::shared_ptr<SJPlayModel>& playModel() const { return playModel_; }
    // The header fields of every request for the media, in name order.
    std::vector<std::pair<std::string, std::string>> httpHeaderFields() const;

    bool isM3u8() const { return isM3u8_; }
    void setIsM3u8(bool isM3u8) { isM3u8_ = isM3u8; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    // The playback record that the player keeps current (see SJPlaybackRecordSaveHandler).
    const std::shared_ptr<SJPlaybackRecord>& record() const { return record_; }
    void setRecord(std::shared_ptr<SJPlaybackRecord> record) { record_ = std::move(record); }

  private:
    SJVideoPlayerURLAsset(std::string mediaURL, double startPosition)
        : mediaURL_(std::move(mediaURL)), startPosition_(startPosition) {}

    std::string mediaURL_;
    std::shared_ptr<AVURLAsset> avAsset_;
    double startPosition_ = 0;
    std::shared_ptr<SJPlayModel> playModel_;
    bool isM3u8_ = false;
    std::string title_;
    std::shared_ptr<SJPlaybackRecord> record_;
};
