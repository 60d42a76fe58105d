#pragma once

#include "platform/AVFoundation/AVPlayerItem.h"
#include "platform/AVFoundation/Media/MediaEngine.h"

#include <functional>
#include <memory>
#include <vector>

enum AVPlayerTimeControlStatus {
    AVPlayerTimeControlStatusPaused = 0,
    AVPlayerTimeControlStatusWaitingToPlayAtSpecifiedRate = 1,
    AVPlayerTimeControlStatusPlaying = 2,
};

// What changed, in the bit mask handed to AVPlayer's observers.
enum AVPlayerChange : unsigned {
    AVPlayerChangeItem = 1u << 0,
    AVPlayerChangeItemStatus = 1u << 1,
    AVPlayerChangeTimeControlStatus = 1u << 2,
    AVPlayerChangeTime = 1u << 3,
    AVPlayerChangeDuration = 1u << 4,
    AVPlayerChangeLoadedDuration = 1u << 5,
    AVPlayerChangePresentationSize = 1u << 6,
    AVPlayerChangeFrame = 1u << 7,
    AVPlayerChangeRate = 1u << 8,
    AVPlayerChangeVolume = 1u << 9,
};

// The platform player, on the libmpv engine: plays one item at a time. Items may be
// http(s) addresses or local files (file URLs); other addresses fail the item. Used on
// the main thread; what the engine learns arrives on the main queue.
class AVPlayer : public MediaEngineClient, public std::enable_shared_from_this<AVPlayer> {
  public:
    using Observer = std::function<void(AVPlayer& player, unsigned changes)>;
    using ObserverToken = std::shared_ptr<void>;

    static std::shared_ptr<AVPlayer> player();
    static std::shared_ptr<AVPlayer> playerWithPlayerItem(std::shared_ptr<AVPlayerItem> item);
    ~AVPlayer() override;

    const std::shared_ptr<AVPlayerItem>& currentItem() const { return item_; }
    // Starts opening `item` (paused unless the rate is above 0), replacing the current one.
    void replaceCurrentItemWithPlayerItem(std::shared_ptr<AVPlayerItem> item);

    // Plays at the default rate. The player pauses by itself when its item ends.
    void play();
    void pause();
    // 0 while paused, else the playback rate.
    double rate() const { return playing_ ? defaultRate_ : 0; }
    // 0 pauses; another positive rate plays at that rate and becomes the default rate.
    void setRate(double rate);
    double defaultRate() const { return defaultRate_; }
    void setDefaultRate(double rate);
    float volume() const { return volume_; }
    void setVolume(float volume);
    bool isMuted() const { return muted_; }
    void setMuted(bool muted);

    // Seconds into the current item.
    double currentTime() const;
    void seekToTime(double seconds, std::function<void(bool finished)> completionHandler = {});

    AVPlayerTimeControlStatus timeControlStatus() const;
    // Video sent to another screen; never on this platform.
    bool isExternalPlaybackActive() const { return false; }
    // The newest picture of the current item (see MediaEngine::latestFrame).
    std::shared_ptr<const VideoFrame> latestFrame() const;

    // Calls `observer` after every change until the token is dropped.
    [[nodiscard]] ObserverToken addObserver(Observer observer);

    // The engine under this player, for the player framework's playback controller.
    MediaEngine& mediaEngine();

  private:
    AVPlayer() = default;
    void engineStateDidChange(MediaEngine& engine) override;
    void engineFrameDidChange(MediaEngine& engine) override;
    void failItem(const std::string& reason);
    void notify(unsigned changes);

    std::unique_ptr<MediaEngine> engine_;
    std::shared_ptr<AVPlayerItem> item_;
    bool playing_ = false;
    double defaultRate_ = 1;
    float volume_ = 1;
    bool muted_ = false;
    MediaEngineState lastState_;
    std::vector<std::weak_ptr<Observer>> observers_;
};
